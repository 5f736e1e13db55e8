// quotex-lang check --sources, preview and pseudo, run as a user would.
#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"
#include "e2e/lang_fixture.h"

namespace {

constexpr char kSource[] =
    "Window WINDOW('Customers'),AT(,,200,100),FONT('MS Sans Serif',8)\r\n"
    "       BUTTON('&OK'),AT(4,80,30,14),USE(?OK)\r\n"
    "       BUTTON('Cancel'),AT(40,80,30,14),USE(?Cancel)\r\n"
    "     END\r\n";

class LangWindowsTest : public E2eTest {
 protected:
  void SetUp() override {
    WriteFile("main.clw", kSource);
    WriteFile("DE.CRT", Crt({{"Customers", "Kunden"}, {"&OK", "&OK"}, {"Cancel", "Abbrechen"}}));
  }
};

TEST_F(LangWindowsTest, CheckWarnsOfTranslationsThatDoNotFitWithoutFailing) {
  ProcessResult result = RunLang({"check", "de", "--sources", "*.clw"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.errors,
            "main.clw:3: warning: BUTTON ?Cancel: 'Abbrechen' needs 39 dialog units, has 30\n");
  EXPECT_EQ(result.output,
            "DE.CRT: 3 texts, 3 translated (100.0%), 1 window, 1 text does not fit\n");
}

TEST_F(LangWindowsTest, PreviewWritesOnePage) {
  ProcessResult result = RunLang({"preview", "de", "--sources", "*.clw"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "DE.html: 1 window, 1 text does not fit, 0 untranslated\n");
  EXPECT_NE(ReadBytes(Dir() / "DE.html").find("data-misfits=\"1\""), std::string::npos);
  EXPECT_EQ(RunLang({"preview", "de", "--sources", "*.clw", "-o", "de.crt"}).status, 2);
}

TEST_F(LangWindowsTest, PseudoNeverWritesOverATranslatorsWork) {
  ProcessResult result = RunLang({"pseudo", "de", "ps"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "PS.CRT: 3 texts, 3 pseudo-translated, 0 left as they are\n");
  EXPECT_EQ(ReadBytes(Dir() / "PS.CRT"),
            Crt({{"Customers", "[\xC7\xFBst\xF4m\xE9rs==]"},  // in cp1252
                 {"&OK", "[&OK]"},
                 {"Cancel", "[\xC7\xE2\xF1\xE7\xE9l=]"}}));
  EXPECT_EQ(ReadBytes(Dir() / "PS.LST"), "Customers\r\n&OK\r\nCancel\r\n");
  ProcessResult check = RunLang({"check", "ps"});
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.errors, "");
  EXPECT_EQ(RunLang({"pseudo", "de", "ps"}).status, 0);  // its own work it replaces
  EXPECT_EQ(RunLang({"pseudo", "de", "./de"}).status, 2);
  std::string german = ReadBytes(Dir() / "DE.CRT");
  result = RunLang({"pseudo", "ps", "de"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors,
            "DE.CRT: error: line 4 holds a translation that is no pseudo-translation; nothing "
            "was changed (name other files for the pseudo-translations)\n");
  EXPECT_EQ(ReadBytes(Dir() / "DE.CRT"), german);
}

TEST_F(LangWindowsTest, PseudoLeavesWhatTheSourcesUseAsProgramMatter) {
  WriteFile("a.clw", "  IF Kind = 'Cancel' THEN RETURN.\r\n");  // scanned before main.clw
  ProcessResult result = RunLang({"pseudo", "de", "ps", "--sources", "*.clw"});
  EXPECT_EQ(result.output, "PS.CRT: 3 texts, 2 pseudo-translated, 1 left as they are\n")
      << result.errors;
}

}  // namespace
