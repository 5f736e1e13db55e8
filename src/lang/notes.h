// The notes a PO file gives translators about a text, beside where it is used: what the text is
// in the program, and whether it looks like program matter rather than a text for people.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a text is in the program, from the logical line that holds it and its literal's opening
// quote: the statement it stands in (the call whose arguments hold it, else the first word of
// the statement: WINDOW, BUTTON, PROMPT, MENU, ITEM, MESSAGE, STRING...), the attribute it is
// the value of (TIP, MSG, a FORMAT column header for a piece between tildes) and the line's
// USE(...), joined by ", ": "ENTRY, TIP, USE(CON:LastName)".
std::string DescribeUse(std::string_view code, std::size_t quote, bool tildePiece);

// A note for a text that looks like program matter rather than a text for people, or nothing:
// a name with '_' or ':' between letters or digits, a file name, a setting, an SQL fragment.
std::string ProgramMatterNote(std::string_view text);
