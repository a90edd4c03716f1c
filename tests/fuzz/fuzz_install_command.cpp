// Fuzzing the install command: a registered path, a current directory and a
// tail of any length. The command is either exactly the composition, within
// 259 characters, or nothing at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "launcher/install_command.h"
#include "launcher/lookup.h"
#include "launcher/path_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string manager_text = input.ConsumeRandomLengthString(400);
    const std::string directory = input.ConsumeRandomLengthString(400);
    const std::string tail = input.ConsumeRemainingBytesAsString();

    // The registered path comes from its own 260-byte buffer.
    launcher::PathBuffer manager;
    if (!manager.Copy(manager_text.c_str())) return 0;

    launcher::PathBuffer command;
    const bool fits =
        launcher::ComposeInstallCommand(manager.Text(), directory.c_str(), tail.c_str(), &command);
    const std::string expected =
        std::string(manager.Text()) + " \"" + directory.c_str() + "\\" + tail.c_str() + "\"";
    if (fits != (expected.size() <= 259)) std::abort();
    if (fits ? expected != command.Text() : command.Length() != 0) std::abort();

    // The module name: the path less one pair of enclosing quotes.
    launcher::PathBuffer name;
    launcher::ApplicationName(manager, &name);
    const std::string path = manager.Text();
    const bool quoted = path.size() >= 2 && path.front() == '"' && path.back() == '"';
    if (std::string(name.Text()) != (quoted ? path.substr(1, path.size() - 2) : path)) std::abort();
    return 0;
}
