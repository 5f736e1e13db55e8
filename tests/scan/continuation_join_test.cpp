#include "scan/continuation_join.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "fuzz/reader_model.h"

namespace {

// Joins `chain` (the first line and its continuation lines, each cut at its marker) into a line
// of `capacity` characters.
std::string Joined(const std::vector<std::string>& chain, std::size_t capacity) {
  std::string line = chain.front();
  line.resize(capacity);
  ContinuationJoin join(line.data(), chain.front().size(), capacity);
  for (std::size_t i = 1; i < chain.size(); ++i) join.Add(chain[i].data(), chain[i].size());
  line.resize(join.Length());
  return line;
}

// The example worked through in the class's comment.
TEST(ContinuationJoinTest, TheWorkedExample) {
  EXPECT_EQ(Joined({"M('A", "xx", "'B", "'C')"}, 999), "M('A)");
  EXPECT_EQ(fuzz::JoinCutLines({"M('A", "xx", "'B", "'C')"}, 1000), "M('A)");
}

// Chains of short lines with quotes here and there, joined into small lines, where every level
// fills up soon: the join agrees with the recursive definition.
TEST(ContinuationJoinTest, AgreesWithTheRecursiveDefinition) {
  std::mt19937 random(11);
  const std::string pieces[] = {"'", "''", "ab", "x", "    "};
  for (int round = 0; round < 20000; ++round) {
    std::size_t capacity = 1 + random() % 12;
    std::vector<std::string> chain(1 + random() % 8);
    for (std::string& line : chain) {
      for (std::size_t count = random() % 4; count > 0; --count) {
        line += pieces[random() % std::size(pieces)];
      }
    }
    for (std::string& line : chain) line.resize(std::min(line.size(), capacity));
    std::string expected = fuzz::JoinCutLines(chain, capacity + 1);
    ASSERT_EQ(Joined(chain, capacity), expected)
        << "capacity " << capacity << ", chain " << testing::PrintToString(chain);
  }
}

}  // namespace
