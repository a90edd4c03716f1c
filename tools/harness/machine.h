// What the machine is: Wine or Windows itself, whether anyone sees its
// desktop, whether a volume makes 8.3 names, and a drive made from a folder.
#pragma once

#include <windows.h>

#include <string>

namespace harness {

// Whether this program runs under Wine rather than on Windows itself.
bool UnderWine();

// Why no user can see this program's desktop (its window station is not
// visible, or it runs in session 0 from Vista on, as a service-installed
// runner does), or "" where one can: the launcher does nothing there.
std::string UnseenDesktop();

// A desktop on a window station of this process's making, which nobody
// sees, as a service's: its name for StartAs, or "" where it cannot be made.
// It lasts as long as the process.
const char *DesktopNobodySees();

// Whether the volume of `folder` makes 8.3 short names. Windows lets each
// volume do without them (Windows Server's data volumes often do); a long
// name is then its own short form. Learnt from a folder with a long name made
// in `folder` for the asking, and removed again. Wine always makes them.
bool MakesShortNames(const std::string &folder);

// A drive whose root is `folder`, for as long as the object lives. Under
// Wine it is T:, which the test session maps to the work root's drive-t
// (Wine makes no drive of a substituted folder); on Windows a free letter
// is substituted for the folder as `subst` does, and removed again.
class DriveRoot {
public:
    explicit DriveRoot(const std::string &folder);
    ~DriveRoot();
    DriveRoot(const DriveRoot &) = delete;
    DriveRoot &operator=(const DriveRoot &) = delete;

    // "X:", or "" when no drive could be made.
    const std::string &Drive() const { return drive_; }

private:
    std::string folder_;
    std::string drive_;
    std::string substituted_; // the letter to remove again, if any
};

} // namespace harness
