// Cutting the command tail from the full command line.
//
//   byte          in the program-name token          after it
//   0             the line ends: the tail is empty   -
//   1..32         ends the token, unless in quotes   skipped
//   '"'           flips "in quotes", anywhere        starts the tail
//   lead byte     takes the next byte with it        starts the tail
//   anything else part of the token                  starts the tail
//
// Quotes are not removed and trailing blanks are kept: the tail is exactly
// the rest of the line.
#include "launcher/command_tail.h"

namespace launcher {
namespace {

bool IsBlank(unsigned char byte) { return byte != 0 && byte <= ' '; }

} // namespace

const char *CutCommandTail(const char *command_line, const CodePage &code_page) {
    if (command_line == nullptr) return "";

    const char *p = command_line;
    bool in_quotes = false;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == 0) return p;
        if (IsBlank(byte) && !in_quotes) break;
        if (byte == '"') in_quotes = !in_quotes;
        // A lead byte takes its trail byte along, but a lead byte right
        // before the NUL has none: the NUL still ends the line.
        ++p;
        if (code_page.IsLeadByte(byte) && *p != '\0') ++p;
    }
    while (IsBlank(static_cast<unsigned char>(*p))) ++p;
    return p;
}

} // namespace launcher
