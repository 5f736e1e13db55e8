#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(WildcardTest, MatchesNamesAsTheFileSearchDoes) {
  const struct {
    const char* mask;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.clw", "main.clw", true},
      {"*.clw", "MAIN.CLW", true},
      {"*.CLW", "main.clw", true},
      {"*.clw", "main.clwx", false},
      {"*.clw", "main.inc", false},
      {"*", "anything", true},
      {"*", ".", true},
      {"*.*", "README", true},
      {"*.*", "a.b.c", true},
      {"*.*", "..", true},
      {"main.*", "main", true},
      {"main.*", "mainly", false},
      // A mask ending in a dot names the names without an extension.
      {"*.", "README", true},
      {"*.", "main.clw", false},
      {"*.", "a.b.c", false},
      {"READ?E.", "readme", true},
      {"README.", "README.TXT", false},
      {"A*.", "ABC", true},
      {"A*.", "A.B", false},
      {"*.", "name.", true},
      {"?ain.clw", "main.clw", true},
      {"?ain.clw", "ain.clw", false},
      {"m??n.clw", "main.clw", true},
      {"main.clw", "MAIN.clw", true},
      {"main.clw", "main.cl", false},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXbYcZ", false},
      {"**x", "abx", true},
      {"sub/*.clw", "main.clw", false},
      {"*\xE9", "caf\xC9", false},
      {"*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(c.mask, c.name), c.matches) << c.mask << " vs " << c.name;
  }
}

}  // namespace
