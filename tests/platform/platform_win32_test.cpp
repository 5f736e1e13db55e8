#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "scan/text_file.h"
#include "support/test_support.h"

namespace {

// Each entry's name and the name it is opened under.
using Entries = std::vector<std::pair<std::string, std::string>>;

// The search works on the current directory: each test moves into a fresh one and back.
class Win32SearchTest : public ::testing::Test {
 protected:
  Win32SearchTest() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
  }
  ~Win32SearchTest() override { std::filesystem::current_path(previous_); }

  // Every entry the search yields for `mask`, in the order given.
  static Entries Search(const char* mask) {
    Entries entries;
    DirectorySearch search;
    if (!search.First(mask)) return entries;
    do {
      entries.emplace_back(search.Name(), search.OpenName());
    } while (search.Next());
    EXPECT_FALSE(search.Next()) << "a finished search stays finished";
    search.Close();
    return entries;
  }

  ScopedTempDir dir_;
  std::filesystem::path previous_;
};

Entries Sorted(Entries entries) {
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST_F(Win32SearchTest, FindsMatchesOfEveryKindWithoutRegardToCase) {
  WriteBytes(dir_ / "Alpha.CLW", "");
  WriteBytes(dir_ / "beta.clw", "");
  WriteBytes(dir_ / "gamma.txt", "");
  std::filesystem::create_directory(dir_.path() / "delta.Clw");

  // The order is the file system's; the entries and their names are what count.
  EXPECT_EQ(
      Sorted(Search("*.clw")),
      (Entries{{"Alpha.CLW", "ALPHA.CLW"}, {"beta.clw", "BETA.CLW"}, {"delta.Clw", "DELTA.CLW"}}));
  EXPECT_EQ(Search("GAMMA.TXT"), (Entries{{"gamma.txt", "GAMMA.TXT"}}));
}

TEST_F(Win32SearchTest, AllMaskIncludesCurrentAndParentEntries) {
  WriteBytes(dir_ / "only.clw", "");
  EXPECT_EQ(Sorted(Search("*")), (Entries{{".", "."}, {"..", ".."}, {"only.clw", "ONLY.CLW"}}));
}

TEST_F(Win32SearchTest, NothingMatching) {
  WriteBytes(dir_ / "source.clw", "");
  EXPECT_TRUE(Search("*.inc").empty());
  DirectorySearch search;
  EXPECT_FALSE(search.First("*.inc"));
  EXPECT_FALSE(search.Next());
}

TEST_F(Win32SearchTest, UpperCasedNameOpensTheEntryFound) {
  WriteBytes(dir_ / "Mixed.clw", "  MESSAGE('Found it')\r\n");
  DirectorySearch search;
  ASSERT_TRUE(search.First("*.clw"));
  EXPECT_STREQ(search.OpenName(), "MIXED.CLW");
  TextFile file;
  file.Open(search.OpenName(), "rt");
  char line[1000];
  ASSERT_TRUE(file.ReadLine(line, sizeof line));
  EXPECT_STREQ(line, "  MESSAGE('Found it')");
}

TEST(Win32PathTest, DirectoryPartEndsAtLastSeparatorOfAnyKind) {
  const struct {
    const char* path;
    std::size_t length;
  } cases[] = {
      {"", 0},           {"texts", 0},
      {"out\\texts", 4}, {"out/texts", 4},
      {"c:texts", 2},    {"c:\\out/sub\\t", 11},
      {"out\\", 4},      {"a/b\\c:d", 6},
      {"..\\texts", 3},  {"\\\\host\\share\\t", 13},
  };
  for (const auto& c : cases) EXPECT_EQ(DirectoryPartLength(c.path), c.length) << c.path;
}

}  // namespace
