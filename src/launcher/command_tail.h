// The command tail: the part of the process command line that follows the
// program's own name, cut here and nowhere else. The tail cut from the ANSI
// line is a view into it, neither copied nor altered.
#pragma once

#include "launcher/ansi_text.h"
#include "platform/platform.h"

namespace launcher {

class PathBuffer;

// Returns the tail of `command_line` (null stands for the empty line): what follows the
// program-name token and the blanks behind it, up to the NUL. The platform tells the ANSI code
// page's lead bytes.
const char *CutCommandTail(const char *command_line, Platform &platform);

// The same cut of a UTF-16 command line, which has no lead bytes.
const char16_t *CutCommandTail(const char16_t *command_line);

// The command tail as the caller wrote it, or why it cannot be passed on.
struct CommandTail {
    Outcome outcome;
    const char *text; // when the outcome is kGo; else ""
};

// The tail of the platform's command line. When the ANSI command line is the
// exact image of the Unicode one, the tail cut from it stands as it is.
// Otherwise a best-fitted character may have become a quote or a blank and
// moved the cut: the tail is cut again from the Unicode line and goes on
// only when it converts exactly, into *converted.
CommandTail ResolveCommandTail(Platform &platform, const AnsiText &ansi, PathBuffer *converted);

} // namespace launcher
