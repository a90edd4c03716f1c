// Cutting the command tail: the part of the process command line that
// follows the program's own name. The tail is a view into the line, neither
// copied nor altered.
#pragma once

#include "platform/platform.h"

namespace launcher {

// Returns the tail of `command_line` (null stands for the empty line): what
// follows the program-name token and the blanks behind it, up to the NUL.
const char *CutCommandTail(const char *command_line, const CodePage &code_page);

// The same cut of a UTF-16 command line, which has no lead bytes.
const char16_t *CutCommandTail(const char16_t *command_line);

} // namespace launcher
