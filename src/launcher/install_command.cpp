// The install command, settled before any window is touched: the current
// directory as read or in its short form, and the command composed whole.
#include "launcher/install_command.h"

#include "launcher/path_buffer.h"

namespace launcher {

Outcome ComposeInCurrentDirectory(Platform &platform, const AnsiText &ansi,
                                  const char *manager_path, const char *tail, PathBuffer *command) {
    // From a drive's root, the shortest folder there is: a command that would
    // not fit even there would fit from no folder, and it is the list's name
    // that must be shorter.
    if (!ComposeInstallCommand(manager_path, "C:\\", tail, command)) return Outcome::kListTooLong;
    char16_t wide[PathBuffer::kCapacity];
    bool too_long = false;
    if (!platform.WideCurrentDirectory(wide, PathBuffer::kCapacity, &too_long))
        return too_long ? Outcome::kFolderTooLong : Outcome::kFolderUnreadable;
    PathBuffer directory;
    const Conversion conversion = ansi.Convert(wide, &directory);
    if (conversion == Conversion::kExact &&
        ComposeInstallCommand(manager_path, directory.Text(), tail, command))
        return Outcome::kGo;

    const Outcome failure =
        conversion == Conversion::kNotExact ? Outcome::kNotPassable : Outcome::kFolderTooLong;
    char16_t short_form[PathBuffer::kCapacity];
    if (!platform.WideShortPath(wide, short_form, PathBuffer::kCapacity) ||
        ansi.Convert(short_form, &directory) != Conversion::kExact) {
        return failure;
    }
    return ComposeInstallCommand(manager_path, directory.Text(), tail, command)
               ? Outcome::kGo
               : Outcome::kFolderTooLong;
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
