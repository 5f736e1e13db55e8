// The fixed keywords by which the line filter tells program matter from texts for people. The
// scanner, its fuzz model and the tests all read them from here, so adding one is one edit.
#pragma once

#include <string_view>

// A line whose code part (the text before its first literal) holds one of these is program
// matter and yields nothing. These are matched exactly as written...
inline constexpr std::string_view kExactSkipKeywords[] = {
    ".SetFilter(", ".Fetch(",  "INIMgr.", ".AddKey(",
    "MEMBER(",     "INCLUDE(", "MODULE(", "FILE,DRIVER(",
};
// ...and these in any letter case (written here in upper case).
inline constexpr std::string_view kAnyCaseSkipKeywords[] = {"GETINI", "PUTINI"};

// In messages-only mode a line is scanned only when its code part holds this, in any letter case.
// The blank is part of it: a MESSAGE in the very first column, or after a tab only, is not one.
inline constexpr std::string_view kMessageKeyword = " MESSAGE";

// A literal right after one of these is an attribute value (a help id, a font, an icon or a
// picture file): it and the rest of its line are dropped. A keyword at the very start of a line
// is not recognised: at least one character must stand before it.
inline constexpr std::string_view kAttributeKeywords[] = {"HLP(", "FONT(", "ICON(", "WALLPAPER("};
