#include "lang/merge.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

std::vector<CrtPair> CrtPairs(const Pairs& pairs) {
  std::vector<CrtPair> crtPairs;
  for (const auto& [text, translation] : pairs) crtPairs.push_back(CrtPair{text, translation});
  return crtPairs;
}

Pairs PairsOf(const std::vector<CrtPair>& crtPairs) {
  Pairs pairs;
  for (const CrtPair& pair : crtPairs) pairs.emplace_back(pair.text, pair.translation);
  return pairs;
}

struct MergeCase {
  const char* what;
  Texts current;
  Pairs old;
  Pairs obsolete;
  Texts translations;
  Pairs obsoleteAfter;
  std::size_t translated, added, dropped;
};

TEST(MergeTest, CarriesTranslationsOverAndKeepsThoseNoLongerFound) {
  const MergeCase cases[] = {
      {"no old file: every text is new and untranslated",
       {"&OK", "Cancel"},
       {},
       {},
       {"", ""},
       {},
       0,
       2,
       0},
      {"texts keep their translations whatever their new order",
       {"Cancel", "&OK", "Help"},
       {{"&OK", "&OK"}, {"Cancel", "Abbrechen"}},
       {},
       {"Abbrechen", "&OK", ""},
       {},
       2,
       1,
       0},
      {"matched byte for byte: case and blanks make other texts",
       {"cancel", "Cancel "},
       {{"Cancel", "Abbrechen"}},
       {},
       {"", ""},
       {{"Cancel", "Abbrechen"}},
       0,
       2,
       1},
      {"a translated text no longer found becomes obsolete; an untranslated one is dropped",
       {"&OK"},
       {{"&OK", "&OK"}, {"Gone", "Weg"}, {"Empty", ""}},
       {},
       {"&OK"},
       {{"Gone", "Weg"}},
       1,
       0,
       2},
      {"an obsolete text found again takes its translation back and leaves the obsolete ones",
       {"Back", "New"},
       {{"New", ""}},
       {{"Back", "Zurück"}, {"Still gone", "Noch weg"}},
       {"Zurück", ""},
       {{"Still gone", "Noch weg"}},
       1,
       1,
       0},
      {"the old file's translation goes before the obsolete one",
       {"Both"},
       {{"Both", "Neu"}},
       {{"Both", "Alt"}},
       {"Neu"},
       {},
       1,
       0,
       0},
      {"an empty translation in the old file lets the obsolete one through",
       {"Both"},
       {{"Both", ""}},
       {{"Both", "Alt"}},
       {"Alt"},
       {},
       1,
       0,
       0},
      {"earlier obsolete texts first, then those of the old file; each once, the newer wins",
       {},
       {{"B", "b2"}, {"C", "c"}, {"C", "c"}},
       {{"A", "a"}, {"B", "b1"}},
       {},
       {{"A", "a"}, {"B", "b2"}, {"C", "c"}},
       0,
       0,
       2},
      {"a text listed twice takes its translation whichever of its pairs gives it",
       {"Twice"},
       {{"Twice", ""}, {"Twice", "Zweimal"}, {"Twice", "Zweimal"}},
       {},
       {"Zweimal"},
       {},
       1,
       0,
       0},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.what);
    MergedTranslations merged = MergeTranslations(c.current, CrtPairs(c.old), CrtPairs(c.obsolete));
    EXPECT_EQ(merged.translations, c.translations);
    EXPECT_EQ(PairsOf(merged.obsolete), c.obsoleteAfter);
    EXPECT_EQ(merged.translated, c.translated);
    EXPECT_EQ(merged.added, c.added);
    EXPECT_EQ(merged.dropped, c.dropped);
  }
}

// Texts that come and go over many releases never lose a translation: each is translated the
// release it is first seen, and has that translation from then on.
TEST(MergeTest, NoTranslationIsLostOverManyReleases) {
  Pairs crt;
  Pairs obsolete;
  std::set<std::string> translated;
  for (int release = 0; release < 50; ++release) {
    Texts current;
    for (int i = 0; i < 40; ++i) {
      if ((i * 7 + release * 3) % 5 != 0) current.push_back("Text " + std::to_string(i));
    }
    MergedTranslations merged = MergeTranslations(current, CrtPairs(crt), CrtPairs(obsolete));
    crt.clear();
    for (std::size_t i = 0; i < current.size(); ++i) {
      std::string expected = translated.contains(current[i]) ? "T" + current[i] : "";
      EXPECT_EQ(merged.translations[i], expected) << current[i] << ", release " << release;
      crt.push_back({current[i], "T" + current[i]});
      translated.insert(current[i]);
    }
    obsolete = PairsOf(merged.obsolete);
    EXPECT_EQ(crt.size() + obsolete.size(), release == 0 ? current.size() : 40u)
        << "release " << release;
  }
}

}  // namespace
