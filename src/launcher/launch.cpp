// The launch sequence, read top to bottom as the steps it performs.
#include "launcher/launch.h"

#include "launcher/ansi_text.h"
#include "launcher/command_tail.h"
#include "launcher/path_buffer.h"
#include "launcher/settling_pause.h"
#include "launcher/suite_window.h"
#include "launcher/system_folders.h"

namespace launcher {
namespace {

// Makes *path `text` with the Windows folders that it names expanded, whole
// or not at all; a text that names any other variable is no path.
bool Expand(Platform &platform, const char *text, PathBuffer *path) {
    return path->Copy(text) && ExpandWindowsFolders(platform, path, true);
}

// Whether the manager path names an existing file, not a folder, by a
// rooted path: the module that would be started, the path with one pair of
// enclosing quotes taken off. A relative path, or one with a variable left
// unexpanded, would be completed by the current folder, which may be a
// download folder: it is never looked at.
bool NamesAFile(Platform &platform, const PathBuffer &path) {
    PathBuffer name;
    ApplicationName(path, &name);
    return IsRootedPath(name.Text()) && platform.PathKindOf(name.Text()) == PathKind::kFile;
}

// Reads the registered application-manager path, expanded when it is stored
// as an expandable string (as the shell expands App Paths values; a plain
// string never is). A value of any other type is no registration. The key is
// closed before the query's result is looked at, so it is open only for the
// one read.
bool ReadRegistration(Platform &platform, PathBuffer *path) {
    Handle key = nullptr;
    if (!platform.OpenMachineKey(kAppPathsKey, &key)) return false;
    uint32_t size = PathBuffer::kCapacity;
    bool expandable = false;
    const bool read = platform.QueryStringValue(key, nullptr /* default value */, path->Data(),
                                                &size, &expandable);
    platform.CloseKey(key);
    // A value stored without its NUL is made a string here; one that fills
    // the whole buffer without a NUL is no usable path.
    if (!read || !path->Terminate(size)) return false;
    return !expandable || ExpandWindowsFolders(platform, path, true);
}

// Finds the application manager: the registration, when it names an
// existing file; else the first of its install folders that holds it. A
// registration that outlived the program, or that no start could use,
// counts as none.
bool LookUpApplicationManager(Platform &platform, PathBuffer *path) {
    if (ReadRegistration(platform, path) && NamesAFile(platform, *path)) return true;
    if (Expand(platform, kDeviceCenterManager, path) && NamesAFile(platform, *path)) return true;
    return Expand(platform, kActiveSyncManager, path) && NamesAFile(platform, *path);
}

// How a step ends: the run goes on, or nothing is launched, for one of two
// reasons.
enum class Outcome { kGo, kTooLong, kNotPassable };

// Makes *tail the command tail as the caller wrote it. When the ANSI command
// line is the exact image of the Unicode one, the tail cut from it stands as
// it is. Otherwise a best-fitted character may have become a quote or a
// blank and moved the cut: the tail is cut again from the Unicode line and
// goes on only when it converts exactly, from *converted.
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

// Composes the install command from the current directory, read in Unicode
// and converted to the ANSI code page, when it converts exactly and the
// command fits. When it does not convert exactly (a look-alike could name
// another folder), or its ANSI form or the command would be too long (a
// double-byte code page takes two bytes for a character), the directory's
// short (8.3) form is taken instead, if that is exact and the command fits
// with it. A volume without short names hands the long form back, which then
// fails the same way.
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

// Whether no user can see this run: its window station is not visible (a
// service's), or it runs in session 0 on Vista or later, which no user has
// seen since, whatever its station says (on XP, session 0 is the console's).
// Where Windows cannot tell, the run goes on as anywhere else.
bool NobodySees(Platform &platform) {
    if (platform.WindowStationInvisible()) return true;
    uint32_t session = 0;
    return platform.WindowsMajorVersion() >= 6 && platform.ProcessSession(&session) && session == 0;
}

// Shows the report; the run goes on once the user has dismissed it.
void Report(Platform &platform, const char *text, bool foreground) {
    platform.ShowErrorBox(text, kReportCaption, foreground);
}

// Ends a run that launches nothing, before any window was touched: the box,
// brought to the front (the installation waits on it), says why, and the
// exit code says which failure it was.
int Refuse(Platform &platform, Outcome outcome) {
    if (outcome == Outcome::kNotPassable) {
        Report(platform, kNamesNotPassableText, true);
        return kExitNamesNotPassable;
    }
    Report(platform, kFolderTooLongText, true);
    return kExitFolderTooLong;
}

// Appends Windows' words for an error as Windows would fill them in, with
// the line break at their end left out: insert 1, with or without a format
// between '!'s, is `file`; "%%" is one '%'; every other insert stays as it
// stands. The words are cut apart in place where something is put in.
bool AppendWords(ReportText *text, char *words, uint32_t length, const char *file) {
    while (length != 0 && static_cast<unsigned char>(words[length - 1]) <= ' ') --length;
    words[length] = '\0';
    char *piece = words;
    char *p = words;
    while (*p != '\0') {
        const bool insert_one = p[0] == '%' && p[1] == '1' && (p[2] < '0' || p[2] > '9');
        if (p[0] == '%' && p[1] == '%') {
            p[1] = '\0'; // the piece ends with the first '%'
            if (!text->Append(piece)) return false;
            piece = p += 2;
        } else if (insert_one) {
            *p = '\0';
            if (!text->Append(piece) || !text->Append(file)) return false;
            p += 2;
            if (*p == '!') {
                char *close = p + 1;
                while (*close != '\0' && *close != '!') ++close;
                if (*close == '!') p = close + 1;
            }
            piece = p;
        } else {
            ++p;
        }
    }
    return text->Append(piece);
}

// The report of a start that Windows refused, with Windows' words for why
// when `words` are given: whole, or false.
bool ComposeNotStarted(ReportText *text, const char *application, char *words, uint32_t length) {
    return text->Copy(kNotStartedText) && text->Append(application) &&
           text->Append(kNotStartedWhy) &&
           (words == nullptr || AppendWords(text, words, length, application)) &&
           text->Append(kNotStartedAdvice);
}

// Tells that the manager was found but Windows would not start it (a file
// that is no program, elevation or a policy required, access denied): where
// it is, and Windows' own words for why. Words that are missing, or too long
// for the box's text, are left out whole: the texts and a path of 259
// characters always fit.
void ReportNotStarted(Platform &platform, const char *application, uint32_t error) {
    char words[ReportText::kCapacity];
    const uint32_t length = platform.DescribeError(error, words, sizeof words);
    ReportText text;
    if (length == 0 || length >= sizeof words ||
        !ComposeNotStarted(&text, application, words, length))
        ComposeNotStarted(&text, application, nullptr, 0);
    Report(platform, text.Text(), true);
}

// Polls the child until it no longer runs, then closes its handles.
void WaitForChild(Platform &platform, const ChildProcess &child) {
    for (;;) {
        platform.Sleep(kPollIntervalMs);
        uint32_t status = 0;
        // A child whose status cannot be asked for at all cannot be waited
        // for either: the wait ends rather than going on for ever.
        if (!platform.QueryExitStatus(child.process, &status)) break;
        if (status != kStillActive) break;
        // A child may end with 259 as its own exit code; only the process
        // object can tell that from one still running.
        if (platform.HasEnded(child.process)) break;
    }
    platform.CloseHandle(child.process);
    platform.CloseHandle(child.thread);
}

} // namespace

bool ComposeInstallCommand(const char *manager_path, const char *directory, const char *tail,
                           PathBuffer *command) {
    if (command->Copy(manager_path) && command->Append(" ") && command->Append("\"") &&
        command->Append(directory) && command->Append("\\") && command->Append(tail) &&
        command->Append("\""))
        return true;
    command->Copy(""); // no part of a command that did not fit stays behind
    return false;
}

void ApplicationName(const PathBuffer &manager_path, PathBuffer *name) {
    // Both fit: the name is never longer than the path it comes from.
    const char *path = manager_path.Text();
    const uint32_t length = manager_path.Length();
    if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
        name->Copy(path + 1);
        name->Terminate(length - 2);
    } else {
        name->Copy(path);
    }
}

int RunLaunchSequence(Platform &platform, const char *tail) {
    // Before anything could make Windows load a DLL on demand, and before
    // anything is expanded or started: Windows' folders as Windows keeps
    // them, for the lookup and for the manager, which inherits them.
    platform.RestrictDllSearch();
    SetSystemFolders(platform);

    // Where nobody can see it (a deployment that runs as SYSTEM), the
    // manager, an interactive program, would wait for an answer nobody can
    // give, and so would a box: nothing is started, shown or touched, and
    // the exit code tells the caller so.
    if (NobodySees(platform)) return kExitNobodySees;

    // 1. Find the application manager; without it there is nothing to do.
    PathBuffer manager_path;
    if (!LookUpApplicationManager(platform, &manager_path)) {
        Report(platform, kManagerMissingText, false);
        return kExitDone;
    }

    // The child is started by the registered module itself and never found
    // by a search: CreateProcessA, given only an unquoted command line with
    // blanks, would first try "C:\Program.exe" and every other prefix.
    PathBuffer application;
    ApplicationName(manager_path, &application);

    // 2. Every reason to launch nothing is settled before the companion
    // software's window is touched: the tail as the caller wrote it, and the
    // install command in the current directory (an empty tail runs the
    // manager bare, on the path as read). A command that would not fit is
    // launched in no form at all.
    const AnsiText ansi(platform);
    PathBuffer converted_tail;
    PathBuffer command;
    Outcome outcome = ResolveTail(platform, ansi, &tail, &converted_tail);
    const bool bare = tail[0] == '\0';
    if (outcome == Outcome::kGo && !bare)
        outcome = ComposeInCurrentDirectory(platform, ansi, manager_path.Text(), tail, &command);
    if (outcome != Outcome::kGo) return Refuse(platform, outcome);

    // 3. The companion software's window makes way for the manager.
    const SuiteWindow suite = FindAndMinimizeSuiteWindow(platform);

    // 4. The manager, bare on its path as read or on the install list. When
    // Windows refuses to start it there is nothing to wait for: the window
    // comes back, and the user and the caller are told.
    ChildProcess child;
    if (!platform.StartProcess(application.Text(), bare ? manager_path.Data() : command.Data(),
                               &child)) {
        RestoreSuiteWindow(platform, suite);
        ReportNotStarted(platform, application.Text(), child.error);
        return kExitNotStarted;
    }
    const uint32_t launch_tick = platform.TickCount();
    WaitForChild(platform, child);
    RestoreSuiteWindow(platform, suite);

    // 5. Held on for a known list; a bare run never pauses.
    if (!bare) TakeSettlingPause(platform, tail, launch_tick, suite.primary);
    return kExitDone;
}

} // namespace launcher
