// Message boxes as a user sees them: caption, text, buttons and icon, read
// while a program runs and dismissed with OK.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace harness {

// A message box as a user sees it.
struct MessageBoxView {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    bool error_icon = false;
    bool visible = false; // shown, not hidden nor minimized, once it was read
};
// Watches for message boxes of one caption while a program runs, reads each
// once and dismisses it with OK.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(std::string caption) : caption_(std::move(caption)) {}
    void Poll();
    const std::vector<MessageBoxView> &Seen() const { return seen_; }

private:
    std::string caption_;
    HWND last_ = nullptr;
    std::vector<MessageBoxView> seen_;
};

} // namespace harness
