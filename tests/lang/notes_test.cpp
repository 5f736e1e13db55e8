#include "lang/notes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a translator is told a text is, from the line that holds it.
TEST(NotesTest, DescribesWhatATextIsInTheProgram) {
  const struct {
    const char* line;
    const char* literal;  // the literal whose text is described, as it stands in the line
    bool tildePiece;
    const char* described;
  } cases[] = {
      {"Window WINDOW('Update Contact'),AT(,,260,200),GRAY", "'Update", false, "WINDOW"},
      {"  BUTTON('&OK'),AT(150,180),USE(?OK),DEFAULT", "'&OK'", false, "BUTTON, USE(?OK)"},
      {"  ENTRY(@s40),USE(CON:LastName),TIP('The family name')", "'The", false,
       "ENTRY, TIP, USE(CON:LastName)"},
      {"  ENTRY(@s40),USE (CON:Name),TIP('The name')", "'The", false, "ENTRY, TIP, USE (CON:Name)"},
      {"  IF MESSAGE('Delete?','Confirm',ICON:Question) = BUTTON:Yes", "'Confirm'", false,
       "MESSAGE"},
      {"  ITEM('E&xit'),MSG('Leave it'),USE(?Exit)", "'Leave", false, "ITEM, MSG, USE(?Exit)"},
      {"  LIST,USE(?List),FORMAT('120L~Name~@s40@')", "'120L", true,
       "LIST, FORMAT column header, USE(?List)"},
      {"    FORMAT('120L~Name~@s40@'),FROM(Q)", "'120L", true, "FORMAT column header"},
      {"  ActionText = 'Adding a contact'", "'Adding", false, "assigned to ActionText"},
      {"  ?Title{PROP:Text} = 'Browse'", "'Browse'", false, "assigned to ?Title{PROP:Text}"},
      {"  SELF.AddItem('Sort by name')", "'Sort", false, "SELF.AddItem"},
      {"      'and so on.')", "'and", false, ""},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    EXPECT_EQ(DescribeUse(line, line.find(c.literal), c.tildePiece), c.described) << c.line;
  }
}

TEST(NotesTest, NotesTextsThatLookLikeProgramMatter) {
  const struct {
    const char* text;
    const char* kind;  // "" for a text for people
  } cases[] = {
      {"NOMBRE_CORTO", "a name"},
      {"CON:LastName", "a name"},
      {"Report.pdf", "a file name"},
      {"CC=N(9.0)", "a setting"},
      {"SELECT * FROM Customers", "SQL"},
      {"update cus set x = 1", "SQL"},
      {"Update Contact", ""},
      {"Delete from the list?", ""},
      {"e.g.", ""},
      {"Contacts 1.2", ""},
  };
  for (const auto& c : cases) {
    std::string note = ProgramMatterNote(c.text);
    EXPECT_EQ(note.empty(), std::string(c.kind).empty()) << c.text << ": " << note;
    EXPECT_NE(note.find(c.kind), std::string::npos) << c.text << ": " << note;
  }
}

}  // namespace
