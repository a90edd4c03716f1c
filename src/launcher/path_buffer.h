// A fixed buffer for one path or command line, filled only by steps that
// either fit whole or change nothing, so a cut string can never be used.
#pragma once

#include <cstdint>

namespace launcher {

class PathBuffer {
public:
    // 259 characters and the NUL, the classic MAX_PATH.
    static constexpr uint32_t kCapacity = 260;

    PathBuffer() { text_[0] = '\0'; }
    PathBuffer(const PathBuffer &) = delete;
    PathBuffer &operator=(const PathBuffer &) = delete;

    // Replaces the contents with `text`; false, and nothing changed, when
    // it does not fit with its NUL.
    bool Copy(const char *text);

    // Adds `text` at the end; false, and nothing changed, when the result
    // would not fit with its NUL.
    bool Append(const char *text);

    // Makes the first `length` bytes a string: NUL-terminates them where a
    // system call filled the raw buffer. False when there is no room for the
    // NUL and the bytes hold none either; the buffer is then left empty.
    bool Terminate(uint32_t length);

    uint32_t Length() const;
    const char *Text() const { return text_; }
    char *Data() { return text_; }

private:
    char text_[kCapacity];
};

} // namespace launcher
