// Bounded copy and append on a PathBuffer.
#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// Length of `text`, or `limit` when it has no NUL before that: the scan
// never reads past what could fit.
uint32_t BoundedLength(const char *text, uint32_t limit) {
    uint32_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

} // namespace

uint32_t PathBuffer::Length() const { return BoundedLength(text_, kCapacity); }

bool PathBuffer::Copy(const char *text) {
    const uint32_t n = BoundedLength(text, kCapacity);
    if (n == kCapacity) return false;
    for (uint32_t i = 0; i <= n; ++i) text_[i] = text[i];
    return true;
}

bool PathBuffer::Append(const char *text) {
    const uint32_t used = Length();
    const uint32_t room = kCapacity - used; // bytes left, NUL included
    const uint32_t n = BoundedLength(text, room);
    if (n == room) return false;
    for (uint32_t i = 0; i <= n; ++i) text_[used + i] = text[i];
    return true;
}

bool PathBuffer::Terminate(uint32_t length) {
    if (length < kCapacity) {
        text_[length] = '\0';
        return true;
    }
    if (BoundedLength(text_, kCapacity) < kCapacity) return true;
    text_[0] = '\0';
    return false;
}

} // namespace launcher
