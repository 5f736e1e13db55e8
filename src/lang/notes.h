// The notes a PO file gives translators about a text, beside where it is used: what the text is
// in the program, and whether it looks like program matter rather than a text for people.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a text is in the program, and a note where its use shows it is program matter.
struct TextUse {
  std::string described;  // "ENTRY, TIP, USE(CON:LastName)", "compared in a condition (IF)"
  std::string note;       // "the program compares it: leave it unless users see it"; or none
};

// What a text is, from the logical line that holds it and its literal's opening quote, in the
// statement that holds it (after a ';' or a THEN): the call whose arguments hold it (WINDOW,
// BUTTON, PROMPT, MENU, ITEM...; the MESSAGE text, title or buttons; a function that hands its
// argument on, such as CLIP or UPPER, gives way to the call around it), else what its statement
// does with it (assigned to a variable, compared in a condition or a CASE, returned); the
// attribute it is the value of (TIP, MSG, a FORMAT column header for a piece between tildes) and
// the line's USE(...), joined by ", ": "ENTRY, TIP, USE(CON:LastName)". A text compared, a
// name (NAME, a property between braces, a command RUN runs), a picture (the second argument
// of FORMAT) and a file name (assigned to a variable named for one) get a note.
TextUse DescribeUse(std::string_view code, std::size_t quote, bool tildePiece);

// A note for a text that looks like program matter rather than a text for people, or nothing:
// a name with '_' or ':' between letters or digits, a file name, a setting, an SQL fragment.
std::string ProgramMatterNote(std::string_view text);
