#include "translation/code_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>

namespace {

const char* const kAllCodePages[] = {"cp437",  "cp850",  "cp852",  "cp866",  "cp1250",
                                     "cp1251", "cp1252", "cp1253", "cp1254", "cp1255",
                                     "cp1256", "cp1257", "cp1258"};

CodePage Named(const char* name) {
  std::optional<CodePage> codePage = CodePage::Named(name);
  EXPECT_TRUE(codePage) << name;
  return *codePage;
}

TEST(CodePageTest, KnowsTheCodePagesByTheirNames) {
  const struct {
    const char* name;
    const char* canonical;  // nullptr: unknown
  } cases[] = {
      {"cp1252", "cp1252"},       {"CP1252", "cp1252"},     {"Windows-1252", "cp1252"},
      {"windows-1250", "cp1250"}, {"cp1258", "cp1258"},     {"Cp437", "cp437"},
      {"cp866", "cp866"},         {"windows-437", nullptr}, {"cp1259", nullptr},
      {"cp01252", nullptr},       {"utf-8", nullptr},       {"", nullptr},
  };
  for (const auto& c : cases) {
    std::optional<CodePage> codePage = CodePage::Named(c.name);
    if (c.canonical == nullptr) {
      EXPECT_FALSE(codePage) << c.name;
    } else {
      ASSERT_TRUE(codePage) << c.name;
      EXPECT_EQ(codePage->Name(), c.canonical);
    }
  }
  EXPECT_EQ(CodePage::KnownNames(),
            "cp437, cp850, cp852, cp866, cp1250, cp1251, cp1252, cp1253, cp1254, cp1255, "
            "cp1256, cp1257, cp1258");
}

TEST(CodePageTest, MapsKnownBytes) {
  const struct {
    const char* codePage;
    unsigned char byte;
    char32_t character;
  } cases[] = {
      {"cp1252", 0x80, U'\u20AC'}, {"cp1252", 0xE9, U'\u00E9'}, {"cp1252", 0x9F, U'\u0178'},
      {"cp1250", 0x8A, U'\u0160'}, {"cp1250", 0xE8, U'\u010D'}, {"cp1251", 0xC0, U'\u0410'},
      {"cp1251", 0xFF, U'\u044F'}, {"cp1253", 0xC1, U'\u0391'}, {"cp1254", 0xF0, U'\u011F'},
      {"cp1255", 0xE0, U'\u05D0'}, {"cp1255", 0xCA, U'\u05BA'}, {"cp1256", 0xC7, U'\u0627'},
      {"cp1257", 0xE0, U'\u0105'}, {"cp1258", 0xC3, U'\u0102'}, {"cp1258", 0xCC, U'\u0300'},
      {"cp437", 0x82, U'\u00E9'},  {"cp437", 0xB0, U'\u2591'},  {"cp437", 0x7F, U'\u007F'},
      {"cp850", 0x9B, U'\u00F8'},  {"cp850", 0xD5, U'\u0131'},  {"cp852", 0x9F, U'\u010D'},
      {"cp866", 0x80, U'\u0410'},  {"cp866", 0xA0, U'\u0430'},  {"cp866", 0xF0, U'\u0401'},
      {"cp1252", 'A', U'A'},       {"cp866", '\t', U'\t'},      {"cp1258", 'a', U'a'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Named(c.codePage).CharacterOf(c.byte), c.character)
        << c.codePage << " " << static_cast<int>(c.byte);
  }
}

TEST(CodePageTest, LeavesUndefinedBytesUndefined) {
  CodePage cp1252 = Named("cp1252");
  for (unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_FALSE(cp1252.CharacterOf(byte));
  EXPECT_FALSE(Named("cp1253").CharacterOf(0xAA));
  EXPECT_FALSE(Named("cp1255").CharacterOf(0xFF));
}

// A digest of each whole table, the same on every platform: Linux (iconv) and Windows (the
// system's tables) must agree on every byte.
TEST(CodePageTest, TablesAreTheSameOnEveryPlatform) {
  const struct {
    const char* codePage;
    std::uint32_t digest;
  } cases[] = {
      {"cp437", 0x34C2BC19u},  {"cp850", 0x77BDB625u},  {"cp852", 0x37AF0192u},
      {"cp866", 0xAE3E82E5u},  {"cp1250", 0x8B4929FAu}, {"cp1251", 0xDA1726C3u},
      {"cp1252", 0xD9BC619Eu}, {"cp1253", 0x2174B7BCu}, {"cp1254", 0x449933E0u},
      {"cp1255", 0xDE133F26u}, {"cp1256", 0x0EEF3B50u}, {"cp1257", 0xB4386158u},
      {"cp1258", 0xE3348668u},
  };
  for (const auto& c : cases) {
    CodePage codePage = Named(c.codePage);
    std::uint32_t digest = 2166136261u;  // FNV-1a over the characters, undefined as ~0
    for (unsigned byte = 0; byte < 256; ++byte) {
      char32_t character = codePage.CharacterOf(static_cast<unsigned char>(byte)).value_or(~0u);
      for (int shift = 0; shift < 32; shift += 8) {
        digest = (digest ^ ((character >> shift) & 0xFF)) * 16777619u;
      }
    }
    EXPECT_EQ(digest, c.digest) << c.codePage;
  }
}

// Each defined byte stands for its own character, so converting back gives the same bytes.
TEST(CodePageTest, ConvertsEveryDefinedByteBothWays) {
  for (const char* name : kAllCodePages) {
    CodePage codePage = Named(name);
    std::string bytes;
    std::set<char32_t> characters;
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::optional<char32_t> character = codePage.CharacterOf(static_cast<unsigned char>(byte));
      if (!character) continue;
      if (byte < 0x80) {
        EXPECT_EQ(*character, byte) << name;
      }
      EXPECT_TRUE(characters.insert(*character).second) << name << " " << byte;
      bytes += static_cast<char>(byte);
    }
    std::string back;
    std::size_t bad = 0;
    ASSERT_TRUE(codePage.FromUtf8(codePage.ToUtf8(bytes), back, bad)) << name;
    EXPECT_EQ(back, bytes) << name;
  }
}

TEST(CodePageTest, ConvertsTextAndFindsWhatDoesNotConvert) {
  CodePage cp1252 = Named("cp1252");
  std::string bytes;
  std::size_t bad = 99;
  EXPECT_EQ(cp1252.ToUtf8("Gr\xFC\xDF"
                          "e \x80"),
            "Grüße €");
  EXPECT_TRUE(cp1252.FromUtf8("Grüße €", bytes, bad));
  EXPECT_EQ(bytes,
            "Gr\xFC\xDF"
            "e \x80");

  EXPECT_FALSE(cp1252.FromUtf8("a\uF7E9", bytes, bad));  // 0xE9 is defined: U+F7E9 is no byte
  EXPECT_EQ(bad, 1u);
  EXPECT_FALSE(cp1252.FromUtf8("Ça ć", bytes, bad));  // ć is not in cp1252
  EXPECT_EQ(bad, 4u);
  EXPECT_FALSE(cp1252.FromUtf8("ab\xC3(", bytes, bad));
  EXPECT_EQ(bad, 2u);
  ASSERT_TRUE(Named("cp866").FromUtf8("Привет", bytes, bad));
  EXPECT_EQ(bytes, "\x8F\xE0\xA8\xA2\xA5\xE2");
}

// Latin letters beside Cyrillic or Greek ones inside a word: a text read in the wrong code page.
TEST(CodePageTest, TellsATextThatMixesScriptsInsideAWord) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Posici\xF3n IVA:", "cp1251", true},
      {"Posici\xF3n IVA:", "cp1252", false},
      {"\xCF\xF0\xE8\xE2\xE5\xF2 USB", "cp1251", false},  // Cyrillic, then Latin
      {"\xEC\xE5\xED\xFEs", "cp1251", true},
      {"Caf\xE9", "cp437", true},  // a Greek letter
  };
  for (const auto& [bytes, name, mixes] : cases) {
    EXPECT_EQ(Named(name).MixesScriptsInAWord(bytes), mixes) << bytes;
  }
}

}  // namespace
