// What the launch sequence's tests compare: the fake platform's call log, cut
// and joined, the boxes as the fake records them, and the paths where a
// manager may be found.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "launcher/lookup.h"
#include "launcher/reports.h"
#include "launcher/suite_window.h"

namespace launcher::testing {

using Calls = std::vector<std::string>;

const std::string kOpen = std::string("OpenMachineKey ") + kAppPathsKey;
const std::string kManagerBox = std::string("Installation|") + kManagerMissingText;
const std::string kTooLongBox = std::string("Installation|") + kFolderTooLongText;
const std::string kNotPassableBox = std::string("Installation|") + kNamesNotPassableText;
const std::string kListTooLongBox = std::string("Installation|") + kListTooLongText;
const std::string kUnreadableBox = std::string("Installation|") + kFolderUnreadableText;
const Calls kSearchAll = [] {
    Calls all;
    for (const char *title : kSuiteTitles)
        all.push_back(std::string("FindTopLevelWindow ") + title);
    return all;
}();
// The command line read both ways and found exact, and the tail cut after
// the 12 bytes of "launcher.exe".
const Calls kLineChecked = [] {
    Calls line = {"AnsiCodePage", "CommandLine", "WideCommandLine", "WideToAnsi size"};
    line.insert(line.end(), 12, "IsLeadByte");
    return line;
}();
const Calls kLookup = {kOpen, "ReadStringValue (default)", "CloseKey",
                       "PathKindOf C:\\AppMgr\\CEAPPMGR.EXE"};

// The manager as registered in the fake by default, and where the device
// center and ActiveSync install it with the fake's Windows folders.
const std::string kRegistered = "C:\\AppMgr\\CEAPPMGR.EXE";
const std::string kCenter = "C:\\WINDOWS\\WindowsMobile\\CEAppMgr.exe";
const std::string kActiveSync = "C:\\Program Files\\Microsoft ActiveSync\\CEAPPMGR.EXE";

inline Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The calls from the lookup of the application manager on: those before
// it set Windows' folders (as the folder tests show).
inline Calls FromLookup(const FakePlatform &fake) {
    return Calls(std::find(fake.calls.begin(), fake.calls.end(), kOpen), fake.calls.end());
}

} // namespace launcher::testing
