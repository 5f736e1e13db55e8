#include "window/pseudo.h"

#include <gtest/gtest.h>

#include <string>

#include "translation/check.h"
#include "translation/crt_reader.h"

namespace {

TEST(PseudoTest, KeepsWhatTheProgramNeeds) {
  CodePage cp1252 = *CodePage::Named("cp1252");
  PseudoTranslator translator(cp1252, 40);
  const std::pair<std::string, std::string> rows[] = {
      {"Save", "[Sâvé=]"},
      {"&Save", "[&Sâvé=]"},                             // the accelerator's letter
      {"Fish && Chips", "[Fîsh && Çhîps===]"},           // a plain ampersand
      {"Name:", "[Ñâmé=]:"},                             // a final ':', '...', '?'
      {"  Open...  ", "  [Ôpéñ=]...  "},                 // leading and trailing blanks
      {" {3}Go?", " {3}[Gô]?"},                         // a repeat count with its blank
      {"Line<13,10>two", "[Lîñé<13,10>twô==]"},         // codes
      {"It''s <<new>>", "[Ît''s <<ñéw>>==]"},           // escapes
      {"Total @n10.2 due", "[Tôtâl @n10.2 dûé===]"},    // a picture
      {"Sum{3}", "[Sûm{3}=]"},                          // a repeat count
      {"Today is the day of the week on which nothing happens",
       "[Tôdâý îs thé dâý ôf thé wéék ôñ whîçh ñôthîñg hâppéñs============]"},
  };
  for (const auto& [text, expected] : rows) {
    std::string translation = translator.Translate(text);
    EXPECT_EQ(cp1252.ToUtf8(translation), expected) << text;
    // It passes check without a word.
    CrtDocument crt = ReadCrt("L GROUP\nItems USHORT(1)\n PSTRING('" + text + "')\n PSTRING('" +
                              translation + "')\n END\n");
    EXPECT_TRUE(CheckCrt(crt, cp1252).diagnostics.empty()) << text;
    EXPECT_TRUE(PseudoTranslator::IsPseudoTranslation(translation)) << text;
  }
}

TEST(PseudoTest, LeavesWhatItCannotHold) {
  CodePage cp1252 = *CodePage::Named("cp1252");
  PseudoTranslator translator(cp1252, 40);
  EXPECT_EQ(translator.Translate(std::string(253, 'a')).size(), 255u);  // the markers, no padding
  EXPECT_EQ(translator.Translate(std::string(254, 'a')), "");           // no room for the markers
  EXPECT_EQ(translator.Translate("Alt+Key<"), "");                      // malformed
  EXPECT_EQ(translator.Translate("   "), "");
  // A code page without accented Latin letters keeps the letters.
  EXPECT_EQ(PseudoTranslator(*CodePage::Named("cp1251"), 40).Translate("Save"), "[Save=]");
  EXPECT_EQ(cp1252.ToUtf8(PseudoTranslator(cp1252, 100).Translate("Save")), "[Sâvé====]");
}

}  // namespace
