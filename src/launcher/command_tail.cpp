// Cutting the command tail from the full command line, in ANSI bytes or in
// UTF-16 units, and choosing the line to cut it from.
//
//   unit          in the program-name token          after it
//   0             the line ends: the tail is empty   -
//   1..32         ends the token, unless in quotes   skipped
//   '"'           flips "in quotes", anywhere        starts the tail
//   lead byte     takes the next byte with it        starts the tail
//   anything else part of the token                  starts the tail
//
// Quotes are not removed and trailing blanks are kept: the tail is exactly
// the rest of the line.
#include "launcher/command_tail.h"

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// A code unit from 1 to 32 is a blank, whatever its width.
template <typename Unit> bool IsBlank(Unit unit) { return unit != 0 && unit <= Unit(' '); }

// UTF-16 needs no pairing: no unit of a surrogate pair is a blank or a quote.
struct NoLeadUnits {
    bool IsLeadByte(char16_t /*unit*/) const { return false; }
};

// The ANSI code page's lead bytes, as the platform tells them.
struct LeadBytes {
    Platform &platform;
    bool IsLeadByte(unsigned char byte) const { return platform.IsLeadByte(byte); }
};

template <typename Unit, typename LeadTest>
const Unit *Cut(const Unit *command_line, const LeadTest &lead) {
    const Unit *p = command_line;
    bool in_quotes = false;
    for (;;) {
        const Unit unit = *p;
        if (unit == 0) return p;
        if (IsBlank(unit) && !in_quotes) break;
        if (unit == Unit('"')) in_quotes = !in_quotes;
        // A lead byte takes its trail byte along, but a lead byte right
        // before the NUL has none: the NUL still ends the line.
        ++p;
        if (lead.IsLeadByte(unit) && *p != 0) ++p;
    }
    while (IsBlank(*p)) ++p;
    return p;
}

} // namespace

const char *CutCommandTail(const char *command_line, Platform &platform) {
    if (command_line == nullptr) return "";
    // Bytes from 0x80 up are neither blanks nor quotes: compared unsigned.
    const auto *line = reinterpret_cast<const unsigned char *>(command_line);
    return reinterpret_cast<const char *>(Cut(line, LeadBytes{platform}));
}

const char16_t *CutCommandTail(const char16_t *command_line) {
    if (command_line == nullptr) return u"";
    return Cut(command_line, NoLeadUnits());
}

CommandTail ResolveCommandTail(Platform &platform, const AnsiText &ansi, PathBuffer *converted) {
    const char *line = platform.CommandLine();
    const char16_t *wide_line = platform.WideCommandLine();
    if (ansi.IsExact(wide_line)) return {Outcome::kGo, CutCommandTail(line, platform)};
    switch (ansi.Convert(CutCommandTail(wide_line), converted)) {
    case Conversion::kExact:
        return {Outcome::kGo, converted->Text()};
    case Conversion::kTooLong:
        return {Outcome::kListTooLong, ""}; // no install command could hold it
    case Conversion::kNotExact:
        break;
    }
    return {Outcome::kNotPassable, ""};
}

} // namespace launcher
