#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using Texts = std::vector<std::string>;

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunState(); }
  void TearDown() override { ResetRunState(); }
};

TEST_F(CatalogueTest, KeepsFirstAppearanceOfEachWordlikeText) {
  EXPECT_EQ(List.Count(), 0u);
  for (const char* text :
       {"Cancel", "&OK", "CANCEL", "Cancel", "A1", "Ab", " Ab", "Ab ", "42", "&OK"}) {
    AddText(text);
  }
  EXPECT_EQ(CatalogueTexts(), (Texts{"Cancel", "&OK", "CANCEL", "Ab", " Ab", "Ab "}));
  EXPECT_EQ(List.Count(), 6u);
}

// Values worked out by hand from the hash's definition: the ELF hash, every byte taken as a
// signed value, so that 0x80 and above enter the sum as negative numbers.
TEST_F(CatalogueTest, HashesBytesAsSignedValues) {
  const struct {
    std::string key;
    std::uint32_t hash;
    std::size_t bucket;
  } cases[] = {
      {"", 0, 0},
      {"abc", 26499, 6485},
      {"\x4E\xE9", 1225, 1225},  // 1481 if bytes were unsigned
      {"\x80", 268435312, 7544},
      {std::string(8, '\xFF'), 17899263, 6747},
      // Long keys fold their top four bits back in.
      {"Please wait while the file is copied.", 233126638, 3566},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HashText(c.key), c.hash) << c.key;
    EXPECT_EQ(BucketOf(c.key), c.bucket) << c.key;
  }
}

TEST_F(CatalogueTest, FindsEveryTextOfASharedBucket) {
  std::vector<std::string> sameBucket;
  const std::size_t target = BucketOf("Word0");
  for (int i = 0; sameBucket.size() < 4; ++i) {
    std::string text = "Word" + std::to_string(i);
    if (BucketOf(text) == target) sameBucket.push_back(text);
  }
  for (const std::string& text : sameBucket) AddText(text);
  for (const std::string& text : sameBucket) {
    KeyedEntry* entry = Index.Find(text);
    ASSERT_NE(entry, nullptr) << text;
    EXPECT_EQ(entry->key.view(), text);
  }
  EXPECT_EQ(Index.Find("Word"), nullptr);
  EXPECT_EQ(CatalogueTexts(), sameBucket);
}

TEST_F(CatalogueTest, HoldsTextsWithAnyBytes) {
  AddText(std::string("Ab\xE9\x80\xFF", 5));
  AddText("Done: 100%");
  EXPECT_EQ(CatalogueTexts(), (Texts{"Ab\xE9\x80\xFF", "Done: 100%"}));
}

// Clearing leaves both containers empty and ready for a catalogue made afresh: a text seen
// before is new again, and the list starts from its first node.
TEST_F(CatalogueTest, ClearingStartsAFreshCatalogue) {
  Texts texts;
  for (int i = 0; i < 20000; ++i) texts.push_back("Text " + std::to_string(i));
  for (const std::string& text : texts) AddText(text);
  List.Clear();
  Index.Clear();
  EXPECT_EQ(List.Count(), 0u);
  EXPECT_EQ(List.First(), nullptr);
  EXPECT_EQ(Index.Find("Text 7"), nullptr);
  AddText("Text 7");
  AddText("Text 1");
  AddText("Text 7");
  EXPECT_EQ(CatalogueTexts(), (Texts{"Text 7", "Text 1"}));
}

TEST_F(CatalogueTest, HoldsTextsLongerThanAStorageBlock) {
  std::string huge(300000, 'h');
  AddText("Before it");
  AddText(huge);
  AddText("After it");
  EXPECT_EQ(CatalogueTexts(), (Texts{"Before it", huge, "After it"}));
  EXPECT_NE(Index.Find(huge), nullptr);
  EXPECT_NE(Index.Find("After it"), nullptr);
}

}  // namespace
