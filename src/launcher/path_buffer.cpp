// Bounded copy and append on a fixed buffer, compiled once for each of the
// two sizes: a step either fits whole or changes nothing.
#include "launcher/path_buffer.h"

namespace launcher::bounded {

// Length of `text`, or `capacity` when it has no NUL before that: the scan
// never reads past what could fit.
uint32_t Length(const char *text, uint32_t capacity) {
    uint32_t n = 0;
    while (n < capacity && text[n] != '\0') ++n;
    return n;
}

bool Copy(char *text, uint32_t capacity, const char *from) {
    const uint32_t n = Length(from, capacity);
    if (n == capacity) return false;
    for (uint32_t i = 0; i <= n; ++i) text[i] = from[i];
    return true;
}

bool Append(char *text, uint32_t capacity, const char *from) {
    const uint32_t used = Length(text, capacity);
    const uint32_t room = capacity - used; // bytes left, NUL included
    const uint32_t n = Length(from, room);
    if (n == room) return false;
    for (uint32_t i = 0; i <= n; ++i) text[used + i] = from[i];
    return true;
}

bool Terminate(char *text, uint32_t capacity, uint32_t length) {
    if (length < capacity) {
        text[length] = '\0';
        return true;
    }
    text[0] = '\0';
    return false;
}

bool TakeStoredString(char *text, uint32_t capacity, uint32_t size) {
    // The text ends at the first NUL of what was read, or with the data.
    const uint32_t length = size <= capacity ? Length(text, size) : capacity;
    return Terminate(text, capacity, length);
}

} // namespace launcher::bounded

namespace launcher {

template <uint32_t Capacity> bool FixedText<Capacity>::Copy(const char *text) {
    return bounded::Copy(text_, Capacity, text);
}

template <uint32_t Capacity> bool FixedText<Capacity>::Append(const char *text) {
    return bounded::Append(text_, Capacity, text);
}

template <uint32_t Capacity> bool FixedText<Capacity>::Terminate(uint32_t length) {
    return bounded::Terminate(text_, Capacity, length);
}

template <uint32_t Capacity> bool FixedText<Capacity>::TakeStoredString(uint32_t size) {
    return bounded::TakeStoredString(text_, Capacity, size);
}

template <uint32_t Capacity> uint32_t FixedText<Capacity>::Length() const {
    return bounded::Length(text_, Capacity);
}

template class FixedText<PathBuffer::kCapacity>;
template class FixedText<ReportText::kCapacity>;

} // namespace launcher
