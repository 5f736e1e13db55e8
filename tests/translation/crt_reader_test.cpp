#include "translation/crt_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs PairsOf(const CrtDocument& crt) {
  Pairs pairs;
  for (const CrtPair& pair : crt.pairs) pairs.emplace_back(pair.text, pair.translation);
  return pairs;
}

// "LINE: MESSAGE" per structure error.
std::vector<std::string> ErrorsOf(const CrtDocument& crt) {
  std::vector<std::string> errors;
  for (const Diagnostic& error : crt.structureErrors) {
    EXPECT_EQ(error.severity, Severity::kError);
    errors.push_back(std::to_string(error.line) + ": " + error.message);
  }
  return errors;
}

TEST(CrtReaderTest, ReadsWhatQuotexWrites) {
  CrtDocument crt = ReadCrt(
      "LANGUAGE GROUP\r\n"
      "Items      USHORT(2)\r\n"
      "           PSTRING('&OK')\r\n"
      "           PSTRING('')\r\n"
      "           PSTRING('It''s <13,10>\tdone')\r\n"
      "           PSTRING('Abbrechen')\r\n"
      "   END\r\n");
  EXPECT_EQ(ErrorsOf(crt), std::vector<std::string>{});
  EXPECT_EQ(PairsOf(crt), (Pairs{{"&OK", ""}, {"It''s <13,10>\tdone", "Abbrechen"}}));
  EXPECT_EQ(crt.groupLine, 1u);
  EXPECT_EQ(crt.itemsLine, 2u);
  EXPECT_EQ(crt.itemsCount, 2u);
  const CrtPair& second = crt.pairs[1];
  EXPECT_EQ(second.textLine, 5u);
  EXPECT_EQ(second.translationLine, 6u);
  EXPECT_EQ(second.textColumn, 21u);
  EXPECT_EQ(second.translationColumn, 21u);
}

// Every file here holds the pair (Save, Speichern) in a form the language allows.
TEST(CrtReaderTest, AcceptsWhatTheLanguageAllows) {
  const std::string files[] = {
      "LANGUAGE GROUP\nItems USHORT(1)\n PSTRING('Save')\n PSTRING('Speichern')\n END\n",
      "LANGUAGE GROUP\r\nItems USHORT(1)\r\n PSTRING('Save')\r\n PSTRING('Speichern')\r\n END",
      "LANGUAGE GROUP\nItems USHORT(1)\n PSTRING('Save')\n PSTRING('Speichern')\n END\n\x1A"
      "garbage after the end of the file\n",
      "! translations\n\nLANGUAGE GROUP ! the group\n  ! a comment line\nItems USHORT(1)\n\n"
      " PSTRING('Save') ! it's a button, isn't it\n \t\n PSTRING('Speichern')!\n END ! done\n\n",
      "language group\nItems ushort(1)\n pstring('Save')\n PString('Speichern')\n end\n",
      "LANGUAGE  GROUP\nItems\tUSHORT ( 1 ) \n\tPSTRING ( 'Save' ) \n PSTRING(\t'Speichern'\t)\n "
      ".\n",
      "LANGUAGE GROUP,PRE(LNG)\nItems USHORT(1)\n PSTRING('Save')\n PSTRING('Speichern')\nEND\n",
      "Lang GROUP(Base),PRE(L)\n USHORT(1)\nT1 PSTRING('Save')\nT1:De PSTRING('Speichern')\n.\n",
  };
  for (const std::string& file : files) {
    CrtDocument crt = ReadCrt(file);
    EXPECT_EQ(ErrorsOf(crt), std::vector<std::string>{}) << file;
    EXPECT_EQ(PairsOf(crt), (Pairs{{"Save", "Speichern"}})) << file;
    EXPECT_EQ(crt.itemsCount, 1u) << file;
  }
}

// A lone quote in a translation does not end it where the rest of the line shows where it ends.
TEST(CrtReaderTest, ReadsContentUpToTheQuoteThatClosesTheDeclaration) {
  const struct {
    std::string line, content;
  } cases[] = {
      {" PSTRING('It's')", "It's"},
      {" PSTRING('l'eau') ! comment", "l'eau"},
      {" PSTRING('a') ! it's a (test')", "a"},
      {" PSTRING('a'' ''b')", "a'' ''b"},
      {" PSTRING('x') y')", "x') y"},
      {" PSTRING('')", ""},
      {" PSTRING(''')", "'"},
      {" PSTRING('!')", "!"},
      {" PSTRING('\xE9t\xE9 <0>{3}')", "\xE9t\xE9 <0>{3}"},
  };
  for (const auto& c : cases) {
    CrtDocument crt = ReadCrt("L GROUP\n USHORT(1)\n PSTRING('x')\n" + c.line + "\n END\n");
    EXPECT_EQ(ErrorsOf(crt), std::vector<std::string>{}) << c.line;
    ASSERT_EQ(crt.pairs.size(), 1u) << c.line;
    EXPECT_EQ(crt.pairs[0].translation, c.content) << c.line;
  }
}

TEST(CrtReaderTest, ReadsLinesOfAnyLength) {
  std::string translation(100000, 'x');
  CrtDocument crt =
      ReadCrt("L GROUP\n USHORT(1)\n PSTRING('a')\n PSTRING('" + translation + "')\n END\n");
  ASSERT_EQ(crt.pairs.size(), 1u);
  EXPECT_EQ(crt.pairs[0].translation, translation);
}

TEST(CrtReaderTest, ReportsWhatIsNotTheGroupWithItsLine) {
  const std::string kGroup = "LANGUAGE GROUP\nItems USHORT(1)\n";
  const std::string kPair = " PSTRING('a')\n PSTRING('b')\n";
  const struct {
    std::string file;
    std::vector<std::string> errors;
  } cases[] = {
      {"", {"0: no LANGUAGE GROUP line", "0: no END line at the end of the group"}},
      {kGroup + kPair, {"4: no END line at the end of the group"}},
      {kGroup + kPair + " PSTRING('c')\n END\n", {"5: text without its translation line"}},
      {kGroup + kPair + " END\n\n PSTRING('c')\n x\n", {"7: line after END"}},
      {kGroup + " x = 1\n" + kPair + " END\n",
       {"3: not a line of the group: expected PSTRING('...'), USHORT(n) or END"}},
      {kGroup + "PSTRING('a')\n PSTRING('b')\n END\n",
       {"3: 'PSTRING' in column 1 is read as a label; indent the line",
        "4: text without its translation line"}},
      {" GROUP\n" + kPair + " END\n",
       {"1: GROUP without its label in column 1", "2: no LANGUAGE GROUP line before this line"}},
      {kGroup + kPair + "Other GROUP\n END\n",
       {"5: unexpected GROUP line: a group stands alone, at the start of the file"}},
      {kGroup + kPair + " USHORT(2)\n END\n",
       {"5: unexpected USHORT line: the count stands right after the GROUP line"}},
      {kGroup + " PSTRING('a\0')\n PSTRING('b')\n END\n"s,
       {"3: line holds a NUL byte", "4: text without its translation line"}},
      {"\xEF\xBB\xBF" + kGroup + kPair + " END\n",
       {"1: the file starts with a UTF-8 byte order mark; a CRT file is code-page text",
        "2: no LANGUAGE GROUP line before this line"}},
      {kGroup + " PSTRING('a)\n PSTRING('b')\n END\n",
       {"3: string without a closing quote followed by ')'",
        "4: text without its translation line"}},
      {kGroup + " PSTRING(20)\n" + kPair + " END\n",
       {"3: PSTRING without its string: expected PSTRING('...')"}},
      {"L GROUP\nItems USHORT(n)\n" + kPair + " END\n",
       {"2: USHORT without its count: expected USHORT(n)"}},
      {"L GROUP\nItems\n" + kPair + " END\n", {"2: label without a declaration"}},
      {kGroup + kPair + " END x\n",
       {"5: END with more after it", "5: no END line at the end of the group"}},
      {"LANGUAGE GROUP x\n" + kPair + " END\n",
       {"1: GROUP followed by something other than attributes",
        "2: no LANGUAGE GROUP line before this line"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorsOf(ReadCrt(c.file)), c.errors) << c.file;
}

TEST(CrtReaderTest, ReadsThePairsWithoutAnItemsLine) {
  CrtDocument crt = ReadCrt("LANGUAGE GROUP\n PSTRING('a')\n PSTRING('b')\n END\n");
  EXPECT_EQ(ErrorsOf(crt), std::vector<std::string>{});
  EXPECT_EQ(crt.itemsLine, 0u);
  EXPECT_EQ(PairsOf(crt), (Pairs{{"a", "b"}}));
}

}  // namespace
