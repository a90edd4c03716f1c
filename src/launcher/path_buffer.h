// Fixed buffers for a path, a command line or a report's text, filled only
// by steps that either fit whole or change nothing, so a cut string can never
// be used.
#pragma once

#include <cstdint>

namespace launcher {

// The steps on `capacity` bytes at `text`, for the buffers below.
namespace bounded {
bool Copy(char *text, uint32_t capacity, const char *from);
bool Append(char *text, uint32_t capacity, const char *from);
bool Terminate(char *text, uint32_t capacity, uint32_t length);
bool TakeStoredString(char *text, uint32_t capacity, uint32_t size);
uint32_t Length(const char *text, uint32_t capacity);
} // namespace bounded

// The steps are compiled once for each size (path_buffer.cpp), so that a
// call passes no more than a call on a buffer of one size would.
template <uint32_t Capacity> class FixedText {
public:
    static constexpr uint32_t kCapacity = Capacity;

    FixedText() { text_[0] = '\0'; }
    FixedText(const FixedText &) = delete;
    FixedText &operator=(const FixedText &) = delete;

    // Replaces the contents with `text`; false, and nothing changed, when
    // it does not fit with its NUL.
    bool Copy(const char *text);

    // Adds `text` at the end; false, and nothing changed, when the result
    // would not fit with its NUL.
    bool Append(const char *text);

    // Makes the first `length` bytes a string: NUL-terminates them where a
    // system call filled the raw buffer. False when there is no room for the
    // NUL; the buffer is then left empty.
    bool Terminate(uint32_t length);

    // Makes the `size` bytes that a registry query stored a string, by the
    // one rule for a registry string: the text before their first NUL, or
    // all of them where they hold none, when it has at most Capacity - 1
    // characters; whatever follows that NUL is ignored. A longer text is
    // none (false, and the buffer left empty).
    bool TakeStoredString(uint32_t size);

    uint32_t Length() const;
    const char *Text() const { return text_; }
    char *Data() { return text_; }

private:
    char text_[Capacity];
};

// 259 characters and the NUL, the classic MAX_PATH.
class PathBuffer final : public FixedText<260> {};

// A message box's text: a path and Windows' own words for an error.
class ReportText final : public FixedText<1024> {};

extern template class FixedText<PathBuffer::kCapacity>;
extern template class FixedText<ReportText::kCapacity>;

} // namespace launcher
