// Names handed on in the ANSI code page. Windows gives an ANSI program its
// command line and current directory converted from Unicode, and replaces a
// character the code page lacks with '?' or a look-alike ("best fit": a
// fullwidth quotation mark becomes a real '"'). A name converted here goes on
// only when every character has an exact counterpart.
#pragma once

#include "platform/platform.h"

namespace launcher {

class PathBuffer;

// How a step that hands names on ends: the run goes on, or nothing is
// launched, and why.
enum class Outcome {
    kGo,
    kFolderTooLong,    // the command would not fit from this folder, even in its short form
    kListTooLong,      // nor from any folder: the list's name is too long
    kFolderUnreadable, // the current directory cannot be read
    kNotPassable,      // a name the code page cannot hold exactly
};

enum class Conversion {
    kExact,    // converted, every character mapped both ways
    kNotExact, // some character has no exact counterpart
    kTooLong,  // exact, but longer than a PathBuffer holds
};

class AnsiText {
public:
    // Asks the platform for the ANSI code page once.
    explicit AnsiText(Platform &platform);

    // Whether `text` converts exactly: the size is asked for, nothing is
    // converted, so the text may be a command line of any length.
    bool IsExact(const char16_t *text) const;

    // Converts `text` into *out when it converts exactly and fits; otherwise
    // *out is left empty.
    Conversion Convert(const char16_t *text, PathBuffer *out) const;

private:
    Platform &platform_;
    bool utf8_;
};

} // namespace launcher
