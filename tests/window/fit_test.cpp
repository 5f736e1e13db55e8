#include "window/fit.h"

#include <gtest/gtest.h>

#include <sstream>

#include "window/window.h"

namespace {

std::vector<Window> Read(const std::string& source) {
  WindowReader reader("FORM.CLW");
  std::istringstream lines(source);
  std::size_t number = 0;
  for (std::string line; std::getline(lines, line);) reader.AddLine(line, ++number);
  return reader.Finish();
}

TEST(WindowReaderTest, ReadsTheStructuresOfASource) {
  std::vector<Window> windows = Read(
      "  MAP\n"
      "Other PROCEDURE\n"
      "  END\n"
      "Form PROCEDURE\n"
      "Window WINDOW('Edit'),AT(,,200,100),FONT('Arial',9), | ! the form\n"
      "         SYSTEM,GRAY\n"
      "  SHEET,AT(4,4,192,80),USE(?Sheet)\n"
      "    TAB('&General'),FONT(,,,FONT:bold)\n"
      "      PROMPT('It''s |'),AT(8,20),USE(?P) ! a comment 'with quotes'\n"
      "      ENTRY(@s20),AT(60,20,80,Width)\n"
      "    .\n"
      "  END\n"
      "  BUTTON(Label),AT(,,40,14)\n"
      "  END\n"
      "  CODE\n"
      "  OPEN(Window)\n");
  ASSERT_EQ(windows.size(), 1u);
  const Window& window = windows[0];
  EXPECT_EQ(window.Name(), "WINDOW Window");
  EXPECT_EQ(window.procedure, "Form");  // not the prototype in the MAP
  EXPECT_EQ(window.line, 5u);
  EXPECT_EQ(window.title, "Edit");
  EXPECT_EQ(window.at.width, 200);
  EXPECT_FALSE(window.at.x);
  EXPECT_TRUE(window.Has("SYSTEM"));
  ASSERT_EQ(window.controls.size(), 5u);
  const Control& tab = window.controls[1];
  EXPECT_EQ(tab.parent, 0u);
  EXPECT_EQ(tab.text, "&General");
  const Control& prompt = window.controls[2];
  EXPECT_EQ(prompt.Name(), "PROMPT ?P");
  EXPECT_EQ(prompt.text, "It''s |");
  EXPECT_EQ(prompt.parent, 1u);
  EXPECT_EQ(prompt.line, 9u);
  EXPECT_EQ(prompt.font.typeface, "Arial");  // the window's, made bold by the TAB's
  EXPECT_EQ(prompt.font.points, 9);
  EXPECT_TRUE(prompt.font.bold);
  EXPECT_FALSE(window.controls[3].text);  // a picture
  EXPECT_FALSE(window.controls[3].at.height);  // computed at run time
  EXPECT_EQ(window.controls[4].parent, std::nullopt);
  EXPECT_FALSE(window.controls[4].text);  // computed at run time
}

// The window's font is MS Sans Serif 8: a dialog unit across is 1.5 pixels.
const char kForm[] =
    "Window WINDOW('Contact'),AT(,,100,60),SYSTEM\n"
    "  BUTTON('&OK'),AT(4,40,30,14),USE(?OK)\n"
    "  BUTTON('&Save'),AT(40,40,24,14),USE(?Save)\n"
    "  BUTTON('&Delete all'),AT(64,40,20,14),USE(?Delete)\n"
    "  PROMPT('&Name:'),AT(4,4),USE(?Name:Prompt)\n"
    "  ENTRY(@s20),AT(40,4,50,10),USE(Name)\n"
    "  PROMPT('&City:'),AT(4,20),USE(?City:Prompt)\n"
    "  ENTRY(@s20),AT(40,28,50,10),USE(City)\n"
    "  CHECK('&Active'),AT(4,30,40),USE(Active)\n"
    "END\n";

TEST(FitTest, TranslationsAreMeasuredAgainstTheirControls) {
  std::vector<Window> windows = Read(kForm);
  ASSERT_EQ(windows.size(), 1u);
  Translations translations = {{"Contact", "Kontakt"},          {"&OK", "&OK"},
                               {"&Save", "&Speichern"},         {"&Delete all", "&Alle"},
                               {"&Name:", "&Familienname:"},    {"&City:", "&Ortschaft der Wohnung:"},
                               {"&Active", "&Aktiv"}};
  WindowFit fit = FitWindow(windows[0], translations, *CodePage::Named("cp1252"));
  EXPECT_EQ(fit.unitX, 6);
  EXPECT_EQ(fit.unitY, 13);
  struct Row {
    std::size_t text;
    Fit fit;
  };
  const Row rows[] = {
      {0, Fit::kFits},                 // the title, beside the caption's buttons
      {1, Fit::kFits},                 // &OK
      {2, Fit::kTooLong},              // &Speichern in 24 units
      {3, Fit::kTooLongUntranslated},  // &Delete all does not fit before it is translated
      {4, Fit::kTooLong},              // &Familienname: runs into the ENTRY
      {5, Fit::kFits},                 // the ENTRY on its row starts below it: to the edge
      {6, Fit::kFits},                 // &Aktiv and the box in 40 units
  };
  ASSERT_EQ(fit.texts.size(), 7u);
  for (const Row& row : rows) {
    SCOPED_TRACE(fit.texts[row.text].text);
    EXPECT_EQ(fit.texts[row.text].fit, row.fit);
  }
  EXPECT_EQ(fit.misfits, 3u);
  std::vector<Diagnostic> warnings = MisfitWarnings(windows[0], fit);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(FormatDiagnostic(windows[0].file, warnings[0]),
            "FORM.CLW:3: warning: BUTTON ?Save: '&Speichern' needs 36 dialog units, has 24");
  EXPECT_EQ(FormatDiagnostic(windows[0].file, warnings[1]),
            "FORM.CLW:4: warning: BUTTON ?Delete: '&Delete all' does not fit even "
            "untranslated: needs 34 dialog units, has 20");
  EXPECT_EQ(FormatDiagnostic(windows[0].file, warnings[2]),
            "FORM.CLW:5: warning: PROMPT ?Name:Prompt: '&Familienname:' runs into ENTRY Name: "
            "needs 45 dialog units, has 36");
}

TEST(FitTest, ATitleAndAnUntranslatedText) {
  std::vector<Window> windows =
      Read("W WINDOW('Addresses'),AT(,,100,40),SYSTEM\n PROMPT('Street'),AT(2,2)\nEND\n");
  WindowFit fit =
      FitWindow(windows[0], {{"Addresses", "Adressen der Kunden"}}, *CodePage::Named("cp1252"));
  ASSERT_EQ(fit.texts.size(), 2u);
  EXPECT_EQ(fit.texts[0].fit, Fit::kTooLong);  // the caption's buttons leave it 56 pixels
  EXPECT_EQ(fit.texts[0].estimate, "an estimate: Segoe UI measured as Tahoma");
  EXPECT_TRUE(fit.texts[1].untranslated);
  EXPECT_EQ(fit.texts[1].limit, "runs past the window's edge");
  EXPECT_EQ(fit.untranslated, 1u);
}

TEST(FitTest, ATextTurnedAQuarterHasItsControlsHeight) {
  // 'Value' is 27 pixels in MS Sans Serif 8: 18 units across, 17 down; ANGLE(450) is not measured.
  std::vector<Window> windows = Read(
      "W WINDOW,AT(,,100,60)\n STRING('Value'),AT(2,2,8,17),ANGLE(900)\n STRING('Value'),"
      "AT(12,2,8,16),ANGLE(-900)\n STRING('Value'),AT(22,2,8,30),ANGLE(450)\nEND\n");
  WindowFit fit = FitWindow(windows[0], {}, *CodePage::Named("cp1252"));
  EXPECT_EQ(fit.texts[0].fit, Fit::kFits);
  EXPECT_EQ(fit.texts[2].fit, Fit::kNotMeasured);
  EXPECT_EQ(FormatDiagnostic(windows[0].file, MisfitWarnings(windows[0], fit).at(0)),
            "FORM.CLW:3: warning: STRING: 'Value' does not fit even untranslated: turned to run "
            "down its height: needs 17 dialog units, has 16");
}

}  // namespace
