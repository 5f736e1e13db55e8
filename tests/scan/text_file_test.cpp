#include "scan/text_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/settings.h"
#include "fuzz/reader_model.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> ReadAllLines(const std::string& file) {
  TextFile text;
  text.Open(file.c_str(), "rt");
  std::vector<std::string> lines;
  char buffer[kLineSize];
  while (text.ReadLine(buffer, sizeof buffer)) lines.emplace_back(buffer);
  return lines;
}

std::vector<std::string> LinesOf(const std::string& bytes) {
  ScopedTempDir dir;
  WriteBytes(dir / "source.clw", bytes);
  return ReadAllLines(dir / "source.clw");
}

using Lines = std::vector<std::string>;

struct ReadCase {
  const char* name;
  std::string bytes;
  Lines expected;
};

TEST(TextFileTest, ReadsLinesWithTextModeTranslation) {
  const std::string x999(999, 'x');
  const std::string blankLines(TextFile::kBufferSize, '\n');
  Lines afterBlankLines(TextFile::kBufferSize + 2, "");
  afterBlankLines.front() = "a";
  afterBlankLines.back() = "b";
  const ReadCase cases[] = {
      {"empty file", "", {}},
      {"LF ends", "one\ntwo\n", {"one", "two"}},
      {"CR LF ends", "one\r\ntwo\r\n", {"one", "two"}},
      {"lone CR stays", "a\rb\n", {"a\rb"}},
      {"CR at end of file stays", "ab\r", {"ab\r"}},
      {"CR CR LF keeps one CR", "ab\r\r\n", {"ab\r"}},
      {"empty lines", "\n\r\n\n", {"", "", ""}},
      {"last line without LF", "one\ntwo", {"one", "two"}},
      {"0x1A ends the file", "one\ntw\x1Ao\nthree\n", {"one", "tw"}},
      {"0x1A at the start",
       "\x1A"
       "one\n",
       {}},
      {"0x1A after LF", "one\n\x1A", {"one"}},
      {"NUL ends the line's text", std::string("ab\0cd\nef\n", 9), {"ab", "ef"}},
      {"999 characters fill a piece", x999 + "\n", {x999, ""}},
      {"longer lines arrive in pieces", x999 + "yz\n", {x999, "yz"}},
      {"CR LF counts as one character", std::string(998, 'x') + "\r\n", {std::string(998, 'x')}},
      {"CR LF after a full piece", x999 + "\r\nq\n", {x999, "", "q"}},
      {"only NUL bytes", std::string(65536, '\0'), Lines(66, "")},  // 65 full pieces and one
      {"bytes 0x80-0xFF stay", "\x80\xE9\xFF\n", {"\x80\xE9\xFF"}},
      {"0x1A after the first read block", "a\n" + blankLines + "b\x1A" + "c\n", afterBlankLines},
  };
  for (const ReadCase& c : cases) EXPECT_EQ(LinesOf(c.bytes), c.expected) << c.name;
}

TEST(TextFileTest, JoinsContinuedLiterals) {
  const ReadCase cases[] = {
      {"two lines",
       "    MESSAGE('Please wait while the ' &|\n            'file is copied.')\n",
       {"    MESSAGE('Please wait while the file is copied.')"}},
      {"CR LF ends", "    x = 'first ' &|\r\n      'second'\r\n", {"    x = 'first second'"}},
      {"chain of three",
       "    x = 'one ' &|\n  'two ' &|\n  'three'\nnext\n",
       {"    x = 'one two three'", "next"}},
      {"expression on the next line is dropped",
       "    MESSAGE('Value: ' &|\n            CLIP(Name) & ' units')\n",
       {"    MESSAGE('Value:  units')"}},
      {"next line without a quote",
       "    x = 'Hello ' &|\n   more\nafter\n",
       {"    x = 'Hello ", "after"}},
      {"marker at end of file", "    x = 'abc' &|", {"    x = 'abc"}},
      {"marker on the last line", "    x = 'abc' &|\n", {"    x = 'abc"}},
      {"ten characters are never joined", "   'ab' &|\n'cd'\n", {"   'ab' &|", "'cd'"}},
      {"eleven characters are", "    'ab' &|\n'cd'\n", {"    'abcd'"}},
      {"blank after the marker", "    x = 'abc' &| \n 'd'\n", {"    x = 'abc' &| ", " 'd'"}},
      {"no blank before the ampersand", "    x = 'abc'&|\n 'd'\n", {"    x = 'abc'&|", " 'd'"}},
      {"blank between ampersand and bar",
       "    x = 'abc' & |\n 'd'\n",
       {"    x = 'abc' & |", " 'd'"}},
      {"stray CR after the marker", "    x = 'abc' &|\r\r\n 'd'\n", {"    x = 'abc' &|\r", " 'd'"}},
      {"NUL hides the marker",
       std::string("    x = 'ab\0' &|\n 'd'\n", 22),
       {"    x = 'ab", " 'd'"}},
  };
  for (const ReadCase& c : cases) EXPECT_EQ(LinesOf(c.bytes), c.expected) << c.name;
}

TEST(TextFileTest, JoinedLineIsCutToTheBuffer) {
  std::string first = "    x = '" + std::string(980, 'a') + "' &|\n";
  std::string second = "    '" + std::string(500, 'b') + "'\n";
  Lines lines = LinesOf(first + second + "after\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "    x = '" + std::string(980, 'a') + std::string(999 - 989, 'b'));
  EXPECT_EQ(lines[1], "after");
}

std::string RandomSource(std::mt19937& random) {
  static const std::string pieces[] = {"'",  "' &|\n", "\n",  "ab",   "    ", "x",
                                       "''", "&|",     " &|", "\r\n", "\r"};
  std::string text;
  int count = std::uniform_int_distribution<int>(1, 120)(random);
  for (int i = 0; i < count; ++i) {
    if (random() % 40 == 0) {
      text += std::string(std::uniform_int_distribution<int>(1, 1200)(random), 'L');
    } else {
      text += pieces[random() % std::size(pieces)];
    }
  }
  return text;
}

// The continuation rule as it is defined, recursively, the innermost line joined first.
TEST(TextFileTest, JoinMatchesTheRecursiveDefinition) {
  ScopedTempDir dir;
  std::mt19937 random(20261207);
  for (int round = 0; round < 3000; ++round) {
    std::string source = RandomSource(random);
    WriteBytes(dir / "source.clw", source);
    ASSERT_EQ(ReadAllLines(dir / "source.clw"), fuzz::ModelLogicalLines(source, kLineSize))
        << "source: " << source;
  }
}

TEST(TextFileTest, MillionContinuedLinesJoinWithoutRecursion) {
  ScopedTempDir dir;
  std::string chain;
  for (int i = 0; i < 1000000; ++i) chain += "    'abc' &|\n";
  WriteBytes(dir / "quoted.clw", chain + "    'end'\nafter\n");
  std::string expected = "    'abc";
  while (expected.size() < kMaxLineLength) expected += "abc";
  expected.resize(kMaxLineLength);
  EXPECT_EQ(ReadAllLines(dir / "quoted.clw"), (Lines{expected, "after"}));

  // Continuations without a quote of their own leave every level waiting for one.
  std::string unquoted;
  for (int i = 0; i < 1000000; ++i) unquoted += "    xxxxxx' &|\n";
  WriteBytes(dir / "unquoted.clw", unquoted + "   'end'\n");
  EXPECT_EQ(ReadAllLines(dir / "unquoted.clw"), Lines{"    xxxxxx"});

  // Empty literals continued over and over add nothing: the line is short and whole.
  std::string empty = "  MESSAGE('Start ' &|\r\n";
  for (int i = 0; i < 999998; ++i) empty += "          '' &|\r\n";
  WriteBytes(dir / "empty.clw", empty + "          'end.')\r\nafter\r\n");
  EXPECT_EQ(ReadAllLines(dir / "empty.clw"), (Lines{"  MESSAGE('Start end.')", "after"}));
}

// A file never opened or not there delivers no line, and no read failed; one whose reading fails
// delivers none either, and says so.
TEST(TextFileTest, UnreadableFilesDeliverNoLine) {
  ScopedTempDir dir;
  char buffer[kLineSize];
  TextFile never;
  EXPECT_FALSE(never.ReadLine(buffer, sizeof buffer));
  EXPECT_FALSE(never.ReadFailed());
  TextFile missing;
  missing.Open((dir / "missing.clw").c_str(), "rt");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.ReadLine(buffer, sizeof buffer));
  EXPECT_FALSE(missing.ReadFailed());
  TextFile directory;
  directory.Open(dir.path().string().c_str(), "rt");
  EXPECT_FALSE(directory.ReadLine(buffer, sizeof buffer));
#ifdef __linux__
  // Opens, and reading at its start fails with EIO.
  TextFile failing;
  failing.Open("/proc/self/mem", "rt");
  ASSERT_TRUE(failing.IsOpen());
  EXPECT_FALSE(failing.ReadLine(buffer, sizeof buffer));
  EXPECT_TRUE(failing.ReadFailed());
  // Opening again starts afresh.
  WriteBytes(dir / "source.clw", "one\n");
  failing.Open((dir / "source.clw").c_str(), "rt");
  EXPECT_TRUE(failing.ReadLine(buffer, sizeof buffer));
  EXPECT_FALSE(failing.ReadLine(buffer, sizeof buffer));
  EXPECT_FALSE(failing.ReadFailed());
#endif
}

TEST(TextFileTest, WritesEveryLineFeedAsCrLf) {
  ScopedTempDir dir;
  {
    TextFile out;
    out.Open((dir / "out.txt").c_str(), "wt");
    ASSERT_TRUE(out.IsOpen());
    out.WriteLine("first");
    out.WriteLine("");
    out.WriteLine("two\nparts");
    EXPECT_TRUE(out.Close());
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "first\r\n\r\ntwo\r\nparts\r\n");
}

TEST(TextFileTest, WritingToAClosedFileFails) {
  TextFile out;
  try {
    out.WriteLine("text");
    FAIL() << "no Failure raised";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "Error writing to file");
  }
}

// Lines whose every layout meets the block and piece boundaries somewhere: quotes just before and
// after them, a CR LF split between two blocks, pieces of long lines, continued literals.
std::string SkippingSource() {
  std::string bytes;
  std::mt19937 random(7);
  while (bytes.size() < 3 * TextFile::kBufferSize) {
    std::size_t length = random() % 40 == 0 ? 990 + random() % 1100 : random() % 120;
    std::string line(length, 'x');
    if (length > 0 && random() % 3 == 0) line[random() % length] = '\'';
    if (random() % 25 == 0) line += "'Text' &|";
    if (random() % 30 == 0) line += '\r';
    bytes += line + (random() % 2 ? "\r\n" : "\n");
  }
  return bytes;
}

TEST(TextFileTest, SkippingLinesWithoutTheMarkLeavesTheOthersAsTheyCome) {
  ScopedTempDir dir;
  std::string source = SkippingSource();
  WriteBytes(dir / "source.clw", source);
  Lines all = ReadAllLines(dir / "source.clw");
  EXPECT_EQ(all, fuzz::ModelLogicalLines(source, kLineSize));
  Lines marked;
  for (const std::string& line : all) {
    if (line.find('\'') != std::string::npos) marked.push_back(line);
  }
  TextFile file;
  file.Open((dir / "source.clw").c_str(), "rt");
  Lines delivered;
  char buffer[kLineSize];
  for (;;) {
    file.SkipLinesWithout('\'');
    if (!file.ReadLine(buffer, sizeof buffer)) break;
    if (std::strchr(buffer, '\'') != nullptr) delivered.emplace_back(buffer);
  }
  EXPECT_GT(marked.size(), 1000u);
  EXPECT_EQ(delivered, marked);
}

TEST(TextFileTest, WritesLinesLongerThanItsBlock) {
  ScopedTempDir dir;
  std::string longLine(TextFile::kBufferSize + 10, 'a');
  std::string expected;
  {
    TextFile out;
    out.Open((dir / "out.txt").c_str(), "wt");
    for (int i = 0; i < 3; ++i) {
      out.WriteLine("short");
      out.WriteLine(longLine.c_str());
      expected += "short\r\n" + longLine + "\r\n";
    }
    EXPECT_TRUE(out.Close());
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), expected);
}

}  // namespace
