#include "common/ascii.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiTest, WordlikeNeedsTwoAdjacentAsciiLetters) {
  const struct {
    std::string text;
    bool wordlike;
  } cases[] = {
      {"", false},
      {"a", false},
      {"A1", false},
      {"a b", false},
      {"Ab", true},
      {"1zZ", true},
      {"@n10.2", false},
      {"@s20", false},
      {"\xC4\xD6", false},
      {"a\xE9"
       "b",
       false},
      {"x\0y", false},
      {"~Resource.ico", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWordlike(c.text), c.wordlike) << c.text;
}

TEST(AsciiTest, UpperCasesAsciiLettersOnly) {
  char text[] = "abz AZ {`}@[ 09 \xE9\xFF";
  UpperCaseAscii(text);
  EXPECT_STREQ(text, "ABZ AZ {`}@[ 09 \xE9\xFF");
}

}  // namespace
