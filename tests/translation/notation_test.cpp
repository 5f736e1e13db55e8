#include "translation/notation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

namespace {

TEST(NotationTest, DecodesWellFormedContent) {
  const struct {
    std::string content, characters;
  } cases[] = {
      {"It''s", "It's"},
      {"<13,10>", "\r\n"},
      {"<0Dh>", "\r"},
      {"<0dH,0Ah,9>", "\r\n\t"},
      {"<255><0FFh>", "\xFF\xFF"},
      {"<0013>", "\r"},
      {"-{5}", "-----"},
      {"ab{3}c", "abbbc"},
      {"x{1}", "x"},
      {"<9>{3}", "\t\t\t"},
      {"''{3}", "'''"},
      {"<<{2}", "<<"},
      {"{{", "{"},
      {"<<13>", "<13>"},
      {"a>b}c", "a>b}c"},
      {"\xE9t\xE9", "\xE9t\xE9"},
      {"a{999}", std::string(999, 'a')},
      {"a<0>b", "a\0b"s},
      {"<13,0h,10>", "\r\0\n"s},
      {"<<0>", "<0>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeNotation(c.content), c.characters) << c.content;
    EXPECT_EQ(FindNotationProblem(c.content), std::nullopt) << c.content;
  }
}

TEST(NotationTest, KeepsMalformedContentAsWrittenAndSaysWhatAndWhere) {
  const struct {
    std::string content, characters;
    std::size_t offset;
    std::string message;
  } cases[] = {
      {"It's", "It's", 2, "lone quote; write '' for a quote"},
      {"'", "'", 0, "lone quote; write '' for a quote"},
      {"a<b", "a<b", 1, "'<' opens no valid code; write '<<' for a '<'"},
      {"<>", "<>", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<13", "<13", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<13,>", "<13,>", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<13 >", "<13 >", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<FFh>", "<FFh>", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<1A>", "<1A>", 0, "'<' opens no valid code; write '<<' for a '<'"},
      {"<10,256>", "<10,256>", 0, "code '256' is out of range (0 to 255)"},
      {"<99999999999999999999>", "<99999999999999999999>", 0,
       "code '99999999999999999999' is out of range (0 to 255)"},
      {"a{}", "a{}", 1, "'{' opens no valid repeat count; write '{{' for a '{'"},
      {"a{x}", "a{x}", 1, "'{' opens no valid repeat count; write '{{' for a '{'"},
      {"a{5", "a{5", 1, "'{' opens no valid repeat count; write '{{' for a '{'"},
      {"{5}x", "{5}x", 0, "repeat count with no character before it"},
      {"{5}{3}", "{5}{3}", 0, "repeat count with no character before it"},
      {"a{5}{2}", "aaaaa{2}", 4, "repeat count right after another repeat count"},
      {"a{0}", "a{0}", 1, "repeat count 0; a character stands at least once"},
      {"a{1000}", "a{1000}", 1, "repeat count 1000 is too large (at most 999)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeNotation(c.content), c.characters) << c.content;
    std::optional<NotationProblem> problem = FindNotationProblem(c.content);
    ASSERT_TRUE(problem) << c.content;
    EXPECT_EQ(problem->offset, c.offset) << c.content;
    EXPECT_EQ(problem->message, c.message) << c.content;
  }
}

TEST(NotationTest, Encodes) {
  const struct {
    std::string characters, content;
  } cases[] = {
      {"It's", "It''s"},
      {"\r\n", "<13,10>"},
      {"a\tb\x7F", "a<9>b<127>"},
      {"<{", "<<{{"},
      {">}", ">}"},
      {"\r{5}", "<13>{{5}"},
      {"\xE9\xFF", "\xE9\xFF"},
      {"a\0b"s, "a<0>b"},
      {"\r\0\n"s, "<13,0,10>"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeNotation(c.characters), c.content) << c.content;
}

// Strings weighted towards the characters the notation treats specially.
std::string RandomCharacters(std::mt19937& random) {
  static const std::string special = "'<<>{},0123456789hH\t\r\n\x7F\x1A\\\0"s;
  std::string characters(random() % 24, ' ');
  for (char& c : characters) {
    c = random() % 2 == 0 ? special[random() % special.size()] : static_cast<char>(random());
  }
  return characters;
}

TEST(NotationTest, DecodingUndoesEncodingForEveryString) {
  std::mt19937 random(20240501);
  for (int i = 0; i < 100000; ++i) {
    std::string characters = RandomCharacters(random);
    std::string content = EncodeNotation(characters);
    ASSERT_EQ(DecodeNotation(content), characters) << content;
    ASSERT_EQ(FindNotationProblem(content), std::nullopt) << content;
    std::string shown = ToDisplayForm(characters);
    ASSERT_EQ(FromDisplayForm(shown), characters) << shown;
    for (char c : shown) ASSERT_FALSE(IsShownAsCode(c)) << shown;
  }
}

// CRT content, the display form of its characters, and what that reads back as (if not them).
TEST(NotationTest, ShowsCharactersForTranslatorsAndReadsThemBack) {
  const struct {
    std::string content, shown, readAs = "=";
  } cases[] = {
      {"It''s <13,10>done<9> <7>a<8,12><27>[m<127> <0>",
       "It's <13>\ndone\t <7>a<8,12,27>[m<127> <0>"},
      {"<<0> <<65> <<0Dh,10> a <<<< b <<new> << <<<<65>",
       "<<0> <<65> <<0Dh,10> a << b <new> < <<<65>"},
      {"<<<7> C:\\Temp <<12<7> <1,81H>\x81-{3}", "<60,7> C:<92>Temp <12<7> <1>\x81\x81---"},
      {"", "<0Dh,0AH> <<13> <<<<13>", "\r\n <13> <<<13>"},  // as a translator may type it
  };
  for (const auto& c : cases) {
    std::string characters = DecodeNotation(c.content);
    if (!c.content.empty()) {
      EXPECT_EQ(ToDisplayForm(characters), c.shown) << c.content;
    }
    EXPECT_EQ(FromDisplayForm(c.shown), c.readAs == "=" ? characters : c.readAs) << c.shown;
  }
}

// Read as content, the same random strings are mostly malformed; whatever they are, what they
// stand for stays within the bound the repeat limit sets.
TEST(NotationTest, DecodesAnyContentWithinBounds) {
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) {
    std::string content = RandomCharacters(random);
    ASSERT_LE(DecodeNotation(content).size(), content.size() * kMaxRepeatCount) << content;
  }
}

}  // namespace
