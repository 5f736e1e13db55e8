#include "translation/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Test, RefusesWhatIsNotUtf8) {
  for (const char* invalid :
       {"\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80", "\xE2\x82", "\xE2(\xAC", "\xFF"}) {
    std::size_t at = 0;
    EXPECT_FALSE(DecodeUtf8(invalid, at)) << invalid;
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(FindInvalidUtf8(std::string("ok") + invalid), 2u);
  }
}

TEST(Utf8Test, EncodesAndDecodesEveryCharacter) {
  for (char32_t character = 0; character <= 0x10FFFF; character += character < 0x1000 ? 1 : 97) {
    if (character >= 0xD800 && character <= 0xDFFF) continue;
    std::string text;
    AppendUtf8(text, character);
    std::size_t at = 0;
    ASSERT_EQ(DecodeUtf8(text, at), character);
    ASSERT_EQ(at, text.size());
  }
  EXPECT_EQ(CodePointName(U'\u00E9'), "U+00E9");
  EXPECT_EQ(CodePointName(U'\U0001F600'), "U+1F600");
}

}  // namespace
