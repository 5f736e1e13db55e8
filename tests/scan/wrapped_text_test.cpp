#include "scan/wrapped_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/settings.h"
#include "scan/text_file.h"
#include "support/test_support.h"

namespace {

using Lines = std::vector<std::string>;

// The logical lines of `source` read as the compiler joins them, each with the line numbers of
// its first character and of its last literal's opening quote.
Lines CompiledLines(const std::string& source, std::vector<std::pair<int, int>>* numbers = nullptr) {
  ScopedTempDir dir;
  WriteBytes(dir / "source.clw", source);
  TextFile file;
  file.Open((dir / "source.clw").c_str(), "rt");
  file.JoinAsCompiled();
  file.CountLines();
  Lines lines;
  char buffer[kLineSize];
  while (file.ReadLine(buffer, sizeof buffer)) {
    lines.emplace_back(buffer);
    std::size_t closing = lines.back().rfind('\'');
    std::size_t quote = closing == std::string::npos ? 0 : lines.back().rfind('\'', closing - 1);
    if (numbers != nullptr) numbers->emplace_back(file.LineNumber(), file.LineNumberAt(quote));
  }
  return lines;
}

TEST(WrappedTextTest, JoinsLiteralsAsTheCompilerDoes) {
  const std::string x600(600, 'x');
  const std::string y600(600, 'y');
  struct Case {
    const char* name;
    std::string source;
    Lines expected;
  } cases[] = {
      {"blank, ampersand, blank, bar", "  TIP('Go to the ' & |\n      'first page')\n",
       {"  TIP('Go to the first page')"}},
      {"no blanks", "  TIP('Go to the '&|\n      'first page')\n", {"  TIP('Go to the first page')"}},
      {"quotex's marker", "  TIP('Go to the ' &|\n'first page')\n", {"  TIP('Go to the first page')"}},
      {"tabs and CR LF", "\tTIP('Go to the '\t&\t|\t\r\n\t'first page')\r\n",
       {"\tTIP('Go to the first page')"}},
      {"a comment after the bar", "  TIP('a ' & |  ! it's 'x' & |\n  'b')\n", {"  TIP('a b')"}},
      {"the ampersand on the next line", "  TIP('a ' |\n   & 'b')\n", {"  TIP('a b')"}},
      {"joined on one line", " MESSAGE('a '&  'b', 'T' & '')", {" MESSAGE('a b', 'T')"}},
      {"a chain of three lines, doubled quotes kept",
       "  STRING('It''s ' & |\n  'a ''chain'' ' & |\n  'of three'''),USE(?S)\n",
       {"  STRING('It''s a ''chain'' of three'''),USE(?S)"}},
      {"a text and more after it", "  M('a ' & |\n  'b' & Name, 'c' & |\n 'd')\n",
       {"  M('a b' & Name, 'cd')"}},
      {"an expression between literals", "  M('Hello ' & Name & '!')\n",
       {"  M('Hello ' & Name & '!')"}},
      {"a line that starts with an expression", "  M('Value: ' & |\n  CLIP(N) & ' units')\n",
       {"  M('Value: ' & |", "  CLIP(N) & ' units')"}},
      {"a line without a literal", "  M('Value: ' & |\n\n  'next'\n",
       {"  M('Value: ' & |", "", "  'next'"}},
      {"no ampersand at all", "  M('a' |\n  'b')\n", {"  M('a' |", "  'b')"}},
      {"something after the bar", "  M('a' & | x\n  'b')\n", {"  M('a' & | x", "  'b')"}},
      {"a continuation inside a comment", "  ! M('a' & |\n  'b'\n", {"  ! M('a' & |", "  'b'"}},
      {"a literal not closed", "  M('a & |\n  'b'\n", {"  M('a & |", "  'b'"}},
      {"the file ends after the marker", "  M('a' & |", {"  M('a' & |"}},
      {"a text cut at the line's capacity, its lines dropped",
       "M('" + x600 + "' & |\n'" + y600 + "' & |\n'z')\nnext\n",
       {"M('" + x600 + y600.substr(0, 999 - 603), "next"}},
  };
  for (const Case& c : cases) EXPECT_EQ(CompiledLines(c.source), c.expected) << c.name;
}

TEST(WrappedTextTest, TellsTheLineEachTextStartsOn) {
  std::vector<std::pair<int, int>> numbers;
  Lines lines = CompiledLines(
      "  M('a ' & |\n    'b', 'c ' & |\n    'd')\n  N('e' & |\n    Name)\n", &numbers);
  ASSERT_EQ(lines, (Lines{"  M('a b', 'c d')", "  N('e' & |", "    Name)"}));
  EXPECT_EQ(numbers, (std::vector<std::pair<int, int>>{{1, 2}, {4, 4}, {5, 5}}));
}

}  // namespace
