// The launcher's operations carried out by Win32 calls. This folder alone
// includes <windows.h>.
#pragma once

#include "platform/platform.h"

namespace launcher {

class Win32Platform final : public Platform {
public:
    void RestrictDllSearch() override;
    const char *CommandLine() override;
    bool IsLeadByte(unsigned char byte) override;
    bool SystemWindowsFolder(char *folder, uint32_t capacity) override;
    bool SetEnvironment(const char *name, const char *value) override;
    bool OpenMachineKey(const char *subkey, Handle *key) override;
    bool ReadStringValue(Handle key, const char *name, char *text, uint32_t capacity,
                         bool *expandable) override;
    bool ExpandEnvironment(const char *text, char *expanded, uint32_t capacity) override;
    PathKind PathKindOf(const char *path) override;
    void CloseKey(Handle key) override;
    void ShowErrorBox(const char *text, const char *caption, bool foreground) override;
    bool WindowStationInvisible() override;
    bool KernelExports(const char *function) override;
    bool ProcessSession(uint32_t *session) override;
    bool DescribeError(uint32_t error, char *words, uint32_t capacity) override;
    const char16_t *WideCommandLine() override;
    bool WideCurrentDirectory(char16_t *directory, uint32_t capacity, bool *too_long) override;
    bool WideShortPath(const char16_t *path, char16_t *short_path, uint32_t capacity) override;
    uint32_t AnsiCodePage() override;
    bool WideToAnsi(const char16_t *text, char *ansi, uint32_t capacity,
                    bool *used_default) override;
    bool StartProcess(const char *application, char *command_line, ChildProcess *child) override;
    bool StartThroughShell(const char *application, const char *parameters,
                           ChildProcess *child) override;
    bool QueryExitStatus(Handle process, uint32_t *status) override;
    bool HasEnded(Handle process) override;
    void CloseHandle(Handle handle) override;
    Handle FindTopLevelWindow(const char *title) override;
    void ShowWindow(Handle window, WindowShow show) override;
    uint32_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

} // namespace launcher
