// The install command, settled before any window is touched: the tail,
// cut again from the Unicode line where the ANSI one may mislead, and the
// current directory, as read or in its short form.
#include "launcher/install_command.h"

#include "launcher/ansi_text.h"
#include "launcher/command_tail.h"
#include "launcher/path_buffer.h"

namespace launcher {

Outcome ResolveTail(Platform &platform, const AnsiText &ansi, const char **tail,
                    PathBuffer *converted) {
    const char16_t *line = platform.WideCommandLine();
    if (ansi.IsExact(line)) return Outcome::kGo;
    switch (ansi.Convert(CutCommandTail(line), converted)) {
    case Conversion::kExact:
        *tail = converted->Text();
        return Outcome::kGo;
    case Conversion::kTooLong:
        return Outcome::kTooLong; // no install command could hold it
    case Conversion::kNotExact:
        break;
    }
    return Outcome::kNotPassable;
}

Outcome ComposeInCurrentDirectory(Platform &platform, const AnsiText &ansi,
                                  const char *manager_path, const char *tail, PathBuffer *command) {
    char16_t wide[PathBuffer::kCapacity];
    const uint32_t length = platform.WideCurrentDirectory(wide, PathBuffer::kCapacity);
    if (length == 0 || length >= PathBuffer::kCapacity) return Outcome::kTooLong;
    PathBuffer directory;
    const Conversion conversion = ansi.Convert(wide, &directory);
    if (conversion == Conversion::kExact &&
        ComposeInstallCommand(manager_path, directory.Text(), tail, command))
        return Outcome::kGo;

    const Outcome failure =
        conversion == Conversion::kNotExact ? Outcome::kNotPassable : Outcome::kTooLong;
    char16_t short_form[PathBuffer::kCapacity];
    const uint32_t short_length = platform.WideShortPath(wide, short_form, PathBuffer::kCapacity);
    if (short_length == 0 || short_length >= PathBuffer::kCapacity) return failure;
    if (ansi.Convert(short_form, &directory) != Conversion::kExact) return failure;
    return ComposeInstallCommand(manager_path, directory.Text(), tail, command) ? Outcome::kGo
                                                                                : Outcome::kTooLong;
}

bool ComposeInstallCommand(const char *manager_path, const char *directory, const char *tail,
                           PathBuffer *command) {
    if (command->Copy(manager_path) && command->Append(" ") && command->Append("\"") &&
        command->Append(directory) && command->Append("\\") && command->Append(tail) &&
        command->Append("\""))
        return true;
    command->Copy(""); // no part of a command that did not fit stays behind
    return false;
}

} // namespace launcher
