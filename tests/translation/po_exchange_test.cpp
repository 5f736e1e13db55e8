#include "translation/po_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CodePage Cp1252() {
  return *CodePage::Named("cp1252");
}

std::string Crt(const std::vector<std::pair<std::string, std::string>>& pairs) {
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

std::string Export(const CrtDocument& crt) {
  ExportResult result = ExportPo(crt, Cp1252(), "TEXTS", "de", "2024-05-01 12:00+0000");
  EXPECT_EQ(Formatted(result.diagnostics), std::vector<std::string>{});
  return result.po;
}

// Translations every way the notation writes them, and some it does not (kept as written).
const CrtDocument kTranslated = ReadCrt(Crt({
    {"&OK", "&OK"},
    {"Cancel", ""},
    {"It''s <13,10>done", "C''est <13,10>fait"},
    {"\tName", "<9>Nom"},
    {"Gr\xFC\xDF"
     "e",
     "Gr\xFC\xDF"
     "e <0Dh,0AH> \xE9t\xE9 {{x} <<y>"},
    {"Line{3}", "Ligne-{3}"},
    {"Don''t", "N'est pas"},
    {"Zero<0>", "Null<0>"},
    {"&OK", "&Oui"},
    {"&OK", "&Si"},
}));

TEST(PoExchangeTest, KeysEveryTextOnceAndStablyWhenTextsRepeat) {
  CrtDocument crt = ReadCrt(Crt({{"a<13>", ""},
                                 {"a<0Dh>", ""},
                                 {"a<13>", ""},
                                 {"a<13>", ""},
                                 {"b", ""},
                                 {"", ""},
                                 {"\xE9", ""}}));
  PoKeys keys = BuildPoKeys(crt, Cp1252());
  EXPECT_EQ(keys.errors.size(), 0u);
  std::vector<std::optional<PoKey>> expected = {
      PoKey{std::nullopt, "a\r"},      PoKey{"a<0Dh>", "a\r"},
      PoKey{"a<13>", "a\r"},           PoKey{"a<13> #2", "a\r"},
      PoKey{std::nullopt, "b"},        PoKey{"", ""},  // without a context it would be the header
      PoKey{std::nullopt, "\xC3\xA9"},
  };
  EXPECT_EQ(keys.keys, expected);
}

TEST(PoExchangeTest, ExportsOneEntryPerText) {
  ExportResult result = ExportPo(ReadCrt(Crt({{"&OK", "&Ja"},
                                              {"Line<13,10>Next", ""},
                                              {"&OK", ""},
                                              {"Gr\xFC\xDF"
                                               "e",
                                               "Gr\xFC\xDF"
                                               "e"}})),
                                 Cp1252(), "TEXTS", std::nullopt, "2024-05-01 12:00+0000");
  EXPECT_EQ(Formatted(result.diagnostics), std::vector<std::string>{});
  EXPECT_EQ(result.entries, 4u);
  EXPECT_EQ(result.translated, 2u);
  EXPECT_EQ(result.po.substr(result.po.find("\n\n")),
            "\n\n"
            "msgid \"&OK\"\n"
            "msgstr \"&Ja\"\n"
            "\n"
            "msgid \"\"\n"
            "\"Line\\r\\n\"\n"
            "\"Next\"\n"
            "msgstr \"\"\n"
            "\n"
            "msgctxt \"&OK\"\n"
            "msgid \"&OK\"\n"
            "msgstr \"\"\n"
            "\n"
            "msgid \"Grüße\"\n"
            "msgstr \"Grüße\"\n");
}

TEST(PoExchangeTest, ExportsNothingWhenABytesIsNotDefined) {
  ExportResult result =
      ExportPo(ReadCrt(Crt({{"ab\x81", "x"}, {"a<81h>", ""}, {"ok", "y\x8D"}}) + "junk\r\n"),
               Cp1252(), "TEXTS", std::nullopt, "now");
  EXPECT_EQ(Formatted(result.diagnostics),
            (std::vector<std::string>{
                "3:23: error: byte 0x81 is not defined in cp1252",
                "5:21: error: a code stands for byte 0x81, which cp1252 does not define",
                "8:22: error: byte 0x8D is not defined in cp1252",
                "10: error: line after END",
            }));
  EXPECT_EQ(result.po, "");
}

TEST(PoExchangeTest, ImportOfWhatWasExportedChangesNoByte) {
  PoDocument po = ReadPo(Export(kTranslated));
  ASSERT_EQ(po.problems.size(), 0u);
  ImportResult result = ImportPo(kTranslated, po, Cp1252(), false);
  EXPECT_EQ(Formatted(result.diagnostics), std::vector<std::string>{});
  EXPECT_EQ(result.taken, 0u);
  EXPECT_EQ(result.unchanged, kTranslated.pairs.size());
  for (std::size_t i = 0; i < kTranslated.pairs.size(); ++i) {
    EXPECT_EQ(result.translations[i], kTranslated.pairs[i].translation);
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
  Edit(po, "msgid \"Cancel\"\nmsgstr \"\"", "msgid \"Cancel\"\nmsgstr \"Abbrechen\"");
  Edit(po, "msgstr \"N'est pas\"", "msgstr \"N'est <pas> {\\t} ''\\r\\n\"");
  Edit(po, "msgctxt \"&OK #2\"\nmsgid \"&OK\"\nmsgstr \"&Si\"",
       "msgctxt \"&OK #2\"\nmsgid \"&OK\"\nmsgstr \"&S\xC3\xAD\"");
  ImportResult result = ImportPo(kTranslated, ReadPo(po), Cp1252(), false);
  EXPECT_EQ(Formatted(result.diagnostics), std::vector<std::string>{});
  EXPECT_EQ(result.taken, 3u);
  EXPECT_EQ(result.unchanged, kTranslated.pairs.size() - 3);
  std::vector<std::string> expected;
  for (const CrtPair& pair : kTranslated.pairs) expected.push_back(pair.translation);
  expected[1] = "Abbrechen";
  expected[6] = "N''est <<pas> {{<9>} ''''<13,10>";
  expected[9] = "&S\xED";
  EXPECT_EQ(result.translations, expected);
}

TEST(PoExchangeTest, LeavesOutWhatItCannotTake) {
  std::string po =
      "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
      "#, fuzzy\nmsgid \"Save\"\nmsgstr \"Sichern\"\n\n"
      "msgid \"Open\"\nmsgstr \"\"\n\n"
      "msgid \"Gone\"\nmsgstr \"Weg\"\n\n"
      "msgctxt \"x\"\nmsgid \"Close\"\nmsgstr \"Zu\"\n\n"
      "msgid \"%d file\"\nmsgid_plural \"%d files\"\nmsgstr[0] \"Datei\"\nmsgstr[1] \"Dateien\"\n\n"
      "msgid \"Close\"\nmsgstr \"Закрыть\"\n";
  CrtDocument crt = ReadCrt(Crt({{"Save", ""}, {"Open", "Auf"}, {"Close", ""}}));
  ImportResult result = ImportPo(crt, ReadPo(po), Cp1252(), false);
  EXPECT_EQ(Formatted(result.diagnostics),
            (std::vector<std::string>{
                "11: warning: not found: no text for msgid 'Gone' in the CRT file",
                "15: warning: not found: no text for msgid 'Close' (msgctxt 'x') in the CRT file",
                "18: warning: plural entry left out: a CRT file holds one translation per text",
                "24: error: translation holds 'З' (U+0417), which cp1252 cannot hold",
            }));
  EXPECT_EQ(result.translations, (std::vector<std::string>{"", "Auf", ""}));
  EXPECT_EQ(result.notFound, 2u);
  EXPECT_EQ(result.fuzzyLeftOut, 1u);
  EXPECT_EQ(result.taken, 0u);

  ImportResult withFuzzy = ImportPo(crt, ReadPo(po), Cp1252(), true);
  EXPECT_EQ(withFuzzy.translations[0], "Sichern");
  EXPECT_EQ(withFuzzy.taken, 1u);
}

TEST(PoExchangeTest, ImportReportsTheProblemsOfThePoFile) {
  CrtDocument crt = ReadCrt(Crt({{"Save", ""}}));
  ImportResult result =
      ImportPo(crt, ReadPo("msgid \"Save\"\nmsgstr \"Sichern\\q\"\n"), Cp1252(), false);
  EXPECT_EQ(Formatted(result.diagnostics),
            std::vector<std::string>{"2: error: invalid escape sequence '\\q'"});
  EXPECT_EQ(result.taken, 0u);

  ImportResult undefined = ImportPo(ReadCrt(Crt({{"\x81", ""}})), ReadPo(""), Cp1252(), false);
  EXPECT_EQ(Formatted(undefined.crtErrors),
            std::vector<std::string>{"3:21: error: byte 0x81 is not defined in cp1252"});
}

}  // namespace
