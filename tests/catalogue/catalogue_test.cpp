#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
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
  for (const char* text :
       {"Cancel", "&OK", "CANCEL", "Cancel", "A1", "Ab", " Ab", "Ab ", "42", "&OK"}) {
    AddText(text);
  }
  EXPECT_EQ(CatalogueTexts(), (Texts{"Cancel", "&OK", "CANCEL", "Ab", " Ab", "Ab "}));
  EXPECT_EQ(List.Count(), 6u);
}

TEST_F(CatalogueTest, CountsAnEmptyCatalogueAsZero) {
  EXPECT_EQ(List.Count(), 0u);
  EXPECT_EQ(List.First(), nullptr);
}

TEST_F(CatalogueTest, HashesBytesAsSignedValues) {
  EXPECT_EQ(HashText("abc"), 26499u);
  EXPECT_EQ(BucketOf("abc"), 6485u);
  EXPECT_EQ(HashText("\x4E\xE9"), 1225u);
  EXPECT_EQ(BucketOf("\x4E\xE9"), 1225u);
  EXPECT_EQ(HashText(""), 0u);
  // Long keys fold their high bits back in.
  EXPECT_LT(HashText("Please wait while the file is copied."), 0x10000000u);
}

// The ELF hash written step by step, bytes taken as signed.
std::uint32_t ReferenceHash(std::string_view text) {
  std::uint32_t h = 0;
  for (char c : text) {
    h = (h << 4) +
        static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h = (h & 0x0FFFFFFFu) ^ (g >> 24);
  }
  return h;
}

TEST_F(CatalogueTest, HashAgreesWithTheStepByStepDefinition) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 64, '\0');
    for (char& c : text) c = static_cast<char>(random());
    ASSERT_EQ(HashText(text), ReferenceHash(text)) << round;
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

TEST_F(CatalogueTest, ClearsLongListsWithoutRecursion) {
  for (int i = 0; i < 200000; ++i) AddText("Text " + std::to_string(i));
  EXPECT_EQ(List.Count(), 200000u);
  ResetRunState();
  EXPECT_EQ(List.Count(), 0u);
  EXPECT_EQ(Index.Find("Text 7"), nullptr);
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
