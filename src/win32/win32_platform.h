// The launcher's operations carried out by Win32 calls. This folder alone
// includes <windows.h>.
#pragma once

#include "platform/platform.h"

namespace launcher {

class Win32Platform final : public Platform {
public:
    void RestrictDllSearch() override;
    uint32_t SystemWindowsFolder(char *buffer, uint32_t capacity) override;
    bool SetEnvironment(const char *name, const char *value) override;
    bool OpenMachineKey(const char *subkey, Handle *key) override;
    bool QueryStringValue(Handle key, const char *name, char *data, uint32_t *size,
                          bool *expandable) override;
    uint32_t ExpandEnvironment(const char *text, char *buffer, uint32_t capacity) override;
    PathKind PathKindOf(const char *path) override;
    void CloseKey(Handle key) override;
    void ShowErrorBox(const char *text, const char *caption, bool foreground) override;
    bool WindowStationInvisible() override;
    bool KernelExports(const char *function) override;
    bool ProcessSession(uint32_t *session) override;
    uint32_t DescribeError(uint32_t error, char *buffer, uint32_t capacity) override;
    const char16_t *WideCommandLine() override;
    uint32_t WideCurrentDirectory(char16_t *buffer, uint32_t capacity) override;
    uint32_t WideShortPath(const char16_t *path, char16_t *buffer, uint32_t capacity) override;
    uint32_t AnsiCodePage() override;
    uint32_t WideToAnsi(const char16_t *text, char *buffer, uint32_t capacity,
                        bool *used_default) override;
    bool StartProcess(const char *application, char *command_line, ChildProcess *child) override;
    bool QueryExitStatus(Handle process, uint32_t *status) override;
    bool HasEnded(Handle process) override;
    void CloseHandle(Handle handle) override;
    Handle FindTopLevelWindow(const char *title) override;
    void ShowWindow(Handle window, WindowShow show) override;
    uint32_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

// IsDBCSLeadByte in the process's ANSI code page.
class Win32CodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
};

} // namespace launcher
