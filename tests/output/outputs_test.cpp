#include "output/outputs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "common/failure.h"
#include "common/settings.h"
#include "support/test_support.h"

namespace {

class OutputsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunState(); }
  void TearDown() override {
    BasFile.Close();
    CrtFile.Close();
    LstFile.Close();
    ResetRunState();
  }

  // Opens the outputs under `base` inside the temporary directory.
  void Open(const std::string& base) {
    ASSERT_TRUE(SetOutputBaseName((dir_ / base).c_str()));
    OpenOutputs();
  }
  void WriteAll(std::initializer_list<const char*> texts) {
    for (const char* text : texts) AddText(text);
    Open("texts");
    WriteOutputs();
    CloseOutputs();
  }
  std::string Output(const char* extension) {
    return ReadBytes(dir_ / (std::string("TEXTS.") + extension));
  }

  // The failure text that `action` raises, or "" when it raises none.
  template <typename Action>
  static std::string FailureOf(Action action) {
    try {
      action();
    } catch (const Failure& failure) {
      return failure.what();
    }
    return "";
  }

  ScopedTempDir dir_;
};

TEST_F(OutputsTest, WritesTheThreeFormats) {
  WriteAll({"&OK", "Cancel"});
  EXPECT_EQ(Output("CRT"),
            "LANGUAGE GROUP\r\n"
            "Items      USHORT(2)\r\n"
            "           PSTRING('&OK')\r\n"
            "           PSTRING('')\r\n"
            "           PSTRING('Cancel')\r\n"
            "           PSTRING('')\r\n"
            "   END\r\n");
  EXPECT_EQ(Output("BAS"), "\"&OK\", \"\"\r\n\"Cancel\", \"\"\r\n");
  EXPECT_EQ(Output("LST"), "&OK\r\nCancel\r\n");
}

TEST_F(OutputsTest, EmptyCatalogueGivesThreeCrtLines) {
  WriteAll({});
  EXPECT_EQ(Output("CRT"), "LANGUAGE GROUP\r\nItems      USHORT(0)\r\n   END\r\n");
  EXPECT_EQ(Output("BAS"), "");
  EXPECT_EQ(Output("LST"), "");
}

TEST_F(OutputsTest, ConvertsTheFirstTabAndNothingElse) {
  const struct {
    const char* text;
    const char* lst;
    const char* crt;
  } cases[] = {
      {"Name<9>Value<9>End", "Name~Value<9>End", "Name\tValue<9>End"},
      {"<9>Ab", "~Ab", "\tAb"},
      {"Name<13>Address", "Name<13>Address", "Name<13>Address"},
      {"Say \"hi\"", "Say \"hi\"", "Say \"hi\""},
      {"Done: 100%", "Done: 100%", "Done: 100%"},
      {"It''s %s %d", "It''s %s %d", "It''s %s %d"},
      {"Tab <9", "Tab <9", "Tab <9"},
  };
  for (const auto& c : cases) {
    ResetRunState();
    WriteAll({c.text});
    EXPECT_EQ(Output("LST"), std::string(c.lst) + "\r\n") << c.text;
    EXPECT_EQ(Output("BAS"), std::string("\"") + c.lst + "\", \"\"\r\n") << c.text;
    std::string crt = Output("CRT");
    EXPECT_NE(
        crt.find("           PSTRING('" + std::string(c.crt) + "')\r\n           PSTRING('')\r\n"),
        std::string::npos)
        << c.text;
  }
}

TEST_F(OutputsTest, WritesTheLongestTextWhole) {
  std::string longest = "Ab" + std::string(kMaxLineLength - 2, '%');
  AddText(longest);
  Open("texts");
  WriteOutputs();
  CloseOutputs();
  EXPECT_EQ(Output("LST"), longest + "\r\n");
  EXPECT_NE(Output("CRT").find("PSTRING('" + longest + "')\r\n"), std::string::npos);
}

// Translations come from files a person edits: any length is written whole, even one longer
// than the write block.
TEST_F(OutputsTest, WritesPairsWithTranslationsOfAnyLength) {
  std::string translation(TextFile::kBufferSize + 1000, 'x');
  Open("texts");
  WriteCrtHeader(CrtFile, 2);
  WriteCrtPair(CrtFile, "Ab\tc", translation);
  WriteCrtPair(CrtFile, "It''s", "C''est");
  WriteCrtEnd(CrtFile);
  WriteBasPair(BasFile, "Ab~c", translation);
  CloseOutputs();
  EXPECT_EQ(Output("CRT"),
            "LANGUAGE GROUP\r\nItems      USHORT(2)\r\n"
            "           PSTRING('Ab\tc')\r\n           PSTRING('" +
                translation +
                "')\r\n"
                "           PSTRING('It''s')\r\n           PSTRING('C''est')\r\n"
                "   END\r\n");
  EXPECT_EQ(Output("BAS"), "\"Ab~c\", \"" + translation + "\"\r\n");
}

TEST_F(OutputsTest, CountsBeyondTheRangeOfAUshort) {
  for (int i = 0; i < 70000; ++i) AddText("Text " + std::to_string(i));
  Open("texts");
  WriteOutputs();
  CloseOutputs();
  EXPECT_TRUE(Output("CRT").starts_with("LANGUAGE GROUP\r\nItems      USHORT(70000)\r\n"));
}

std::string UpperCased(std::string text) {
  UpperCaseAscii(text.data());
  return text;
}

// The directory part is used as given, where an upper-cased one may not exist; the files get
// upper-cased names.
TEST_F(OutputsTest, NamesFilesFromTheUpperCasedBaseName) {
  std::filesystem::create_directory(dir_.path() / "out");
  Open("out/texts");
  CloseOutputs();
  EXPECT_EQ(Settings.outputBaseName, UpperCased(dir_ / "out/texts"));
  for (const char* name : {"TEXTS.BAS", "TEXTS.CRT", "TEXTS.LST"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_.path() / "out" / name)) << name;
  }
}

TEST_F(OutputsTest, FailsToOpenInAMissingDirectory) {
  std::string base = dir_ / "missing/texts";
  ASSERT_TRUE(SetOutputBaseName(base.c_str()));
  EXPECT_EQ(FailureOf(OpenOutputs), "Can not write to '" + UpperCased(base) + ".BAS'");
}

TEST_F(OutputsTest, EmptiesTheOtherOutputsWhenOneCannotBeOpened) {
  std::filesystem::create_directory(dir_.path() / "TEXTS.BAS");
  WriteBytes(dir_ / "TEXTS.CRT", "old");
  WriteBytes(dir_ / "TEXTS.LST", "old");
  ASSERT_TRUE(SetOutputBaseName((dir_ / "texts").c_str()));
  EXPECT_NE(FailureOf(OpenOutputs).find("TEXTS.BAS'"), std::string::npos);
  EXPECT_EQ(Output("CRT"), "");
  EXPECT_EQ(Output("LST"), "");
}

TEST(FormatScratchTest, KeepsEachResultThroughTheNext99Calls) {
  const char* first = FormatScratch("%s-%d", "first", 1);
  std::string kept = first;
  for (int i = 0; i < 99; ++i) FormatScratch("%d", i);
  EXPECT_EQ(first, kept);
  FormatScratch("overwrites");
  EXPECT_STREQ(first, "overwrites");
}

TEST(FormatScratchTest, CutsResultsThatDoNotFit) {
  std::string huge(5000, 'x');
  const char* result = FormatScratch("%s%s", huge.c_str(), huge.c_str());
  EXPECT_EQ(std::strlen(result), 2047u);
}

}  // namespace
