// The install command: the manager path, a blank and the install list's full
// path in double quotes, composed whole or not at all.
#pragma once

#include "launcher/ansi_text.h"
#include "platform/platform.h"

namespace launcher {

class PathBuffer;

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
