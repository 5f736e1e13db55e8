// quotex-lang update, run as a user would: the files quotex writes, with the translations kept,
// the obsolete ones set aside and brought back, and old files left untouched by any failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "e2e/lang_fixture.h"

namespace {

constexpr char kSource[] =
    "Window WINDOW('Customer List'),AT(,,200,100)\r\n"
    "       BUTTON('&OK'),USE(?OK)\r\n"
    "       BUTTON('Cancel'),USE(?Cancel)\r\n"
    "  MESSAGE('Record saved','Customers')\r\n";

class LangUpdateTest : public E2eTest {
 protected:
  void SetUp() override { WriteFile("main.clw", kSource); }
};

TEST_F(LangUpdateTest, WithoutAnOldFileWritesWhatQuotexWrites) {
  MakeDirectory("quotex");
  WriteFile("quotex/main.clw", kSource);
  for (const Arguments& modes : {Arguments{}, Arguments{"--messages"}}) {
    SCOPED_TRACE(modes.empty() ? "all texts" : "messages only");
    Arguments update{"update", "*.clw", "texts"};
    update.insert(update.end(), modes.begin(), modes.end());
    std::filesystem::remove(Dir() / "TEXTS.CRT");
    ProcessResult lang = RunLang(update);
    Arguments quotexArguments{"*.clw", "texts"};
    if (!modes.empty()) quotexArguments.push_back("/M");
    ProcessResult quotex = RunQuotex(Dir() / "quotex", quotexArguments);
    EXPECT_EQ(lang.status, 0) << lang.errors;
    EXPECT_EQ(lang.errors, "");
    std::string count = modes.empty() ? "5" : "2";
    EXPECT_EQ(lang.output,
              "TEXTS.CRT: " + count + " texts, 0 translated, " + count + " new, 0 obsolete\n");
    for (const char* name : {"TEXTS.BAS", "TEXTS.CRT", "TEXTS.LST"}) {
      EXPECT_EQ(ReadBytes(Dir() / name), ReadBytes(Dir() / "quotex" / name)) << name;
    }
  }
}

TEST_F(LangUpdateTest, KeepsTranslationsAndSetsAsideThoseOfTextsNoLongerFound) {
  WriteFile("TEXTS.CRT", Crt({{"Customer List", "Kundenliste"},
                              {"&OK", "&OK"},
                              {"Gone", "Weg"},
                              {"Untranslated gone", ""},
                              {"Cancel", ""}}));
  ProcessResult result = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "TEXTS.CRT: 5 texts, 2 translated, 2 new, 2 obsolete\n");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.CRT"), Crt({{"Customer List", "Kundenliste"},
                                                 {"&OK", "&OK"},
                                                 {"Cancel", ""},
                                                 {"Record saved", ""},
                                                 {"Customers", ""}}));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.BAS"), Bas({{"Customer List", "Kundenliste"},
                                                 {"&OK", "&OK"},
                                                 {"Cancel", ""},
                                                 {"Record saved", ""},
                                                 {"Customers", ""}}));
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.OBS"), Crt({{"Gone", "Weg"}}));

  // The text comes back: it takes its translation again, and the empty set-aside file goes.
  WriteFile("more.clw", "  MESSAGE('Gone')\r\n");
  result = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.output, "TEXTS.CRT: 6 texts, 3 translated, 1 new, 0 obsolete\n");
  EXPECT_EQ(Lines("TEXTS.CRT").at(13), "           PSTRING('Weg')");
  EXPECT_FALSE(std::filesystem::exists(Dir() / "TEXTS.OBS"));
}

// Files of translations are never sources, whatever the mask: its own, those of another language
// beside them (a CRT file is Clarion), PO files, and the files of a commit; so '*.*' gives the
// texts '*.clw' gives.
TEST_F(LangUpdateTest, NeverScansAFileOfTranslations) {
  WriteFile("TEXTS.CRT", Crt({{"&OK", "&O'K"}, {"Gone", "Weg"}}));
  WriteFile("TEXTS.BAS", "  x = 'From the old BAS file'\r\n");
  WriteFile("TEXTS.po", "msgid \"It's here\"\nmsgstr \"Es ist 'hier'\"\n");
  WriteFile("OTHER.CRT.quotex-new", Crt({{"Another base's texts", ""}}));
  WriteFile("FR.CRT", Crt({{"Cancel", "&Annuler"}, {"Customers", "Clients"}}));
  WriteFile("fr.Pot", "msgid \"It's 'there'\"\nmsgstr \"\"\n");
  ASSERT_EQ(RunLang({"update", "*.*", "texts"}).status, 0);
  ProcessResult again = RunLang({"update", "*.*", "texts"});
  // A translation check calls an error is kept as it stands, with a warning on its new line.
  EXPECT_EQ(again.errors,
            "TEXTS.CRT:6:23: warning: translation: lone quote; write '' for a quote "
            "(check reports it as an error)\n");
  EXPECT_EQ(again.output,
            "TEXTS.CRT: 5 texts, 1 translated, 0 new, 0 obsolete, 8 translation files left out\n");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.OBS"), Crt({{"Gone", "Weg"}}));
  std::string texts = ReadBytes(Dir() / "TEXTS.LST");
  ProcessResult sources = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(sources.output, "TEXTS.CRT: 5 texts, 1 translated, 0 new, 0 obsolete\n");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.LST"), texts);
}

// Pairs that cannot be taken as they stand are refused by every command that writes, before
// anything is written, with the lines to mend.
TEST_F(LangUpdateTest, RefusesPairsThatDoNotAddUp) {
  std::string lineLost = Crt({{"Hello there", "Hallo"}, {"&OK", "&OK"}, {"Cancel", "Abbrechen"}});
  lineLost.erase(lineLost.find("           PSTRING('Hello there')"), 35);
  lineLost.erase(lineLost.find("           PSTRING('&OK')"), 26);
  const std::string twice = Crt({{"&OK", "&OK"}, {"Cancel", "Abbrechen"}, {"&OK", "&Ja"}});
  const struct {
    const char* file;
    std::string bytes;
    Arguments command;
    const char* error;
  } cases[] = {
      {"TEXTS.CRT", lineLost, {"update", "*.clw", "texts"}, "TEXTS.CRT:2: error: Items count 3 "},
      {"TEXTS.CRT", lineLost, {"import", "texts.po", "texts"}, "TEXTS.CRT:2: error: Items count"},
      {"TEXTS.CRT", lineLost, {"export", "texts"}, "TEXTS.CRT:2: error: Items count"},
      {"TEXTS.OBS", lineLost, {"update", "*.clw", "texts"}, "TEXTS.OBS:2: error: Items count"},
      {"TEXTS.CRT", twice, {"update", "*.clw", "texts"}, "TEXTS.CRT:7: error: text listed twice "
                                                          "with different translations, on lines "
                                                          "3 and 7"},
      {"TEXTS.CRT", twice, {"import", "texts.po", "texts"}, "on lines 3 and 7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + (" " + c.command[0]));
    WriteFile("texts.po", "msgid \"Cancel\"\nmsgstr \"Abbruch\"\n");
    WriteFile("TEXTS.CRT", Crt({{"Cancel", ""}}));
    WriteFile(c.file, c.bytes);
    auto before = Snapshot();
    ProcessResult result = RunLang(c.command);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find(c.error), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("'quotex-lang check'"), std::string::npos) << result.errors;
    EXPECT_EQ(Snapshot(), before);
    std::filesystem::remove(Dir() / "TEXTS.OBS");
  }
}

// The program that includes the file names the group, its prefix and its count.
TEST_F(LangUpdateTest, KeepsTheLabelsAndAttributesAProgramNames) {
  WriteFile("TEXTS.CRT", "GermanTexts  GROUP,PRE(GT)   ! the German texts\r\n"
                         "Count        USHORT(1)\r\n"
                         "  PSTRING('&OK')\r\n"
                         "  PSTRING('&Ja')\r\n"
                         ".\r\n");
  ASSERT_EQ(RunLang({"update", "*.clw", "texts"}).status, 0);
  WriteFile("texts.po", "msgid \"Cancel\"\nmsgstr \"Abbrechen\"\n");
  ProcessResult imported = RunLang({"import", "texts.po", "texts"});
  EXPECT_EQ(imported.status, 0) << imported.errors;
  Texts lines = Lines("TEXTS.CRT");
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "GermanTexts GROUP,PRE(GT)");
  EXPECT_EQ(lines[1], "Count      USHORT(5)");
  EXPECT_EQ(lines[7], "           PSTRING('Abbrechen')");
}

// quotex's progress lines, each blanking out what is left of a longer one, and nothing of them
// once the command is done.
TEST_F(LangUpdateTest, ShowsQuotexProgressOnTheTerminal) {
  WriteFile("LONGNAME.clw", "  MESSAGE('Long')\r\n");
  ProcessOptions onTerminal;
  onTerminal.onTerminal = true;
  ProcessResult result = RunLang({"update", "*.clw", "texts"}, onTerminal);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.console, "\rScanningfile: LONGNAME.CLW\rScanningfile: MAIN.CLW    \r" +
                                std::string(22, ' ') + "\r\rWriting files\r" +
                                std::string(13, ' ') + "\r");
}

TEST_F(LangUpdateTest, RefusesAnOldFileItCannotReadAndChangesNothing) {
  WriteFile("TEXTS.CRT",
            "LANGUAGE GROUP\r\nItems      USHORT(1)\r\n  PSTRING('&OK')\r\n"
            "  Nonsense\r\n   END\r\n");
  WriteFile("TEXTS.BAS", "old");
  auto before = Snapshot();
  ProcessResult result = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("TEXTS.CRT:4: error: "), std::string::npos) << result.errors;
  EXPECT_EQ(Snapshot(), before);
}

// A failure anywhere leaves every file as it was, and no file of its own behind.
TEST_F(LangUpdateTest, AnyFailureLeavesEveryFileAsItWas) {
  WriteFile("TEXTS.CRT", Crt({{"&OK", "&OK"}, {"Gone", "Weg"}}));
  WriteFile("TEXTS.OBS", Crt({{"Older", "Aelter"}}));
  WriteFile("TEXTS.BAS", "old bas");
  WriteFile("TEXTS.LST", "old lst");
  auto before = Snapshot();

  ProcessOptions fullDevice;
  fullDevice.fileSizeLimit = 64;  // every write beyond 64 bytes fails, as on a full device
  ProcessResult full = RunLang({"update", "*.clw", "texts"}, fullDevice);
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.errors.find(": error: cannot write"), std::string::npos) << full.errors;
  EXPECT_EQ(Snapshot(), before);

  WriteFile("broken.clw", "");
  std::filesystem::remove(Dir() / "broken.clw");
  std::filesystem::create_symlink("/proc/sys/vm/drop_caches", Dir() / "broken.clw");
  before = Snapshot();
  ProcessResult unreadable = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_NE(unreadable.errors.find("broken.clw: error: cannot read"), std::string::npos)
      << unreadable.errors;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(LangUpdateTest, ARefusedOrUnwritableFileLeavesEveryFileAsItWas) {
  WriteFile("TEXTS.CRT", Crt({{"&OK", "&OK"}}));
  std::filesystem::permissions(Dir() / "TEXTS.CRT", std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::group_read);
  auto before = Snapshot();
  ProcessResult result = RunLang({"update", "*.clw", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors, "TEXTS.CRT: error: the file is read-only; nothing was changed\n");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(LangUpdateTest, AnUnwritableDirectoryLeavesItsFilesAsTheyWere) {
  if (!CanDropPrivileges()) GTEST_SKIP() << "a child of this test program cannot leave root's privileges here";
  namespace fs = std::filesystem;
  MakeDirectory("lang");
  WriteFile("lang/TEXTS.CRT", Crt({{"&OK", "&OK"}}));
  // The files' directory refuses new files, to its owner too.
  fs::permissions(Dir() / "lang", fs::perms::owner_read | fs::perms::owner_exec);
  auto before = Snapshot();
  ProcessOptions unprivileged;
  unprivileged.withoutPrivileges = true;
  ProcessResult result = RunLang({"update", "*.clw", "lang/texts"}, unprivileged);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.errors.find("lang/TEXTS.BAS: error: cannot write"), std::string::npos)
      << result.errors;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(LangUpdateTest, AMaskThatMatchesNothingIsAnError) {
  ProcessResult result = RunLang({"update", "*.none", "texts"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors, "*.none: error: no file in the current directory matches this mask\n");
  EXPECT_EQ(Tree(), Texts{"main.clw"});
}

}  // namespace
