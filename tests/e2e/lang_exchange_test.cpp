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

// Common slips get a hint: arguments swapped, a mask the shell expanded.
TEST_F(LangTest, ACommonSlipGetsAHint) {
  const std::pair<Arguments, const char*> slips[] = {
      {{"import", "de", "DE.po"}, "the PO file comes first, as in quotex-lang import DE.po de\n"},
      {{"update", "a.clw", "b.clw", "de"}, "Quote it, as in quotex-lang update '*.clw' de)\n"},
      {{"export", "de", "--sources", "a.clw", "b.clw"}, "in quotex-lang export de --sources '*"}};
  for (const auto& [arguments, hint] : slips) {
    EXPECT_NE(RunLang(arguments).errors.find(hint), std::string::npos) << hint;
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
// the same as an earlier one gets its CRT form as msgid.
TEST_F(LangTest, ExportWritesAPoFileTranslatorsToolsRead) {
  MakeDirectory("lang");
  WriteFile("lang/DE.CRT", Crt({{"Caf\xe9", "Caf\xe9"},
                                {"It''s <<new>", ""},
                                {"Line<13,10>Two", "Zeile<13,10>Zwei"},
                                {"Line<0Dh,0Ah>Two", ""}}));
  ProcessResult result = RunLang({"export", "lang/de", "--language", "de", "--no-suggestions"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "lang/DE.po: 4 texts, 2 translated\n");
  std::string po = ReadBytes(Dir() / "lang" / "DE.po");
  EXPECT_NE(po.find("\"Language: de\\n\"\n"), std::string::npos) << po;
  EXPECT_NE(po.find("\n\nmsgid \"Caf\xc3\xa9\"\nmsgstr \"Caf\xc3\xa9\"\n"), std::string::npos);
  EXPECT_NE(po.find("\n\nmsgid \"It's <new>\"\nmsgstr \"\"\n"), std::string::npos);
  EXPECT_NE(po.find("\n\nmsgid \"\"\n\"Line<13>\\n\"\n\"Two\"\nmsgstr \"\"\n\"Zeile<13>\\n\"\n"
                    "\"Zwei\"\n"),
            std::string::npos);
  EXPECT_NE(po.find("\n\nmsgid \"Line<0Dh,0Ah>Two\"\nmsgstr \"\"\n"), std::string::npos);
  if (std::system("msgfmt --version >/dev/null 2>&1") == 0) {
    std::string check = "msgfmt --check -o /dev/null " + (Dir() / "lang" / "DE.po").string();
    EXPECT_EQ(std::system(check.c_str()), 0);
  }

  ProcessResult named = RunLang({"export", "lang/de", "-o", "de.po", "--charset", "cp850"});
  EXPECT_EQ(named.status, 0) << named.errors;
  EXPECT_NE(ReadBytes(Dir() / "de.po").find("msgid \"Caf\xc3\x9a\""), std::string::npos)
      << "0xE9 is U+00DA in cp850";
}

// Import uses the code page the PO file was exported for, and refuses another one; where the
// record is gone with the header, it takes none by default for letters beyond ASCII.
TEST_F(LangTest, ImportUsesTheCodePageThePoFileWasExportedFor) {
  WriteFile("TEXTS.CRT", Crt({{"Caf\x82", ""}}));  // cp850
  ASSERT_EQ(RunLang({"export", "texts", "--charset", "cp850"}).status, 0);
  std::string po = ReadBytes(Dir() / "TEXTS.po");
  WriteFile("TEXTS.po", po.replace(po.rfind("msgstr \"\""), 9, "msgstr \"\xC3\xA9t\xC3\xA9\""));
  WriteFile("headless.po", po.substr(po.find("\n\n") + 2));
  auto before = Snapshot();
  ProcessResult headless = RunLang({"import", "headless.po", "texts"});
  EXPECT_EQ(headless.status, 1);
  EXPECT_NE(headless.errors.find("give --charset"), std::string::npos) << headless.errors;
  EXPECT_EQ(Snapshot(), before);
  ProcessResult refused = RunLang({"import", "TEXTS.po", "texts", "--charset", "cp1252"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.errors, "TEXTS.po: error: exported for cp850, but --charset cp1252 was given; "
                            "nothing was changed (leave --charset out to import it for cp850)\n");
  EXPECT_EQ(Snapshot(), before);

  ASSERT_EQ(RunLang({"import", "TEXTS.po", "texts"}).status, 0);
  EXPECT_EQ(Lines("TEXTS.CRT").at(3), "           PSTRING('\x82t\x82')");
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
  ProcessResult result = RunLang({"import", "fr.po", "texts", "--charset", "cp1252"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output,
            "TEXTS.CRT: 2 translations taken, 1 unchanged, 1 set aside in TEXTS.OBS, 1 fuzzy left "
            "out\n");
  EXPECT_EQ(result.errors, "fr.po:20: warning: not in TEXTS.CRT: kept in TEXTS.OBS, where it comes "
                           "back from when its text does\n");
  const Pairs after = {{"&OK", ""},
                       {"It''s <<new>", "C''est {{neuf} <<nouveau>"},
                       {"Line<13,10>Two", "Ligne<13,10>Deux"}};
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.CRT"), Crt(after));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.BAS"), Bas(after));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.LST"), "untouched");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.OBS"), Crt({{"Not there", "Pas l\xe0"}}));

  ProcessResult fuzzy = RunLang({"import", "fr.po", "texts", "--fuzzy", "--charset", "cp1252"});
  EXPECT_EQ(fuzzy.status, 0) << fuzzy.errors;
  EXPECT_EQ(fuzzy.output, "TEXTS.CRT: 1 translation taken, 2 unchanged, 1 set aside in TEXTS.OBS\n");
  EXPECT_EQ(Lines("TEXTS.CRT").at(3), "           PSTRING('&D''accord')");
}

// A PO file of another application is refused; taken all the same, its translations are kept
// in the OBS file, with a few warnings of the kind and a count of the others.
TEST_F(LangTest, ImportRefusesAFileOfAnotherApplication) {
  WriteFile("DE.CRT", Crt({{"Save", ""}, {"Print", ""}}));
  std::string po = "msgid \"Save\"\nmsgstr \"Sichern\"\n";
  for (int i = 0; i < 30; ++i)
    po += std::string("\nmsgid \"Other ") + char('a' + i) + "\"\nmsgstr \"A\"\n";
  WriteFile("other.po", po);
  auto before = Snapshot();
  ProcessResult refused = RunLang({"import", "other.po", "de"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.errors,
            "other.po: error: only 1 of its 31 translations match a text of DE.CRT or DE.OBS: the "
            "file may belong to another application; nothing was changed (--take-unmatched takes "
            "it all the same, keeping the other 30 in DE.OBS)\n");
  EXPECT_EQ(Snapshot(), before);

  ProcessResult taken = RunLang({"import", "other.po", "de", "--take-unmatched"});
  EXPECT_EQ(taken.output, "DE.CRT: 1 translation taken, 1 unchanged, 30 set aside in DE.OBS\n");
  EXPECT_EQ(std::count(taken.errors.begin(), taken.errors.end(), '\n'), 6) << taken.errors;
  EXPECT_TRUE(taken.errors.ends_with(
      "other.po:16: warning: not in DE.CRT: kept in DE.OBS, where it comes back from when its "
      "text does\nother.po: warning: 25 more warnings like the one on line 4, not shown\n"));
}

TEST_F(LangTest, ImportOfACharacterTheCodePageCannotHoldWritesNothing) {
  WriteFile("TEXTS.CRT", Crt({{"Day", ""}, {"Night", ""}}));
  WriteFile("ja.po", "msgid \"Night\"\nmsgstr \"Nacht\"\n\nmsgid \"Day\"\nmsgstr \"\xe6\x97\xa5\"\n");
  auto before = Snapshot();
  ProcessResult result = RunLang({"import", "ja.po", "texts", "--charset", "cp1252"});
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
  EXPECT_EQ(result.output, "TEXTS.CRT: 0 translations taken, 6 unchanged\n");
  auto after = Snapshot();
  after.erase(std::remove_if(after.begin(), after.end(),
                             [](const auto& file) { return file.first == "TEXTS.po"; }),
              after.end());
  EXPECT_EQ(after, before);
}

// What a PO file may go through between export and import: a translator's change made with polib
// (each msgstr its msgid and a marker, codes copied as they stand), then the tool.
struct ToolChain {
  const char* name;
  const char* tool;  // the program it needs besides polib
  const char* command;
};

class LangToolChainTest : public E2eTest, public testing::WithParamInterface<ToolChain> {};

// Every hard case, and the translation the changed PO file brings back.
const Pairs kHardCases = {
    {"Bell<7> back<8> feed<12> esc<27> del<127> nul<0>",
     "Bell<7> back<8> feed<12> esc<27> del<127> nul<0> M"},
    {"Line<13,10>Two", "Line<13,10>Two M"},
    {"Line<0Dh,0Ah>Two", "Line<13,10>Two M"},
    {"It''s", "It''s M"},
    {"It<39>s", "It''s M"},
    {"Icon<1,81H> raw \x81\x8D\x8F\x90\x9D", "Icon<1>\x81 raw \x81\x8D\x8F\x90\x9D M"},
    {"Less <<0> <<65> <<<7> < 5", "Less <<0> <<65> <<<7> << 5 M"},
    {"Tab\there C:\\Temp", "Tab<9>here C:\\Temp M"},
};

TEST_P(LangToolChainTest, EveryTranslationSurvivesTheTool) {
  const ToolChain& chain = GetParam();
  std::string tools = "/usr/bin/python3 -c 'import polib' && command -v " + std::string(chain.tool);
  if (std::system((tools + " >/dev/null 2>&1").c_str()) != 0) GTEST_SKIP() << "needs " << tools;
  Pairs untranslated;
  for (const auto& [text, translation] : kHardCases) untranslated.emplace_back(text, "");
  WriteFile("TEXTS.CRT", Crt(untranslated));
  ASSERT_EQ(RunLang({"export", "texts"}).status, 0);
  std::string commands = "cd '" + Dir().string() +
                         "' && (/usr/bin/python3 -c \"import polib; p = polib.pofile('TEXTS.po')\n"
                         "for e in p: e.msgstr = e.msgid + ' M'\np.save('in.po')\" && " +
                         chain.command + ") >/dev/null 2>&1";
  ASSERT_EQ(std::system(commands.c_str()), 0) << commands;

  // A CSV round trip drops the header that records the code page.
  ProcessResult result = RunLang({"import", "out.po", "texts", "--charset", "cp1252"});
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.output, "TEXTS.CRT: 8 translations taken, 0 unchanged\n");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.CRT"), Crt(kHardCases));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, LangToolChainTest,
    testing::Values(ToolChain{"polib", "cp", "cp in.po out.po"},
                    ToolChain{"msgcat", "msgcat", "msgcat in.po -o out.po"},
                    ToolChain{"xliff", "po2xliff", "po2xliff in.po t.xlf && xliff2po t.xlf out.po"},
                    ToolChain{"csv", "po2csv", "po2csv in.po t.csv && csv2po t.csv out.po"}),
    [](const testing::TestParamInfo<ToolChain>& info) { return std::string(info.param.name); });

}  // namespace
