// The launcher's main job, shown: the stand-in application manager is
// registered in App Paths, the primary suite's window is open, a sample
// install list waits in a folder with a blank in its name, and launcher.exe
// is started there on that list, as an installation would start it, after
// launcher-check has said what it would do. Prints what happened.
//   main_job.exe            a list with no settling pause
//   main_job.exe --pause    PlotterCAB.ini: held until 60 s after the launch
#include <cstdio>
#include <cstring>

#include "harness.h"
#include "launcher/settling_pause.h"
#include "launcher/wait_for_child.h"

namespace {

const char *Shown(HWND window) {
    if (!IsWindow(window)) return "gone";
    return IsIconic(window) ? "minimized" : "normal";
}

} // namespace

int RunMainJob(int argc, char **argv) {
    const bool pause = argc > 1 && std::strcmp(argv[1], "--pause") == 0;
    const std::string root = harness::WorkRoot();
    const std::string manager = root + "\\ActiveSync\\CEAPPMGR.EXE";
    const std::string folder = root + "\\Sample Install";
    const launcher::MinimumDuration &plotter = launcher::kMinimumDurations[1];
    const std::string list = pause ? plotter.list : "SampleCAB.ini";
    const std::string record = root + "\\main-job-record.txt";
    const std::string suite_title = "Tarnivo Site Suite";
    const DWORD child_ms = 2000;

    if (!harness::PlaceStandIn(manager) || !harness::RegisterManager(manager) ||
        !harness::MakeDirs(folder)) {
        std::printf("could not prepare the stand-in application manager\n");
        return 1;
    }
    harness::WriteWholeFile(folder + "\\" + list, "; a sample install list\n");
    harness::ConfigureStandIn(record, child_ms);
    harness::DesktopWindows windows({suite_title});
    const HWND suite = windows.Get(suite_title);

    const std::string command = "\"" + harness::BinDir() + "\\launcher.exe\" " + list;
    std::printf("registered manager : %s\n", manager.c_str());
    std::printf("suite window       : \"%s\", %s\n", suite_title.c_str(), Shown(suite));
    // What launcher-check says the launcher would do, in its own words.
    const std::string check = "\"" + harness::BinDir() + "\\launcher-check.exe\" " + list;
    std::printf("launcher-check     : %s\n", check.c_str());
    std::fflush(stdout);
    const harness::Run checked = harness::RunProgram(check, folder, 60000);
    std::printf("  its exit code    : %lu\n", static_cast<unsigned long>(checked.exit_code));
    std::printf("launcher started   : %s\n", command.c_str());
    std::printf("  in folder        : %s\n", folder.c_str());
    std::fflush(stdout);

    harness::MessageBoxWatch boxes("Installation");
    std::string suite_during;
    const harness::Run run = harness::RunProgram(command, folder, 300000, [&] {
        boxes.Poll();
        const std::vector<harness::Record> now = harness::ReadRecords(record);
        if (suite_during.empty() && !now.empty() && !now[0].ended) {
            windows.Becomes(suite_title, true, 2000);
            suite_during = Shown(suite);
        }
    });
    if (!run.started) {
        std::printf("launcher.exe could not be started\n");
        return 1;
    }

    const std::vector<harness::Record> records = harness::ReadRecords(record);
    for (const harness::Record &r : records) {
        std::printf("child module       : %s\n", r.module.c_str());
        std::printf("child command line : %s\n", r.command.c_str());
        std::printf("  started          : %6lu ms after the launcher\n",
                    static_cast<unsigned long>(r.start - run.start_tick));
        std::printf("suite window       : %s while the child runs\n", suite_during.c_str());
        if (r.ended) {
            std::printf("  ran for          : %6lu ms\n",
                        static_cast<unsigned long>(r.end - r.start));
            std::printf("launcher returned  : %6lu ms after the child ended (polls every %lu ms)\n",
                        static_cast<unsigned long>(run.end_tick - r.end),
                        static_cast<unsigned long>(launcher::kPollIntervalMs));
            std::printf("                     %6lu ms after the child started",
                        static_cast<unsigned long>(run.end_tick - r.start));
            if (pause)
                std::printf(" (the pause ends %lu ms after the launch tick, read as the child "
                            "starts)",
                            static_cast<unsigned long>(plotter.minimum_ms));
            std::printf("\n");
        }
    }
    if (records.empty()) std::printf("child              : none started\n");
    windows.Becomes(suite_title, false, 5000);
    std::printf("suite window       : %s after the launcher returned\n", Shown(suite));
    for (const harness::MessageBoxView &box : boxes.Seen())
        std::printf("message box        : [%s] %s\n", box.caption.c_str(), box.text.c_str());
    std::printf("whole run          : %6lu ms\n",
                static_cast<unsigned long>(run.end_tick - run.start_tick));
    std::printf("exit code          : %lu\n", static_cast<unsigned long>(run.exit_code));
    return run.ended && run.exit_code == 0 && records.size() == 1 ? 0 : 1;
}

// The registry entry and the desktop are left as they were found.
int main(int argc, char **argv) {
    return harness::RunGuarded([&] { return RunMainJob(argc, argv); });
}
