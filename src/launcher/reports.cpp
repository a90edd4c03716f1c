// The reports' texts, Windows' own words for a refused start filled in as
// Windows would fill them, and the question whether anyone sees the run.
#include "launcher/reports.h"

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// Appends Windows' words for an error as Windows would fill them in, with
// the line break at their end left out: insert 1, with or without a format
// between '!'s, is `file`; "%%" is one '%'; every other insert stays as it
// stands. The words are cut apart in place where something is put in.
bool AppendWords(ReportText *text, char *words, const char *file) {
    uint32_t length = bounded::Length(words, ReportText::kCapacity);
    while (length != 0 && static_cast<unsigned char>(words[length - 1]) <= ' ') --length;
    words[length] = '\0';
    char *piece = words;
    char *p = words;
    while (*p != '\0') {
        const bool insert_one = p[0] == '%' && p[1] == '1' && (p[2] < '0' || p[2] > '9');
        if (p[0] == '%' && p[1] == '%') {
            p[1] = '\0'; // the piece ends with the first '%'
            if (!text->Append(piece)) return false;
            piece = p += 2;
        } else if (insert_one) {
            *p = '\0';
            if (!text->Append(piece) || !text->Append(file)) return false;
            p += 2;
            if (*p == '!') {
                char *close = p + 1;
                while (*close != '\0' && *close != '!') ++close;
                if (*close == '!') p = close + 1;
            }
            piece = p;
        } else {
            ++p;
        }
    }
    return text->Append(piece);
}

// The report of a start that Windows refused, with Windows' words for why
// when `words` are given: whole, or false.
bool ComposeNotStarted(ReportText *text, const char *application, char *words) {
    return text->Copy(kNotStartedText) && text->Append(application) &&
           text->Append(kNotStartedWhy) &&
           (words == nullptr || AppendWords(text, words, application)) &&
           text->Append(kNotStartedAdvice);
}

} // namespace

bool NobodySees(Platform &platform) {
    if (platform.WindowStationInvisible()) return true;
    uint32_t session = 0;
    // KERNEL32 has GetTickCount64 from Vista on: the question that no
    // compatibility layer answers as XP would.
    return platform.KernelExports("GetTickCount64") && platform.ProcessSession(&session) &&
           session == 0;
}

const char *RefusalText(Outcome outcome) {
    switch (outcome) {
    case Outcome::kListTooLong:
        return kListTooLongText;
    case Outcome::kFolderUnreadable:
        return kFolderUnreadableText;
    case Outcome::kNotPassable:
        return kNamesNotPassableText;
    default:
        return kFolderTooLongText;
    }
}

void ReportNotStarted(Platform &platform, const char *application, uint32_t error) {
    char words[ReportText::kCapacity];
    ReportText text;
    if (!platform.DescribeError(error, words, sizeof words) ||
        !ComposeNotStarted(&text, application, words))
        ComposeNotStarted(&text, application, nullptr);
    Report(platform, text.Text(), true);
}

} // namespace launcher
