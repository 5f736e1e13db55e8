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
    const char* note = "";  // a word of the note, for a text used as program matter
  } cases[] = {
      {"Window WINDOW('Update Contact'),AT(,,260,200),GRAY", "'Update", false, "WINDOW"},
      {"  BUTTON('&OK'),AT(150,180),USE(?OK),DEFAULT", "'&OK'", false, "BUTTON, USE(?OK)"},
      {"  ENTRY(@s40),USE(CON:LastName),TIP('The family name')", "'The", false,
       "ENTRY, TIP, USE(CON:LastName)"},
      {"  ENTRY(@s40),USE (CON:Name),TIP('The name')", "'The", false, "ENTRY, TIP, USE (CON:Name)"},
      {"  IF MESSAGE('Delete?','Confirm',ICON:Question) = BUTTON:Yes", "'Confirm'", false,
       "MESSAGE title"},
      {"  MESSAGE('Delete ' & CLIP(Name) & '?', 'Confirm')", "'?'", false, "MESSAGE text"},
      {"  MESSAGE(Q,'Save',ICON:Question,'&Save|&Discard')", "'&S", false, "MESSAGE buttons"},
      {"  IF CLIP(L) = 'GO' THEN Go().", "'GO'", false, "compared in a condition (IF)", "compares"},
      {"    OF 'CSTRING'", "'CSTRING'", false, "a value compared in a CASE (OF)", "compares"},
      {"  OROF 'PSTRING' ; N = 1", "'P", false, "a value compared in a CASE (OROF)", "compares"},
      {"  IF INLIST(T,'BLOB','MEMO')", "'M", false, "compared in a condition (INLIST)", "compares"},
      {"  IF Done THEN 0{PROP:Text} = 'Done'.", "'D", false, "assigned to 0{PROP:Text}"},
      {"  N += 1 ; PUName[N] = 'Property: ' & Name", "'Property", false, "assigned to PUName[N]"},
      {"  IF W{'Proc_Name'} THEN .", "'Proc_Name'", false, "a property name ({...})", "name"},
      {"Out PROCEDURE,NAME('OutputA')", "'O", false,
       "a name the program is linked or opened "
       "under (NAME)",
       "name"},
      {"  Shown = FORMAT(Amount,'@N12.2~ Euro~')", "'@N", false, "a picture (FORMAT)", "picture"},
      {"  SELF.FileName = 'Plan'", "'P", false, "assigned to SELF.FileName", "file name"},
      {"  RETURN 'Done ' & CHOOSE(OK,'well')", "'w", false, "returned by a procedure (RETURN)"},
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
    TextUse use = DescribeUse(line, line.find(c.literal), c.tildePiece);
    EXPECT_EQ(use.described, c.described) << c.line;
    EXPECT_EQ(use.note.empty(), *c.note == '\0') << c.line << ": " << use.note;
    EXPECT_NE(use.note.find(c.note), std::string::npos) << c.line << ": " << use.note;
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
