// The install command: the command tail as the caller wrote it, and the
// manager path, a blank and the install list's full path in double quotes,
// composed whole or not at all.
#pragma once

#include "platform/platform.h"

namespace launcher {

class AnsiText;
class PathBuffer;

// How a step ends: the run goes on, or nothing is launched, for one of two
// reasons.
enum class Outcome { kGo, kTooLong, kNotPassable };

// Makes *tail the command tail as the caller wrote it. When the ANSI command
// line is the exact image of the Unicode one, the tail cut from it stands as
// it is. Otherwise a best-fitted character may have become a quote or a
// blank and moved the cut: the tail is cut again from the Unicode line and
// goes on only when it converts exactly, from *converted.
Outcome ResolveTail(Platform &platform, const AnsiText &ansi, const char **tail,
                    PathBuffer *converted);

// Composes the install command from the current directory, read in Unicode
// and converted to the ANSI code page, when it converts exactly and the
// command fits. When it does not convert exactly (a look-alike could name
// another folder), or its ANSI form or the command would be too long (a
// double-byte code page takes two bytes for a character), the directory's
// short (8.3) form is taken instead, if that is exact and the command fits
// with it. A volume without short names hands the long form back, which then
// fails the same way.
Outcome ComposeInCurrentDirectory(Platform &platform, const AnsiText &ansi,
                                  const char *manager_path, const char *tail, PathBuffer *command);

// Composes the child's command line for an install list: the manager path,
// a blank, then the directory, a backslash and the tail inside double quotes.
// False, with *command not to be used, when it would not fit.
bool ComposeInstallCommand(const char *manager_path, const char *directory, const char *tail,
                           PathBuffer *command);

} // namespace launcher
