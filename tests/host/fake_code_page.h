// Code pages as the fake platform models them: 1252 as Latin-1, whose
// characters convert exactly and all others to '?'; 65001 as UTF-8; and the
// lead bytes of a double-byte code page, 932.
#pragma once

#include <cstdint>
#include <string>

namespace launcher::testing {

// UTF-8, with a surrogate that has no partner turned into U+FFFD.
inline std::string Utf8(const char16_t *text) {
    std::string out;
    for (const char16_t *p = text; *p != 0; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (*++p - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        const int trail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(kLead[trail] | c >> (6 * trail));
        for (int i = trail - 1; i >= 0; --i) out += static_cast<char>(0x80 | (c >> (6 * i) & 0x3F));
    }
    return out;
}

// The text in ANSI code page `code_page`; *used tells whether a '?' stands
// in.
inline std::string AnsiOf(const std::u16string &text, uint32_t code_page, bool *used) {
    if (code_page == 65001) return Utf8(text.c_str());
    std::string bytes;
    for (const char16_t unit : text) {
        *used |= unit > 0xFF;
        bytes += unit > 0xFF ? '?' : static_cast<char>(unit);
    }
    return bytes;
}

// Code page 932's lead bytes, as Windows reports them.
inline bool IsLeadByte932(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace launcher::testing
