// quotex-lang export, as a translator gets it: where each text is used and what it is there,
// and suggestions for the texts without a translation.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "e2e/lang_fixture.h"

namespace {

class LangExportTest : public E2eTest {};

TEST_F(LangExportTest, TellsWhereEachTextIsUsedAndWhatItIs) {
  WriteFile("main.clw",
            "Window WINDOW('Customers'),AT(,,200,100)\r\n"
            "       BUTTON('&OK'),USE(?OK)\r\n"
            "  MESSAGE('Do you want ' &|\r\n"
            "          'to leave?','Customers')\r\n"
            "  LIST,USE(?List),FORMAT('80L~Name~@s20@80L~City~@s20@')\r\n"
            "  MESSAGE('Saved','Saved')\r\n"
            "  Long = " +
                std::string(1100, 'a') +
                " & 'Far away'\r\n"
                "  ENTRY(@s20),USE(CUS:Name),TIP('CUS:NOMBRE_CORTO')\r\n"
                "  MESSAGE('Tab<9>here')\r\n"
                "  MESSAGE('Tab\there')\r\n"
                // A text on a continuation line is described with its whole statement.
                "  BUTTON('&Cancel'),USE(?Cancel), |  ! 'a' |\r\n"
                "         TIP('Leave it')\r\n"
                "  Y = 'Keep |'\r\n"
                "  X = CHOOSE(A = 1, |\r\n"
                "      'First choice', |\r\n"
                "      'Second choice')\r\n");
  WriteFile("other.clw", "  MESSAGE('Customers')\r\n  MESSAGE('Only here')\r\n");
  ASSERT_EQ(RunLang({"update", "*.clw", "de"}).status, 0);
  std::filesystem::remove(Dir() / "other.clw");
  WriteFile("Later_Procedures.clw", "\r\n\r\n  MESSAGE('Customers')\r\n");
  ProcessOptions epoch;
  epoch.environment = {"SOURCE_DATE_EPOCH=86400"};
  auto before = Snapshot();
  ProcessResult result = RunLang({"export", "de", "--sources", "*.clw"}, epoch);
  ASSERT_EQ(result.status, 0) << result.errors;
  std::string po = ReadBytes(Dir() / "DE.po");
  EXPECT_NE(po.find("\"POT-Creation-Date: 1970-01-02 00:00+0000\\n\""), std::string::npos) << po;
  EXPECT_NE(po.find("\"X-Generator: quotex-lang "), std::string::npos);
  for (const char* entry : {
           "\n#. MESSAGE text\n#: Later_Procedures.clw:3 main.clw:1 main.clw:4\n"
           "msgid \"Customers\"\n",
           "\n#. BUTTON, USE(?OK)\n#: main.clw:2\nmsgid \"&OK\"\n",
           "\n#. MESSAGE text\n#: main.clw:3\nmsgid \"Do you want to leave?\"\n",
           "\n#. LIST, FORMAT column header, USE(?List)\n#: main.clw:5\nmsgid \"City\"\n",
           "\n#. MESSAGE text\n#: main.clw:6\nmsgid \"Saved\"\n",
           "\n\n#: main.clw:7\nmsgid \"Far away\"\n",
           "\n#. ENTRY, TIP, USE(CUS:Name)\n#. looks like a name the program uses: leave it "
           "unless users see it\n#: main.clw:8\nmsgid \"CUS:NOMBRE_CORTO\"\n",
           "\n#. not found in the sources\nmsgid \"Only here\"\n",
           // A tab written either way is one text of the CRT file.
           "\n#. MESSAGE text\n#: main.clw:9 main.clw:10\nmsgid \"Tab\\there\"\n",
           "\n#. BUTTON, TIP, USE(?Cancel)\n#: main.clw:12\nmsgid \"Leave it\"\n",
           "\n#. assigned to Y\n#: main.clw:13\nmsgid \"Keep |\"\n",
           "\n#. assigned to X\n#: main.clw:15\nmsgid \"First choice\"\n",
           "\n#. assigned to X\n#: main.clw:16\nmsgid \"Second choice\"\n",
       }) {
    EXPECT_NE(po.find(entry), std::string::npos) << entry << "\nin\n" << po;
  }
  // Nothing of the references is stored: moving a line of a source changes no file of the base.
  std::filesystem::remove(Dir() / "DE.po");
  EXPECT_EQ(Snapshot(), before);
}

// A text without a translation is offered the translation of the most similar translated text:
// the base's obsolete texts first, then its own, then another application's; never a name's.
TEST_F(LangExportTest, SuggestsTheTranslationOfTheMostSimilarText) {
  WriteFile("DE.CRT", Crt({{"Save the text file A", "Datei A sichern"},
                           {"Delete the records", ""},
                           {"Save the text file C", ""},
                           {"Print", ""},
                           {"Open the customer", ""},
                           {"CUS:Customer_Names", ""}}));
  WriteFile("DE.OBS", Crt({{"Delete the record", "Den Satz loeschen"},
                           {"Save the text file B", "B"},
                           {"CUS:Customer_Name", "Kundenname"}}));
  std::filesystem::create_directory(Dir() / "other");
  WriteFile("other/DE.CRT", Crt({{"Open the customer", "Kunden oeffnen"}}));
  ProcessResult result = RunLang({"export", "de", "--compendium", "other/de"});
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "DE.po: 6 texts, 1 translated, 3 suggested\n");
  std::string po = ReadBytes(Dir() / "DE.po");
  for (const char* entry : {
           "\n#, fuzzy\n#| msgid \"Delete the record\"\nmsgid \"Delete the records\"\n"
           "msgstr \"Den Satz loeschen\"\n",
           "\n#, fuzzy\n#| msgid \"Save the text file B\"\nmsgid \"Save the text file C\"\nmsgstr "
           "\"B\"\n",
           "\n\nmsgid \"Print\"\nmsgstr \"\"\n",
           "\n#. suggested by other/DE.CRT\n#, fuzzy\nmsgid \"Open the customer\"\n"
           "msgstr \"Kunden oeffnen\"\n",
           "\n\nmsgid \"CUS:Customer_Names\"\nmsgstr \"\"\n",
       }) {
    EXPECT_NE(po.find(entry), std::string::npos) << entry << "\nin\n" << po;
  }
  // The suggestions it offers again are no translation lost, with the sources scanned or not.
  ASSERT_EQ(RunLang({"export", "de", "--compendium", "other/de"}).status, 0);
  EXPECT_EQ(ReadBytes(Dir() / "DE.po"), po);
  // A text the sources compare is program matter, and gives no suggestion.
  WriteFile("main.clw", "  MESSAGE('Print')\r\n  IF X = 'Delete the record' THEN Y = 1.\r\n");
  ASSERT_EQ(RunLang({"export", "de", "--compendium", "other/de", "--sources", "*.clw"}).status, 0);
  EXPECT_EQ(ReadBytes(Dir() / "DE.po").find("Den Satz"), std::string::npos);
  // Nothing unreviewed reaches the CRT file, unless asked for.
  auto before = Snapshot();
  ProcessResult imported = RunLang({"import", "DE.po", "de"});
  EXPECT_EQ(imported.output, "DE.CRT: 0 translations taken, 6 unchanged, 2 fuzzy left out\n");
  EXPECT_EQ(Snapshot(), before);
  ProcessResult fuzzy = RunLang({"import", "DE.po", "de", "--fuzzy"});
  EXPECT_EQ(fuzzy.output, "DE.CRT: 2 translations taken, 4 unchanged\n");

  ProcessResult plain = RunLang({"export", "de", "--no-suggestions", "-o", "plain.po"});
  EXPECT_EQ(plain.output, "plain.po: 6 texts, 3 translated\n");
}

// A CRT file made when wrapped texts were collected in pieces: update sets the pieces aside, and
// export offers the text they make their translations joined, a piece that looks like a name's too.
TEST_F(LangExportTest, OffersAWrappedTextTheTranslationsOfItsPieces) {
  WriteFile("main.clw",
            "  IF MESSAGE('Go to the ' & |\r\n"
            "             'first_page' & |  ! F2\r\n"
            "             '...', 'Go')\r\n");
  WriteFile("DE.CRT", Crt({{"Go to the ", "Gehe zur "}, {"first_page", "ersten_Seite"}}));
  ASSERT_EQ(RunLang({"update", "*.clw", "de"}).output,
            "DE.CRT: 2 texts, 0 translated, 2 new, 2 obsolete\n");
  ProcessResult result = RunLang({"export", "de", "--sources", "*.clw"});
  EXPECT_EQ(result.output, "DE.po: 2 texts, 0 translated, 1 suggested\n");
  std::string entry =
      "\n#. MESSAGE text\n#. suggested: the translations of the texts it is made of, joined\n"
      "#: main.clw:1\n#, fuzzy\nmsgid \"Go to the first_page...\"\n"
      "msgstr \"Gehe zur ersten_Seite...\"\n\n#. MESSAGE title\n#: main.clw:3\nmsgid \"Go\"\n";
  EXPECT_NE(ReadBytes(Dir() / "DE.po").find(entry), std::string::npos)
      << ReadBytes(Dir() / "DE.po");
}

// Any sequence of export (with or without suggestions, another application's among them), import
// and update succeeds; a translation typed into the PO file and not imported yet is kept in the
// old file, BASE.po~, whatever the next export writes.
TEST_F(LangExportTest, NoSequenceOfCommandsBlocksOrLosesATranslation) {
  WriteFile("main.clw", "  MESSAGE('Save the file')\r\n  MESSAGE('Close')\r\n");
  MakeDirectory("other");
  WriteFile("other/DE.CRT", Crt({{"Save the files", "Dateien sichern"}}));
  const Arguments steps[] = {{"update", "*.clw", "de"},
                             {"export", "de", "--compendium", "other/de"},
                             {"export", "de"},
                             {"export", "de", "--no-suggestions"},
                             {"import", "DE.po", "de"},
                             {"update", "*.clw", "de"},
                             {"export", "de", "--sources", "*.clw", "--compendium", "other/de"},
                             {"import", "DE.po", "de", "--fuzzy"}};
  for (const Arguments& step : steps) {
    EXPECT_EQ(RunLang(step).errors, "") << testing::PrintToString(step);
  }
  std::string po = ReadBytes(Dir() / "DE.po");
  const std::string untranslated = "msgid \"Close\"\nmsgstr \"\"";
  WriteFile("DE.po", po.replace(po.find(untranslated), untranslated.size(),
                                "msgid \"Close\"\nmsgstr \"Schliessen\""));
  EXPECT_EQ(RunLang({"export", "de", "--sources", "*.clw"}).errors,
            "DE.po: warning: held 1 translation that the new file does not, the first for msgid "
            "'Close': the old file is kept as DE.po~ ('quotex-lang import DE.po~ de' takes "
            "them)\n");
  EXPECT_EQ(ReadBytes(Dir() / "DE.po~"), po);
  ASSERT_EQ(RunLang({"import", "DE.po~", "de"}).status, 0);
  EXPECT_NE(ReadBytes(Dir() / "DE.CRT").find("PSTRING('Schliessen')"), std::string::npos);
  EXPECT_EQ(RunLang({"export", "de"}).errors, "");
  // A translated text reworded: its translation goes to DE.OBS, and is no loss to warn of.
  WriteFile("main.clw", "  MESSAGE('Save the file')\r\n  MESSAGE('Close it')\r\n");
  ASSERT_EQ(RunLang({"update", "*.clw", "de"}).status, 0);
  EXPECT_EQ(RunLang({"export", "de"}).errors, "");
  // Two texts that read the same, each translated its own way: a second export loses neither.
  WriteFile("DE.CRT", Crt({{"One<13,10>two", "Eins<13,10>zwei"}, {"One<0Dh,0Ah>two", "Eins zwo"}}));
  ASSERT_EQ(RunLang({"export", "de"}).status, 0);
  EXPECT_EQ(RunLang({"export", "de"}).errors, "");
}

// What a killed export to another file left beside it goes with the next export to it; a pipe is
// refused rather than read, which would wait for ever, and so is a pipe or a link where a lock
// goes (a link would make its file outside the folder).
TEST_F(LangExportTest, TidiesAfterAKilledExportToAnotherFileAndRefusesAPipe) {
  WriteFile("DE.CRT", Crt({{"Save", ""}}));
  MakeDirectory("out");
  WriteFile("out/x.po.quotex-new", "half an export");
  ProcessResult result = RunLang({"export", "de", "-o", "out/x.po"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.errors,
            "DE.CRT: note: removed 'out/x.po.quotex-new', left by an interrupted command\n");
  ASSERT_EQ(mkfifo((Dir() / "pipe.po").c_str(), 0600), 0);
  for (const Arguments& arguments :
       {Arguments{"export", "de", "-o", "pipe.po"}, Arguments{"import", "pipe.po", "de"}}) {
    ProcessResult refused = RunLang(arguments);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "pipe.po: error: cannot read: not a regular file\n");
  }
  ASSERT_EQ(mkfifo((Dir() / "DE.quotex-lock").c_str(), 0600), 0);
  std::filesystem::create_symlink("out/made", Dir() / "DE.po.quotex-lock");
  for (const char* lock : {"DE.quotex-lock", "DE.po.quotex-lock"}) {
    EXPECT_EQ(RunLang({"check", "de"}).errors.find(lock + std::string(": error: cannot lock")), 0u);
    std::filesystem::remove(Dir() / lock);
  }
  EXPECT_FALSE(std::filesystem::exists(Dir() / "out/made"));
}

// The CRT file is read while the sources are scanned; its problems are told as if it had been
// read first, whatever the scan meets.
TEST_F(LangExportTest, TellsTheCrtFilesProblemFirstWhileScanning) {
  struct Case {
    const char* crt;  // none: no CRT file
    const char* mask;
    const char* error;
  };
  for (const Case& each : {
           Case{nullptr, "*.clw", "DE.CRT: error: "},
           Case{nullptr, "*.none", "DE.CRT: error: "},
           Case{"x  GROUP\r\nItems  BYTE(3)\r\n  PSTRING('Save')\r\n  PSTRING('')\r\n  END\r\n",
                "*.none", "DE.CRT"},
       }) {
    SCOPED_TRACE(each.mask);
    std::filesystem::remove(Dir() / "DE.CRT");
    if (each.crt != nullptr) WriteFile("DE.CRT", each.crt);
    WriteFile("main.clw", "  MESSAGE('Save')\r\n");
    auto before = Snapshot();
    ProcessResult result = RunLang({"export", "de", "--sources", each.mask});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors.rfind(each.error, 0), 0u) << result.errors;
    EXPECT_EQ(Snapshot(), before);
  }
}

// Names with a blank or a letter beyond ASCII, in the code page or in UTF-8, a USE name with an
// accent and a carriage return: gettext's tools, polib and translate-toolkit read the PO file
// without a word.
TEST_F(LangExportTest, EveryToolReadsThePoFileWithoutAWarning) {
  const char* tools =
      "(command -v msgfmt && command -v msgcat && command -v msgattrib && command -v pocount && "
      "command -v po2xliff && /usr/bin/python3 -c 'import polib') >/dev/null 2>&1";
  if (std::system(tools) != 0) {
    GTEST_SKIP() << "needs gettext, translate-toolkit and polib";
  }
  WriteFile(
      "Voorr Pln 001.clw",
      "  ITEM('Padr\xF3n'),USE(?Padr\xF3nVERPADRON)\r\n  MESSAGE('One<13,10>Two','Title')\r\n");
  WriteFile("Caf\xE9.clw", "  MESSAGE('Caf\xE9')\r\n");  // a name in the code page, and in UTF-8
  WriteFile("Caf\xC3\xA9s.clw", "  MESSAGE('Caf\xE9s')\r\n");
  ASSERT_EQ(RunLang({"update", "*.clw", "de"}).status, 0);
  ASSERT_EQ(RunLang({"export", "de", "--sources", "*.clw"}).status, 0);
  std::string po = ReadBytes(Dir() / "DE.po");
  for (const char* part :
       {"#. ITEM, USE(?Padr\xC3\xB3nVERPADRON)\n#: \u2068Voorr Pln 001.clw\u2069:1\n",
        "#: Caf\xC3\xA9.clw:1\n", "#: Caf\xC3\xA9s.clw:1\n", "\"One<13>\\n\"\n"}) {
    EXPECT_NE(po.find(part), std::string::npos) << part << "\nin\n" << po;
  }
  std::string commands =
      "cd '" + Dir().string() +
      "' && (msgfmt --check -o /dev/null DE.po && msgcat DE.po -o /dev/null && msgattrib DE.po "
      "-o /dev/null && pocount DE.po >/dev/null && po2xliff --progress=none DE.po DE.xlf && grep "
      "-q 'Caf\xC3\xA9s' DE.xlf && /usr/bin/python3 -c \"import polib; assert "
      "len(polib.pofile('DE.po')) == 5\") 2>tools.txt";
  EXPECT_EQ(std::system(commands.c_str()), 0) << commands;
  EXPECT_EQ(ReadBytes(Dir() / "tools.txt"), "");
  EXPECT_TRUE(RunLang({"export", "de", "--charset", "cp1251", "-o", "ru.po"})
                  .errors.starts_with("DE.CRT:3: warning: 3 texts of the file mix Latin letters"));
}

// Tens of thousands of texts, each used on two lines of two files, every one found where it is.
TEST_F(LangExportTest, FindsEveryPlaceOfManyTexts) {
  constexpr int kTexts = 40000;
  std::string first, second;
  for (int i = 0; i < kTexts; ++i) {
    first += "  MESSAGE('Text " + std::to_string(i) + "')\r\n";
    second += "  MESSAGE('Text " + std::to_string(kTexts - 1 - i) + "','12')\r\n";
  }
  WriteFile("a.clw", first);
  WriteFile("b.clw", second);
  ASSERT_EQ(RunLang({"update", "*.clw", "de"}).status, 0);
  ProcessResult result = RunLang({"export", "de", "--sources", "*.clw"});
  ASSERT_EQ(result.status, 0) << result.errors;
  std::string po = ReadBytes(Dir() / "DE.po");
  std::size_t at = 0;  // the entries come in the CRT file's order
  for (int i = 0; i < kTexts; ++i) {
    std::string entry = "\n#. MESSAGE text\n#: a.clw:" + std::to_string(i + 1) +
                        " b.clw:" + std::to_string(kTexts - i) + "\nmsgid \"Text " +
                        std::to_string(i) + "\"\n";
    at = po.find(entry, at);
    ASSERT_NE(at, std::string::npos) << entry;
  }
}

}  // namespace
