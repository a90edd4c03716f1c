// Files and folders for the Windows-side programs: where they run from, the
// scratch folder of the build tree, whole files read and written.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The folder of the running program (launcher.exe and the stand-in lie there).
std::string BinDir();

// Whether a file or folder is at `path`.
bool Exists(const std::string &path);

// The tests' scratch folder, made on first use: the one the Wine session
// names (LAUNCHER_WORK_ROOT), else e2e-root beside the program's folder.
std::string WorkRoot();
// Creates every folder along `path`.
bool MakeDirs(const std::string &path);
// A whole file's bytes; the file may be open for writing elsewhere (a record
// being written, a Linux /proc file through drive Z:).
bool ReadWholeFile(const std::string &path, std::string *bytes);
// Makes `path` hold exactly `bytes`.
bool WriteWholeFile(const std::string &path, const std::string &bytes);
bool WriteWholeFile(const std::wstring &path, const std::string &bytes);
// Replaces `path` whole with `bytes`, never leaving it half written.
bool ReplaceWholeFile(const std::string &path, const std::string &bytes);
// The lines of a file, none where it cannot be read.
std::vector<std::string> ReadLines(const std::string &path);
// Bytes as hex digits ("-" for none), as a journal keeps them, and back.
std::string Hex(const std::string &bytes);
bool Unhex(const std::string &hex, std::string *bytes);
// Text in the ANSI code page, as Unicode.
std::wstring Widen(const std::string &text);

} // namespace harness
