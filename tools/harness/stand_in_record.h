// The record that the stand-in application manager leaves of each run, in a
// file it appends to: a line "key=value" for each field, the first five as
// it starts, the last two as it ends. The stand-in writes it and the harness
// reads it, both by these keys.
#pragma once

namespace harness {

enum RecordField {
    kModule,    // its own path
    kCommand,   // its command line
    kDirectory, // its current directory
    kStart,     // the tick count as it started
    kStartQpc,  // QueryPerformanceCounter at its first instruction
    kEnd,       // the tick count as it ends
    kEndQpc,    // and QueryPerformanceCounter
    kRecordFields
};
constexpr const char *kRecordKeys[kRecordFields] = {"module",    "command", "directory", "start",
                                                    "start_qpc", "end",     "end_qpc"};

} // namespace harness
