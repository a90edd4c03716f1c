// Exact conversion to the ANSI code page: a name goes on only when every
// character maps both ways, asked of the system without best fit.
#include "launcher/ansi_text.h"

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// The code page number of UTF-8, which Windows 10 and later can make the
// ANSI code page.
constexpr uint32_t kUtf8CodePage = 65001;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UTF-8 holds every character, but a surrogate without its partner is no
// character: the conversion turns it into U+FFFD.
bool IsWellFormed(const char16_t *text) {
    for (const char16_t *p = text; *p != 0; ++p) {
        if (IsHighSurrogate(*p) && IsLowSurrogate(p[1])) {
            ++p;
        } else if (IsHighSurrogate(*p) || IsLowSurrogate(*p)) {
            return false;
        }
    }
    return true;
}

} // namespace

AnsiText::AnsiText(Platform &platform)
    : platform_(platform), utf8_(platform.AnsiCodePage() == kUtf8CodePage) {}

bool AnsiText::IsExact(const char16_t *text) const {
    // UTF-8 takes neither the no-best-fit flag nor the used-default pointer.
    if (utf8_) return IsWellFormed(text) && platform_.WideToAnsi(text, nullptr, 0, nullptr);
    bool used_default = true;
    return platform_.WideToAnsi(text, nullptr, 0, &used_default) && !used_default;
}

Conversion AnsiText::Convert(const char16_t *text, PathBuffer *out) const {
    out->Copy("");
    if (!IsExact(text)) return Conversion::kNotExact;
    // Exact as asked: what keeps it out of the buffer is its length.
    bool used_default = false;
    if (!platform_.WideToAnsi(text, out->Data(), PathBuffer::kCapacity,
                              utf8_ ? nullptr : &used_default)) {
        out->Copy("");
        return Conversion::kTooLong;
    }
    if (!used_default) return Conversion::kExact;
    out->Copy("");
    return Conversion::kNotExact;
}

} // namespace launcher
