// End to end: what only Windows itself can show.
#include "launcher_test.h"

namespace e2e {
namespace {

// DLLs that Windows loads on demand, for the message box's themes and input
// methods, planted beside a copy of the launcher: none is ever loaded, as
// the launcher has Windows take them from System32 only. Wine always loads
// its own system DLLs, so there the test would prove nothing.
TEST_F(LauncherTest, DllsBesideTheLauncherAreNeverLoaded) {
    if (harness::UnderWine())
        GTEST_SKIP() << "Wine loads its own system DLLs whatever lies beside a program";
    ASSERT_TRUE(harness::UnregisterManager());
    const std::string folder = root_ + "\\planted";
    ASSERT_TRUE(harness::MakeDirs(folder));
    const std::string record = folder + "\\planted-dll-loaded.txt";
    DeleteFileA(record.c_str());
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(),
                          (folder + "\\launcher.exe").c_str(), FALSE));
    for (const char *name : {"uxtheme.dll", "dwmapi.dll", "version.dll", "TextInputFramework.dll",
                             "CoreMessaging.dll", "CoreUIComponents.dll", "WinTypes.dll"})
        ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\planted.dll").c_str(),
                              (folder + "\\" + name).c_str(), FALSE));
    ExpectRefused(RunLine("\"" + folder + "\\launcher.exe\" Sample.ini", folder), 0,
                  kManagerMissing);
    std::string loaded;
    EXPECT_FALSE(harness::ReadWholeFile(record, &loaded)) << "loaded: " << loaded;
}

} // namespace
} // namespace e2e
