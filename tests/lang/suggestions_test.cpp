#include "lang/suggestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The plain LCS table, row by row.
std::size_t PlainLcs(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1, 0);
  for (char x : a) {
    std::size_t diagonal = 0;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = x == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The search the index must agree with: every candidate in order, the first of the best kept.
std::optional<Suggestion> SearchAll(const std::vector<SuggestionCandidate>& candidates,
                                    const std::string& query) {
  std::optional<Suggestion> best;
  for (const SuggestionCandidate& candidate : candidates) {
    double ratio = SimilarityRatio(query, candidate.characters);
    if (ratio >= kSuggestionThreshold && (!best || ratio > best->ratio)) {
      best = Suggestion{candidate.payload, ratio};
    }
  }
  return best;
}

// Texts of words over a few letters, and near variants of them: characters dropped, added,
// replaced or swapped, words repeated.
class TextMaker {
 public:
  std::string Text(std::size_t words) {
    std::string text;
    for (std::size_t i = 0; i < words; ++i) {
      if (i > 0) text += Below(8) == 0 ? ", " : " ";
      for (std::size_t n = 2 + Below(7); n > 0; --n) text += "abcdeilnorst'\xE4"[Below(15)];
    }
    return text;
  }
  std::string Variant(std::string text) {
    for (std::size_t edits = Below(7); edits > 0; --edits) {
      std::size_t at = text.empty() ? 0 : Below(text.size());
      switch (Below(5)) {
        case 0:
          if (!text.empty()) text.erase(at, 1);
          break;
        case 1:
          text.insert(at, 1, "aeo .:"[Below(6)]);
          break;
        case 2:
          if (!text.empty()) text[at] = "aeno?"[Below(5)];
          break;
        case 3:
          if (at + 1 < text.size()) std::swap(text[at], text[at + 1]);
          break;
        default:
          text.insert(at, text.substr(at, Below(8)));
          break;
      }
    }
    return text;
  }
  std::size_t Below(std::size_t n) { return random_() % n; }

 private:
  std::mt19937 random_{20240607};
};

TEST(SuggestionsTest, RatioIsTwiceTheCommonSubsequenceOverTheTotalLength) {
  const struct {
    const char* a;
    const char* b;
    double ratio;
  } cases[] = {
      {"", "", 1.0},
      {"", "abc", 0.0},
      {"abc", "abc", 1.0},
      {"abc", "xyz", 0.0},
      {"kitten", "sitting", 8.0 / 13},
      {"Delete the record", "Delete this record?", 2.0 * 16 / 36},
      {"\xE4\xFC", "\xFC\xE4", 0.5},  // bytes above 127 are characters like any other
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(SimilarityRatio(c.a, c.b), c.ratio) << c.a << " / " << c.b;
    EXPECT_DOUBLE_EQ(SimilarityRatio(c.b, c.a), c.ratio) << c.b << " / " << c.a;
  }
  // Patterns of one to several words: the carry crosses words.
  TextMaker maker;
  for (int i = 0; i < 300; ++i) {
    std::string a = maker.Text(maker.Below(40)), b = i % 2 ? maker.Variant(a) : maker.Text(30);
    std::size_t total = a.size() + b.size();
    double plain = total == 0 ? 1.0 : 2.0 * static_cast<double>(PlainLcs(a, b)) / total;
    ASSERT_EQ(SimilarityRatio(a, b), plain) << a << " / " << b;
  }
}

TEST(SuggestionsTest, IndexFindsTheFirstOfTheBestAtOrAboveTheThreshold) {
  const std::vector<std::string> texts = {"Delete the record",
                                          "Delete the records",
                                          "Delete this record",
                                          "Print the report",
                                          "Print the reports",
                                          "abcde",
                                          "abcdx",
                                          "",
                                          "Cancel",
                                          "Cancel"};
  std::vector<SuggestionCandidate> candidates;
  for (std::size_t i = 0; i < texts.size(); ++i) candidates.push_back({texts[i], 100 + i});
  SuggestionIndex index(candidates);
  const struct {
    const char* query;
    std::optional<std::size_t> payload;
  } cases[] = {
      {"Delete the record", 100},  // exact, where "Delete the records" has 0.97
      {"Delete the recor", 100},
      {"Print the record", 103},   // 2*14/32, where "Delete the record" has 2*12/33
      {"Print all reports", 104},  // 0.824, where "Print the report" has 0.788
      {"Export the customers", {}},
      {"abcdy", 105},   // 0.8 exactly reaches the threshold; the first of a tie
      {"abxyz", {}},    // 0.6 at best
      {"acbde", 105},   // 0.8 sharing a single pair, "de", as few as the bound allows
      {"", 107},        // empty matches only empty
      {"Cancel", 108},  // the first of two equal texts
      {"cancel", 108},
  };
  for (const auto& c : cases) {
    std::optional<Suggestion> found = index.Find(c.query);
    ASSERT_EQ(found.has_value(), c.payload.has_value()) << c.query;
    if (found) {
      EXPECT_EQ(found->payload, *c.payload) << c.query;
    }
  }
  EXPECT_FALSE(SuggestionIndex({}).Find("Cancel"));
}

TEST(SuggestionsTest, IndexAgreesWithComparingEveryCandidate) {
  TextMaker maker;
  std::vector<std::string> texts;
  for (int i = 0; i < 300; ++i) {
    std::size_t words = maker.Below(4) == 0 ? 1 + maker.Below(40) : 1 + maker.Below(6);
    texts.push_back(i > 0 && maker.Below(3) == 0 ? maker.Variant(texts[maker.Below(texts.size())])
                                                 : maker.Text(words));
  }
  std::vector<SuggestionCandidate> candidates;
  for (std::size_t i = 0; i < texts.size(); ++i) candidates.push_back({texts[i], 7 * i});
  SuggestionIndex index(candidates);
  std::size_t found = 0;
  for (int i = 0; i < 2500; ++i) {
    std::string query = maker.Below(6) == 0 ? maker.Text(1 + maker.Below(8))
                                            : maker.Variant(texts[maker.Below(texts.size())]);
    std::optional<Suggestion> expected = SearchAll(candidates, query);
    std::optional<Suggestion> actual = index.Find(query);
    ASSERT_EQ(actual.has_value(), expected.has_value()) << query;
    if (!expected) continue;
    ++found;
    ASSERT_EQ(actual->payload, expected->payload) << query;
    ASSERT_EQ(actual->ratio, expected->ratio) << query;
  }
  EXPECT_GT(found, 1000u);  // most variants are near enough to be found
}

}  // namespace

TEST(SuggestionsTest, JoinsTheTranslationsOfThePiecesAWrappedTextWasCollectedIn) {
  const PieceTranslations pieces({{"Go", "Los"},
                                  {"Go to", "Gehe zu"},
                                  {"Go to the ", "Gehe zur "},
                                  {"first page", "ersten Seite"},
                                  {"Name", "Nom"},
                                  {"Name", "Second"},
                                  {"Tab\tA", "T<9>A"},
                                  {"Untranslated", ""}});
  const struct {
    const char* text;
    std::optional<std::string> expected;
  } cases[] = {
      {"Go to the first page", "Gehe zur ersten Seite"},
      {"<13,10>Go to the first page...", "<13,10>Gehe zur ersten Seite..."},
      {"Name: Name", "Nom: Nom"},
      {"Tab<9>AName", "T<9>ANom"},
      {"Go to the first pages", std::nullopt},  // a letter of no piece
      {"Name:", "Nom:"},
      {"Name", std::nullopt},  // one piece is no wrapped text
      {"<13,10>", std::nullopt},
      {"Name Untranslated", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(pieces.Join(c.text), c.expected) << c.text;
}

// Short texts are near only in case, accelerators, punctuation and blanks; those differences are
// offered at any length, however little alike the characters are.
TEST(SuggestionsTest, OffersWhatATranslatorCanTrust) {
  // Pairs of a candidate and a query: offered for it, or not.
  const char* offered[] = {"P&rint Setup...", "P&RINT SETUP...", "&Print", "Print", "Name:",
                           "name", "Customer list", "Customerlist", "Delete the records",
                           "Delete the record"};
  const char* notOffered[] = {"Cel",        "Ce",          "Verkoop", "Verko", "Planning",
                               "AAPlanning", "Save file B", "Save file C", "Page 1", "Page 2"};
  for (bool near : {true, false}) {
    for (std::size_t i = 0; i < 10; i += 2) {
      const char* const* cases = near ? offered : notOffered;
      const std::vector<SuggestionCandidate> candidates = {{"Unrelated text", 1}, {cases[i], 2}};
      std::optional<Suggestion> found = Suggester(candidates, 1).Find(cases[i + 1]);
      EXPECT_EQ(found ? found->payload : 0, near ? 2u : 0) << cases[i] << " / " << cases[i + 1];
    }
  }
}
