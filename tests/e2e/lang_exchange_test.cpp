// quotex-lang's command line and its commands that read a translated CRT file as it stands:
// check, export and import, run as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "e2e/lang_fixture.h"

namespace {

class LangTest : public E2eTest {};

TEST_F(LangTest, HelpAndVersionGoToStandardOutput) {
  for (const Arguments& arguments :
       {Arguments{"--help"}, Arguments{"update", "--help"}, Arguments{"import", "-h"}}) {
    ProcessResult result = RunLang(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("Usage: quotex-lang"), std::string::npos) << result.output;
    EXPECT_EQ(result.errors, "");
  }
  ProcessResult version = RunLang({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "quotex-lang 1.1.0\n");
}

TEST_F(LangTest, AWrongCommandLineEndsWithStatusTwoAndTouchesNothing) {
  WriteFile("main.clw", "  MESSAGE('Hello there')\r\n");
  const Arguments commandLines[] = {
      {},
      {"translate", "texts"},
      {"update", "*.clw"},
      {"update", "*.clw", "texts", "extra"},
      {"update", "src\\*.clw", "texts"},
      {"update", "src/*.clw", "texts"},
      {"update", "c:*.clw", "texts"},
      {"update", "*.clw", "texts", "--mesages"},
      {"check"},
      {"export", "texts", "--charset", "utf-8"},
      {"import", "texts.po"},
      {"import", "texts.po", "texts", "--charset", "cp1253x"},
      {"update", "*.clw", "texts.crt"},  // would stand for TEXTS.CRT.CRT
      {"check", "lang/DE.Obs"},
      {"export", "texts", "-o", "TEXTS.CRT"},  // the PO file over the translations
      {"export", "texts", "-o", "./texts.lst"},
  };
  for (const Arguments& arguments : commandLines) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    ProcessResult result = RunLang(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.output, "");
    EXPECT_TRUE(result.errors.starts_with("quotex-lang: ")) << result.errors;
    EXPECT_NE(result.errors.find("--help"), std::string::npos) << result.errors;
    EXPECT_EQ(Tree(), Texts{"main.clw"});
  }
}

TEST_F(LangTest, CheckReportsEachProblemOnItsLine) {
  WriteFile("TEXTS.CRT", "LANGUAGE GROUP   ! edited by hand\r\n"
                         "Items      USHORT(4)\r\n"
                         "\r\n"
                         "           PSTRING('&OK')\r\n"
                         "           pstring( 'O&K' )\r\n"
                         "           PSTRING('Name:')\r\n"
                         "           PSTRING('Nom')\r\n"
                         "           PSTRING('It''s')\r\n"
                         "           PSTRING('C'est')\r\n"
                         "           PSTRING('Untranslated')\r\n"
                         "           PSTRING('')\r\n"
                         "   end\r\n");
  ProcessResult result = RunLang({"check", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "TEXTS.CRT: 4 texts, 3 translated (75.0%)\n");
  EXPECT_EQ(result.errors,
            "TEXTS.CRT:7: warning: translation does not end with ':' as its text does\n"
            "TEXTS.CRT:9:22: error: translation: lone quote; write '' for a quote\n");

  WriteFile("TEXTS.CRT", Crt({{"&OK", "&OK"}, {"Name:", "Nom"}, {"Cancel", ""}}));
  ProcessResult warningsOnly = RunLang({"check", "texts"});
  EXPECT_EQ(warningsOnly.status, 0) << "warnings alone do not fail";
  EXPECT_EQ(warningsOnly.output, "TEXTS.CRT: 3 texts, 2 translated (66.6%)\n");

  ProcessResult missing = RunLang({"check", "other"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.errors.starts_with("OTHER.CRT: error: cannot read")) << missing.errors;
}

// Code page bytes become UTF-8 in the PO file; the notation is decoded; a later text that reads
// the same as an earlier one gets its CRT form as context.
TEST_F(LangTest, ExportWritesAPoFileTranslatorsToolsRead) {
  MakeDirectory("lang");
  WriteFile("lang/DE.CRT", Crt({{"Caf\xe9", "Caf\xe9"},
                                {"It''s <<new>", ""},
                                {"Line<13,10>Two", "Zeile<13,10>Zwei"},
                                {"Line<0Dh,0Ah>Two", ""}}));
  ProcessResult result = RunLang({"export", "lang/de", "--language", "de"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "lang/DE.po: 4 texts, 2 translated\n");
  std::string po = ReadBytes(Dir() / "lang" / "DE.po");
  EXPECT_NE(po.find("\"Language: de\\n\"\n"), std::string::npos) << po;
  EXPECT_NE(po.find("\n\nmsgid \"Caf\xc3\xa9\"\nmsgstr \"Caf\xc3\xa9\"\n"), std::string::npos);
  EXPECT_NE(po.find("\n\nmsgid \"It's <new>\"\nmsgstr \"\"\n"), std::string::npos);
  EXPECT_NE(po.find("\n\nmsgid \"\"\n\"Line\\r\\n\"\n\"Two\"\nmsgstr \"\"\n\"Zeile\\r\\n\"\n"
                    "\"Zwei\"\n"),
            std::string::npos);
  EXPECT_NE(po.find("\n\nmsgctxt \"Line<0Dh,0Ah>Two\"\nmsgid \"\"\n\"Line\\r\\n\"\n\"Two\"\n"),
            std::string::npos);
  if (std::system("msgfmt --version >/dev/null 2>&1") == 0) {
    std::string check = "msgfmt --check -o /dev/null " + (Dir() / "lang" / "DE.po").string();
    EXPECT_EQ(std::system(check.c_str()), 0);
  }

  ProcessResult named = RunLang({"export", "lang/de", "-o", "de.po", "--charset", "cp850"});
  EXPECT_EQ(named.status, 0) << named.errors;
  EXPECT_NE(ReadBytes(Dir() / "de.po").find("msgid \"Caf\xc3\x9a\""), std::string::npos)
      << "0xE9 is U+00DA in cp850";
}

TEST_F(LangTest, ExportRefusesAByteTheCodePageDoesNotDefine) {
  WriteFile("TEXTS.CRT", Crt({{"Fine", ""}, {"Bad \x81 byte", ""}}));
  ProcessResult result = RunLang({"export", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.errors.starts_with("TEXTS.CRT:5:")) << result.errors;
  EXPECT_EQ(Tree(), Texts{"TEXTS.CRT"});
}

// The PO file as an editor returns it: comments, flags, strings over several lines, an
// obsolete entry, another order.
constexpr char kEditedPo[] =
    "# French translation\n"
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"Language: fr\\n\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\n"
    "#: TEXTS.CRT\n"
    "msgid \"Line\\r\\n\"\n"
    "\"Two\"\n"
    "msgstr \"Ligne\\r\\n\"\n"
    "\"Deux\"\n"
    "\n"
    "#, fuzzy\n"
    "msgid \"&OK\"\n"
    "msgstr \"&D'accord\"\n"
    "\n"
    "msgid \"It's <new>\"\n"
    "msgstr \"C'est {neuf} <nouveau>\"\n"
    "\n"
    "msgid \"Not there\"\n"
    "msgstr \"Pas l\xc3\xa0\"\n"
    "\n"
    "#~ msgid \"Old\"\n"
    "#~ msgstr \"Vieux\"\n";

TEST_F(LangTest, ImportTakesTheTranslationsBackInClarionNotation) {
  const Pairs before = {{"&OK", ""}, {"It''s <<new>", ""}, {"Line<13,10>Two", "Old"}};
  WriteFile("TEXTS.CRT", Crt(before));
  WriteFile("TEXTS.BAS", Bas(before));
  WriteFile("TEXTS.LST", "untouched");
  WriteFile("fr.po", kEditedPo);
  ProcessResult result = RunLang({"import", "fr.po", "texts"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "TEXTS.CRT: 2 translations taken, 1 unchanged, 1 not found\n");
  EXPECT_EQ(result.errors, "fr.po:20: warning: not found: no text for msgid 'Not there' in the "
                           "CRT file\n");
  const Pairs after = {{"&OK", ""},
                       {"It''s <<new>", "C''est {{neuf} <<nouveau>"},
                       {"Line<13,10>Two", "Ligne<13,10>Deux"}};
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.CRT"), Crt(after));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.BAS"), Bas(after));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.LST"), "untouched");

  ProcessResult fuzzy = RunLang({"import", "fr.po", "texts", "--fuzzy"});
  EXPECT_EQ(fuzzy.status, 0) << fuzzy.errors;
  EXPECT_EQ(fuzzy.output, "TEXTS.CRT: 1 translations taken, 2 unchanged, 1 not found\n");
  EXPECT_EQ(Lines("TEXTS.CRT").at(3), "           PSTRING('&D''accord')");
}

TEST_F(LangTest, ImportOfACharacterTheCodePageCannotHoldWritesNothing) {
  WriteFile("TEXTS.CRT", Crt({{"Day", ""}, {"Night", ""}}));
  WriteFile("ja.po", "msgid \"Night\"\nmsgstr \"Nacht\"\n\nmsgid \"Day\"\nmsgstr \"\xe6\x97\xa5\"\n");
  auto before = Snapshot();
  ProcessResult result = RunLang({"import", "ja.po", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.errors.starts_with("ja.po:5: error: ")) << result.errors;
  EXPECT_EQ(Snapshot(), before);
}

// Exporting and importing what was exported changes no byte, whatever the translations hold.
TEST_F(LangTest, ExportThenImportChangesNoByte) {
  const Pairs pairs = {{"Name<9>Address", "Nom<9>Adresse"},  // the CRT holds a tab for <9>
                       {"Tab\tas written", "Tab\tgeschrieben"},
                       {"Line<0Dh,0Ah>", "Zeile<13,10>"},
                       {"Lone < and {5}", "Seul < et {{5}"},
                       {"Dash-{3}", "Strich-{3}"},
                       {"Done: 100%", ""}};
  WriteFile("TEXTS.CRT", Crt(pairs));
  WriteFile("TEXTS.BAS", Bas(pairs));
  auto before = Snapshot();
  ASSERT_EQ(RunLang({"export", "texts"}).status, 0);
  ProcessResult result = RunLang({"import", "TEXTS.po", "texts"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "TEXTS.CRT: 0 translations taken, 6 unchanged, 0 not found\n");
  auto after = Snapshot();
  after.erase(std::remove_if(after.begin(), after.end(),
                             [](const auto& file) { return file.first == "TEXTS.po"; }),
              after.end());
  EXPECT_EQ(after, before);
}

}  // namespace
