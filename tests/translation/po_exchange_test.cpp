#include "translation/po_exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

CodePage Cp1252() {
  return *CodePage::Named("cp1252");
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string Crt(const Pairs& pairs) {
  std::string file =
      "LANGUAGE GROUP\r\nItems      USHORT(" + std::to_string(pairs.size()) + ")\r\n";
  for (const auto& [text, translation] : pairs) {
    file += "           PSTRING('" + text + "')\r\n           PSTRING('" + translation + "')\r\n";
  }
  return file + "   END\r\n";
}

// "LINE[:COLUMN]: error|warning: MESSAGE" per diagnostic.
std::vector<std::string> Formatted(const std::vector<Diagnostic>& diagnostics) {
  std::vector<std::string> lines;
  for (const Diagnostic& diagnostic : diagnostics) {
    lines.push_back(FormatDiagnostic("", diagnostic).substr(1));
  }
  return lines;
}

// The PO file export writes: the entries, and a header that records the code page.
std::string Export(const CrtDocument& crt) {
  ExportedEntries exported = ExportEntries(crt, Cp1252());
  EXPECT_EQ(Formatted(exported.diagnostics), std::vector<std::string>{});
  PoHeader header;
  header.codePage = "cp1252";
  return WritePo(header, exported.entries);
}

ImportResult Import(const CrtDocument& crt, const std::string& po, bool includeFuzzy = false,
                    const CrtDocument& obsolete = {}) {
  return ImportPo(crt, obsolete, ReadPo(po), Cp1252(), {includeFuzzy, false, "DE.CRT", "DE.OBS"});
}

constexpr char kHeader[] =
    "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\"X-Quotex-Code-Page: cp1252\\n\"\n\n";

// Translations every way the notation writes them, and some it does not (kept as written).
const CrtDocument kTranslated = ReadCrt(Crt({
    {"&OK", "&OK"},
    {"Cancel", ""},
    {"It''s <13,10>done", "C''est <13,10>fait"},
    {"It<39>s <0Dh,0Ah>done", "C<39>est <0Dh,0Ah>fait"},
    {"\tName", "<9>Nom"},
    {"Gr\xFC\xDF"
     "e",
     "Gr\xFC\xDF"
     "e <0Dh,0AH> \xE9t\xE9 {{x} <<y>"},
    {"Line{3}", "Ligne-{3}"},
    {"Don''t", "N'est pas"},
    {"Zero<0>", "Null<0> <<0> <<65> <<<7> C:\\"},
    {"Bell<7,8,12,27,127><1,81H>", "Glocke<7><8><12><27><127>\x81\x8D\x8F\x90\x9D"},
    {"&OK", "&OK"},
}));

TEST(PoExchangeTest, KeysEveryTextOnceAndStablyWhenTextsRepeat) {
  Pairs texts = {{"a<13>", ""}, {"a<0Dh>", ""}, {"a<13>", ""},          {"b<7>", ""},
                 {"b\x07", ""}, {"", ""},       {"\xE9\x81<<13>\\", ""}};
  std::string keys;  // msgids, and [msgctxt] only where an empty msgid would be the header
  for (const PoKey& key : BuildPoKeys(ReadCrt(Crt(texts)), Cp1252())) {
    keys += (key.context ? "[" + *key.context + "]" : "") + key.id + "|";
  }
  EXPECT_EQ(keys, "a<13>|a<0Dh>|a<13>|b<7>|b<7> #2|[]|\xC3\xA9\xEF\x9E\x81<<13><92>|");
}

TEST(PoExchangeTest, ExportsOneEntryPerText) {
  CrtDocument crt = ReadCrt(
      Crt({{"&OK", "&Ja"}, {"Line<13,10>Next", ""}, {"&OK", ""}, {"Bell<7>\x81", "Glocke<7>"}}));
  ExportedEntries exported = ExportEntries(crt, Cp1252());
  EXPECT_EQ(exported.entries.size(), 3u);
  EXPECT_EQ(exported.translated, 2u);
  std::string po = Export(crt);
  EXPECT_EQ(po.substr(po.find("\n\n")),
            "\n\n"
            "msgid \"&OK\"\n"
            "msgstr \"&Ja\"\n"
            "\n"
            "msgid \"\"\n"
            "\"Line<13>\\n\"\n"
            "\"Next\"\n"
            "msgstr \"\"\n"
            "\n"
            "msgid \"Bell<7>\xEF\x9E\x81\"\n"
            "msgstr \"Glocke<7>\"\n");
}

TEST(PoExchangeTest, ImportOfWhatWasExportedChangesNoByte) {
  // A text listed twice, the first time untranslated: the entry shows the second translation.
  const CrtDocument repeated = ReadCrt(Crt({{"Save", ""}, {"", ""}, {"Save", "Sichern"}}));
  // Translations a PSTRING cannot hold, made by hand in the file, for a short and a long text:
  // taken again as they stand, without a word.
  const CrtDocument tooLong = ReadCrt(Crt({{"Changed", "Ge<12,12>" + std::string(300, 'x')},
                                           {std::string(300, 'y'), std::string(280, 'z')}}));
  for (const CrtDocument* crt : {&kTranslated, &repeated, &tooLong}) {
    ImportResult result = Import(*crt, Export(*crt));
    EXPECT_EQ(Formatted(result.diagnostics), std::vector<std::string>{});
    EXPECT_EQ(result.taken, 0u);
    EXPECT_EQ(result.unchanged, crt->pairs.size());
    for (std::size_t i = 0; i < crt->pairs.size(); ++i) {
      EXPECT_EQ(result.translations[i], crt->pairs[i].translation);
    }
  }
}

// Replaces `from` in a PO text, which must hold it.
void Edit(std::string& po, const std::string& from, const std::string& to) {
  std::size_t at = po.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  po.replace(at, from.size(), to);
}

TEST(PoExchangeTest, ImportChangesExactlyTheEditedTranslations) {
  std::string po = Export(kTranslated);
  Edit(po, "msgid \"Cancel\"\nmsgstr \"\"", "msgid \"Cancel\"\nmsgstr \"Abbrechen<7> <<0>\"");
  Edit(po, "msgstr \"N'est pas\"", "msgstr \"N'est <pas> {\\t} ''\\r\\n<0Dh,10>\"");
  Edit(po, "msgid \"&OK\"\nmsgstr \"&OK\"", "msgid \"&OK\"\nmsgstr \"&S\xC3\xAD\"");
  ImportResult result = Import(kTranslated, po);
  // What check would warn about, for the translations that change.
  EXPECT_EQ(Formatted(result.diagnostics),
            (std::vector<std::string>{
                "16: warning: translation has codes or tabs <7>, its text none",
                "42: warning: translation has codes or tabs <9,10,10,13,13>, its text none"}));
  EXPECT_EQ(result.taken, 4u);
  EXPECT_EQ(result.unchanged, kTranslated.pairs.size() - 4);
  std::vector<std::string> expected;
  for (const CrtPair& pair : kTranslated.pairs) expected.push_back(pair.translation);
  expected[0] = expected[10] = "&S\xED";  // every pair of the text
  expected[1] = "Abbrechen<7> <<0>";
  expected[7] = "N''est <<pas> {{<9>} ''''<13,10,13,10>";
  EXPECT_EQ(result.translations, expected);
}

TEST(PoExchangeTest, LeavesOutWhatItCannotTake) {
  std::string po = std::string(kHeader) +
                   "#, fuzzy\nmsgid \"Save\"\nmsgstr \"Sichern\"\n\n"
                   "msgid \"Open\"\nmsgstr \"\"\n\n"
                   "msgid \"%d file\"\nmsgid_plural \"%d files\"\nmsgstr[0] \"Datei\"\n"
                   "msgstr[1] \"Dateien\"\n\n"
                   "msgid \"Close\"\nmsgstr \"Закрыть\"\n\n"
                   "msgid \"Ж\"\nmsgstr \"x\"\n";
  CrtDocument crt = ReadCrt(Crt({{"Save", ""}, {"Open", "Auf"}, {"Close", ""}}));
  ImportResult result = Import(crt, po);
  EXPECT_EQ(Formatted(result.diagnostics),
            (std::vector<std::string>{
                "12: warning: plural entry left out: a CRT file holds one translation per text",
                "18: error: translation holds 'З' (U+0417), which cp1252 cannot hold",
                "20: error: msgid holds 'Ж' (U+0416), which cp1252 cannot hold",
            }));
  EXPECT_EQ(result.translations, (std::vector<std::string>{"", "Auf", ""}));
  EXPECT_EQ(result.fuzzyLeftOut, 1u);
  EXPECT_EQ(result.pluralLeftOut, 1u);
}

// Entries whose text the CRT file lacks are kept in the OBS file, in new pairs if need be.
TEST(PoExchangeTest, KeepsLateTranslationsInTheObsoleteTexts) {
  CrtDocument crt = ReadCrt(Crt({{"Save", ""}}));
  std::string po = std::string(kHeader) +
                   "msgid \"Gone\"\nmsgstr \"Fort\"\n\n"
                   "msgid \"New<7> it's <<5>\"\nmsgstr \"Neu<7>\"\n\n"
                   "msgid \"Save\"\nmsgstr \"Sichern\"\n";
  ImportResult result = Import(crt, po, false, ReadCrt(Crt({{"Gone", "Weg"}, {"Left", "L"}})));
  const std::string kept =
      ": warning: not in DE.CRT: kept in DE.OBS, where it comes back from "
      "when its text does";
  EXPECT_EQ(Formatted(result.diagnostics), (std::vector<std::string>{"5" + kept, "8" + kept}));
  EXPECT_EQ(result.setAside, 2u);
  std::vector<std::string> pairs;
  for (const CrtPair& pair : result.obsolete) pairs.push_back(pair.text + "=" + pair.translation);
  EXPECT_EQ(pairs, (std::vector<std::string>{"Gone=Fort", "Left=L", "New<7> it''s <<5>=Neu<7>"}));
}

// A file most of whose translations (more than a handful) match no text is likely another
// application's; one a PSTRING cannot hold would make the CRT file invalid.
TEST(PoExchangeTest, RefusesWhatWouldSpoilTheFiles) {
  // Texts matched and not, whether to take them all the same, and the errors.
  const std::tuple<int, int, bool, std::size_t> cases[] = {
      {1, 11, false, 2}, {1, 11, true, 1}, {11, 11, false, 1}, {0, 10, false, 1}};
  for (const auto& [matched, unmatched, takeUnmatched, errors] : cases) {
    Pairs texts = {{"Long", ""}};
    std::string po =
        std::string(kHeader) + "msgid \"Long\"\nmsgstr \"" + std::string(256, 'x') + "\"\n";
    for (int i = 0; i < matched + unmatched; ++i) {
      if (i < matched) texts.emplace_back("T" + std::to_string(i), "");
      po += "msgid \"" + std::string(i < matched ? "T" : "O") + std::to_string(i) +
            "\"\nmsgstr \"x\"\n";
    }
    ImportResult result =
        ImportPo(ReadCrt(Crt(texts)), {}, ReadPo(po), Cp1252(), {false, takeUnmatched});
    EXPECT_EQ(
        std::count_if(result.diagnostics.begin(), result.diagnostics.end(),
                      [](const Diagnostic& each) { return each.severity == Severity::kError; }),
        errors)
        << matched << " " << unmatched;
    EXPECT_EQ(Formatted(result.diagnostics)[errors - 1],
              "6: error: translation is 256 characters long; a PSTRING holds at most 255");
  }
}

// A text quotex wrote longer than a PSTRING holds takes a long translation, with the warning
// check gives: refusing it would stop the whole import for a pair that was never shorter.
TEST(PoExchangeTest, TakesALongTranslationOfALongerText) {
  const std::string text(300, 'y');
  ImportResult result = ImportPo(ReadCrt(Crt({{text, ""}})), {},
                                 ReadPo(std::string(kHeader) + "msgid \"" + text +
                                        "\"\nmsgstr \"" + std::string(280, 'x') + "\"\n"),
                                 Cp1252(), {});
  EXPECT_EQ(result.taken, 1u);
  EXPECT_EQ(Formatted(result.diagnostics),
            std::vector<std::string>{
                "6: warning: translation is 280 characters long; a PSTRING holds at most 255"});
}

// Older exports held control characters as they are, and msgctxt told texts apart.
TEST(PoExchangeTest, ImportsWhatAnOlderExportWrote) {
  CrtDocument crt = ReadCrt(Crt({{"a<13>", ""}, {"a<0Dh>", ""}, {"b<7>", ""}}));
  ImportResult result = Import(crt,
                               "msgid \"a\\r\"\nmsgstr \"A\"\n\n"
                               "msgctxt \"a<0Dh>\"\nmsgid \"a\\r\"\nmsgstr \"B\"\n\n"
                               "msgid \"b\\a\"\nmsgstr \"C\\a\"\n");
  EXPECT_EQ(result.translations, (std::vector<std::string>{"A", "B", "C<7>"}));
  // Those that recorded the code page showed a carriage return as itself.
  result = Import(crt, std::string(kHeader) + "msgid \"a\\r\"\nmsgstr \"A\\r\"\n");
  EXPECT_EQ(result.translations, (std::vector<std::string>{"A<13>", "", ""}));
}

TEST(PoExchangeTest, ImportReportsTheProblemsOfThePoFile) {
  CrtDocument crt = ReadCrt(Crt({{"Save", ""}}));
  ImportResult result = Import(crt, "msgid \"Save\"\nmsgstr \"Sichern\\q\"\n");
  EXPECT_EQ(Formatted(result.diagnostics),
            std::vector<std::string>{"2: error: invalid escape sequence '\\q'"});
  EXPECT_EQ(result.taken, 0u);
}

}  // namespace
