// What a user is told, in the one message box the launcher ever shows, and
// when nobody can see such a box at all.
#pragma once

#include "launcher/ansi_text.h"
#include "platform/platform.h"

namespace launcher {

// The one report a user ever sees, and the texts of the failures the
// launcher adds to it. A start that Windows refuses is told in three parts,
// around the manager's path and Windows' own words for why.
constexpr char kReportCaption[] = "Installation";
constexpr char kManagerMissingText[] =
    "Can not find ActiveSync. Please reinstall ActiveSync and than run this "
    "installation again.";
constexpr char kFolderTooLongText[] =
    "The path of the installation folder is too long to start the installation "
    "from it; please copy the installation to a folder with a shorter path and "
    "run it again.";
constexpr char kListTooLongText[] =
    "The name of the install list is too long to be passed on to ActiveSync from "
    "any folder; please report this to the maker of the installation.";
constexpr char kFolderUnreadableText[] =
    "The installation folder can not be read; please copy the installation to a "
    "folder on this computer, such as C:\\Install, and run it again.";
constexpr char kNamesNotPassableText[] =
    "The name of the installation folder or of the install list has characters "
    "that can not be passed on to ActiveSync; please copy the installation to a "
    "folder with a plain name, such as C:\\Install, and run it again.";
constexpr char kNotStartedText[] = "The application manager was found at ";
constexpr char kNotStartedWhy[] = ", but Windows could not start it:\n\n";
constexpr char kNotStartedAdvice[] =
    "\n\nPlease run this installation as an administrator, or reinstall ActiveSync "
    "(Windows Mobile Device Center on newer Windows), and run it again.";

// Whether no user can see this run: its window station is not visible (a
// service's), or it runs in session 0 on Vista or later, which no user has
// seen since, whatever its station says (on XP, session 0 is the console's).
// Where Windows cannot tell, the run goes on as anywhere else.
bool NobodySees(Platform &platform);

// Shows the report; the run goes on once the user has dismissed it.
inline void Report(Platform &platform, const char *text, bool foreground) {
    platform.ShowErrorBox(text, kReportCaption, foreground);
}

// The text that tells why nothing was launched, for an outcome other than
// kGo.
const char *RefusalText(Outcome outcome);

// Tells that the manager was found but Windows would not start it (a file
// that is no program, elevation or a policy required, access denied): where
// it is, and Windows' own words for why. Words that are missing, or too long
// for the box's text, are left out whole: the texts and a path of 259
// characters always fit.
void ReportNotStarted(Platform &platform, const char *application, uint32_t error);

} // namespace launcher
