#include "translation/check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const CodePage kCp1252 = *CodePage::Named("cp1252");

// "LINE[:COLUMN]: error|warning: MESSAGE" per diagnostic.
std::vector<std::string> Check(const std::string& crtFile, const CodePage& codePage = kCp1252) {
  std::vector<std::string> lines;
  for (const Diagnostic& diagnostic : CheckCrt(ReadCrt(crtFile), codePage).diagnostics) {
    lines.push_back(FormatDiagnostic("", diagnostic).substr(1));
  }
  return lines;
}

std::string Crt(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string file = "LANGUAGE GROUP\nItems USHORT(" + std::to_string(pairs.size()) + ")\n";
  for (const auto& [text, translation] : pairs) {
    file += "  PSTRING('" + text + "')\n  PSTRING('" + translation + "')\n";
  }
  return file + "  END\n";
}

TEST(CheckTest, CountsTextsAndTranslations) {
  CheckResult result =
      CheckCrt(ReadCrt(Crt({{"&OK", "&OK"}, {"Cancel", ""}, {"Save", "Sichern"}})), kCp1252);
  EXPECT_EQ(result.diagnostics.size(), 0u);
  EXPECT_EQ(result.texts, 3u);
  EXPECT_EQ(result.translated, 2u);
}

TEST(CheckTest, ReportsTheCountAndTheStructure) {
  EXPECT_EQ(
      Check("L GROUP\nItems USHORT(2)\n PSTRING('a')\n PSTRING('b')\n END\n"),
      std::vector<std::string>{"2: error: Items count 2 differs from the 1 text of the group: a "
                               "line may have been deleted or added"});
  EXPECT_EQ(Check("L GROUP\n PSTRING('a')\n PSTRING('b')\n END\n"),
            std::vector<std::string>{"1: error: no Items USHORT(n) line; the group holds 1 text"});
  EXPECT_EQ(Check("L GROUP\nItems USHORT(1)\n PSTRING('a')\n PSTRING('b')\n"),
            std::vector<std::string>{"4: error: no END line at the end of the group"});
  std::string many = "L GROUP\nItems USHORT(65536)\n";
  for (int i = 0; i < 65536; ++i) many += " PSTRING('t" + std::to_string(i) + "')\n PSTRING('')\n";
  EXPECT_EQ(Check(many + " END\n"),
            std::vector<std::string>{"2: error: Items count 65536 is more than a USHORT "
                                     "holds (65535)"});
}

TEST(CheckTest, ReportsMalformedTranslationsWhereTheyAre) {
  EXPECT_EQ(Check(Crt({{"It''s", "C''est"}, {"Don''t", "Ne pas'"}, {"Tab<9>", "Tab<9"}})),
            (std::vector<std::string>{
                "6:18: error: translation: lone quote; write '' for a quote",
                "8: warning: translation has codes or tabs none, its text <9>",
                "8:15: error: translation: '<' opens no valid code; write '<<' for a '<'",
            }));
}

TEST(CheckTest, WarnsOfLikelyMistakesInTranslations) {
  const struct {
    std::string text, translation, warning;  // warning: "" for none
  } cases[] = {
      {"&Save", "&Speichern", ""},
      {"&Save", "Speichern", "translation has 0 '&' accelerators, its text 1"},
      {"Save && &Close", "Speichern", "translation has 0 '&' accelerators, its text 1"},
      {"Save", "Sichern && Schlie&&en", ""},
      {"Save", "&Spei&chern", "translation has 2 '&' accelerators, its text 0"},
      {"\tName", "<9>Name", ""},  // quotex writes a text's first <9> as a real tab
      {"Line<13,10>Next",
       "Zeile<13,10>N\xE4"
       "chste",
       ""},
      {"Line<13,10>Next",
       "Zeile<10,13>N\xE4"
       "chste",
       ""},
      {"Line<13,10>", "Zeile<13>", "translation has codes or tabs <13>, its text <10,13>"},
      {"  Name", " Name", "translation has 1 leading blank, its text 2"},
      {"Name ", "Name", "translation has 0 trailing blanks, its text 1"},
      {"Name:", "Nom :", ""},
      {"Name:", "Name", "translation does not end with ':' as its text does"},
      {"Open...",
       "\xD6"
       "ffnen:",
       "translation ends with ':', its text with '...'"},
      {"Open", "Ouvrir ?", "translation ends with '?', its text does not"},
      {"Sure? ", "S\xFBr ? ", ""},
      {"Done.", "Fertig", ""},
      {"Long", "x{255}", ""},
      {"Long", "x{255}y", "translation is 256 characters long; a PSTRING holds at most 255"},
      {"Name:", "", ""},  // no translation yet
  };
  for (const auto& c : cases) {
    std::vector<std::string> expected;
    if (!c.warning.empty()) expected.push_back("4: warning: " + c.warning);
    EXPECT_EQ(Check(Crt({{c.text, c.translation}})), expected) << c.text << " | " << c.translation;
  }
}

// Which of two translations of one text is meant cannot be told; the same one twice, or one
// and none, is only odd.
TEST(CheckTest, ReportsATextListedTwiceAndKeepsLineOrder) {
  EXPECT_EQ(Check(Crt({{"Save", "Sichern"},
                       {"Save:", "Sichern"},
                       {"Save", "Speichern"},
                       {"Save", ""},
                       {"Save", "Sichern"}})),
            (std::vector<std::string>{
                "6: warning: translation does not end with ':' as its text does",
                "7: error: text listed twice with different translations, on lines 3 and 7: "
                "keep the one that is meant",
                "9: warning: text listed twice, on lines 3 and 9",
                "11: warning: text listed twice, on lines 3 and 11",
            }));
}

// UTF-8 for a character the code page holds; not a single high byte, nor UTF-8 for one the code
// page lacks (Ukrainian "Ці" in cp1251 reads as U+05B3).
TEST(CheckTest, WarnsOfTextsThatLookSavedAsUtf8) {
  const std::string utf8 = "' would be '\xC3\xA9'); save the file in its code page";
  EXPECT_EQ(Check(Crt({{"Caf\xE9", "Caf\xC3\xA9"},
                       {"\xC3\xA9t\xC3\xA9", ""},
                       {"\xC4\xD6 \xC3(", "\xE9t\xE9"}})),
            (std::vector<std::string>{"4:15: warning: translation looks like UTF-8 ('Ã©" + utf8,
                                      "5:12: warning: text looks like UTF-8 ('Ã©" + utf8}));
  EXPECT_EQ(Check(Crt({{"\xD6\xB3", "\xD6\xB3"}}), *CodePage::Named("cp1251")),
            std::vector<std::string>{});
}

TEST(DiagnosticTest, FormatsAsCompilersDo) {
  EXPECT_EQ(FormatDiagnostic("TEXTS.CRT", {12, Severity::kError, "lone quote"}),
            "TEXTS.CRT:12: error: lone quote");
  EXPECT_EQ(FormatDiagnostic("TEXTS.CRT", {12, Severity::kWarning, "long", 7}),
            "TEXTS.CRT:12:7: warning: long");
  EXPECT_EQ(FormatDiagnostic("TEXTS.CRT", {0, Severity::kError, "no END line"}),
            "TEXTS.CRT: error: no END line");
  EXPECT_EQ(Quoted(std::string(41, 'x')), "'" + std::string(40, 'x') + "...'");
}

}  // namespace
