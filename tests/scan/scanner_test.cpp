#include "scan/scanner.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings.h"
#include "scan/keywords.h"
#include "support/test_support.h"

namespace {

using Texts = std::vector<std::string>;

struct LineCase {
  const char* line;
  Texts expected;
};

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunState(); }
  void TearDown() override { ResetRunState(); }

  void ExpectTexts(const LineCase* cases, std::size_t count, bool messagesOnly) {
    for (std::size_t i = 0; i < count; ++i) {
      ResetRunState();
      Settings.messagesOnly = messagesOnly;
      ScanLine(cases[i].line);
      EXPECT_EQ(CatalogueTexts(), cases[i].expected) << "line: " << cases[i].line;
    }
  }
  template <std::size_t N>
  void ExpectTexts(const LineCase (&cases)[N], bool messagesOnly = false) {
    ExpectTexts(cases, N, messagesOnly);
  }
};

TEST_F(ScannerTest, SkipsProgramMatterLines) {
  const LineCase cases[] = {
      {"  Access:Customer.Fetch('Customer Key')", {}},
      {"  Access:Customer.fetch('Customer Key')", {"Customer Key"}},
      {"  BRW1.SetFilter('Upper Name Filter')", {}},
      {"  BRW1.setfilter('Upper Name Filter')", {"Upper Name Filter"}},
      {"  INIMgr.Update('Window Section','Pos')", {}},
      {"  BRW1.AddKey('By Name Key')", {}},
      {"  MEMBER('Main Program')", {}},
      {"  member('Main Program')", {"Main Program"}},
      {"  INCLUDE('Equates File')", {}},
      {"  MODULE('Library Module')", {}},
      {"Customer FILE,DRIVER('TOPSPEED'),NAME('Customers')", {}},
      {"Customer FILE,driver('TOPSPEED'),NAME('Customers')", {"TOPSPEED", "Customers"}},
      {"  x = GETINI('Some Section','Entry Name')", {}},
      {"  x = getini('Some Section','Entry Name')", {}},
      {"  PutIni('Some Section','Entry Name')", {}},
      // Only the code part before the first literal counts.
      {"  x = 'Some Text' & GETINI('Sect','Entry Name')", {"Some Text", "Sect", "Entry Name"}},
      {"  x = 'Call .Fetch( later'", {"Call .Fetch( later"}},
  };
  ExpectTexts(cases);
}

TEST_F(ScannerTest, EndsTheLineAtACommentOrAnAttribute) {
  const LineCase cases[] = {
      {"  MESSAGE('Stop here!')  ! said 'twice'", {"Stop here!"}},
      {"  x = 1 ! 'Not this one'", {}},
      {"  x = 'Before' ! 'Not after'", {"Before"}},
      {"Win WINDOW('Caption Text'),FONT('Arial Font',8),ICON('App Icon'),AT(0,0)",
       {"Caption Text"}},
      {"  BUTTON('Ok Now'),HLP('Help Identifier'),MSG('Button Message')", {"Ok Now"}},
      {"  IMAGE('Logo Shown'),WALLPAPER('Back Image')", {"Logo Shown"}},
      {"  BUTTON('Ok Now'),HLP( 'Help Identifier')", {"Ok Now", "Help Identifier"}},
      {"  BUTTON('Ok Now'),hlp('Help Identifier')", {"Ok Now", "Help Identifier"}},
      {"FONT('Arial Narrow'),AT(0,0)", {"Arial Narrow"}},
      {" FONT('Arial Narrow'),AT(0,0)", {}},
  };
  ExpectTexts(cases);
}

TEST_F(ScannerTest, ExtractsLiteralsByTheTildeAndWordlikeRules) {
  const LineCase cases[] = {
      {"  x = 'OK'", {"OK"}},
      {"  x = 'It''s done'", {"It''s done"}},
      {"  x = '' & 'Hello'", {"Hello"}},
      {"  x = 'x' & '42' & '@n10.2' & 'A1'", {}},
      {"  ICON = '~Resource.ico'", {}},
      {"  x = 'Save ~changes~ now?'", {"changes"}},
      {"  x = 'A~bc~d~ef~g'", {"bc", "ef"}},
      {"  x = 'Open ~file'", {"file"}},
      {"  x = 'Close~'", {}},
      {"  x = '~Save~ or ~Load~'", {}},
      {"  x = 'Ab~~Cd'", {}},
      {"  x = 'Press ~12~ or ~Go~'", {"Go"}},
      {"  x = 'Tab<9>Separated'", {"Tab<9>Separated"}},
      // A literal not closed on its line runs to the line's end.
      {"  MESSAGE('Please wait", {"Please wait"}},
      {"  x = 'Press ~Enter", {"Enter"}},
      {"  x = 'Twice' & 'Twice' & 'twice'", {"Twice", "twice"}},
  };
  ExpectTexts(cases);
}

TEST_F(ScannerTest, MessagesOnlyModeKeepsMessageLines) {
  const LineCase cases[] = {
      {"MESSAGE('Hello There','Title Bar')", {}},
      {" MESSAGE('Hello There','Title Bar')", {"Hello There", "Title Bar"}},
      {"\tMESSAGE('Hello There')", {}},
      {"  IF x THEN message('Hello There').", {"Hello There"}},
      {"  ?Prompt{PROP:Text} = 'Not A Message'", {}},
      {"  x = 'First' & MESSAGE('Later')", {}},
  };
  ExpectTexts(cases, true);
}

TEST_F(ScannerTest, ScanFileCollectsInOrderOfFirstAppearance) {
  ScopedTempDir dir;
  WriteBytes(dir / "a.clw",
             "  PROGRAM\r\n"
             "Win WINDOW('Main Window'),AT(0,0)\r\n"
             "  BUTTON('&OK'),USE(?Ok)\r\n"
             "  BUTTON('Cancel')\r\n"
             "  MESSAGE('Please wait while the ' &|\r\n"
             "          'file is copied.','Cancel')\r\n");
  EXPECT_TRUE(ScanFile((dir / "a.clw").c_str()));
  EXPECT_EQ(CatalogueTexts(),
            (Texts{"Main Window", "&OK", "Cancel", "Please wait while the file is copied."}));
}

// A text wrapped as the compiler joins it is taken as a text joined in quotex's own form is:
// the attribute, tilde and letter rules apply to it whole, and messages-only mode looks at the
// line it starts on.
TEST_F(ScannerTest, TakesAWrappedTextAsAnyText) {
  ScopedTempDir dir;
  WriteBytes(dir / "a.clw",
             "  MESSAGE('Save the ' & |\r\n"
             "          'changes?', 'Ti' & |\r\n"
             "          'tle')\r\n"
             "  X = 'not a ' &|\r\n"
             "      'message'\r\n"
             "  LIST,FORMAT('20L~Na' & |\r\n"
             "              'me~@s20@'),USE(?L)\r\n"
             "  BUTTON('~Hid' &|\r\n"
             "    'den'),ICON('x.i' & |\r\n"
             "    'co'),TIP('Not this')\r\n");
  for (bool messagesOnly : {false, true}) {
    ResetRunState();
    Settings.messagesOnly = messagesOnly;
    Settings.wrappedAsCompiled = true;
    EXPECT_TRUE(ScanFile((dir / "a.clw").c_str()));
    Texts expected{"Save the changes?", "Title"};
    if (!messagesOnly) expected.insert(expected.end(), {"not a message", "Name"});
    EXPECT_EQ(CatalogueTexts(), expected);
  }
}

TEST_F(ScannerTest, NulEndsTheLineText) {
  ScopedTempDir dir;
  static const char kSource[] = "  x = 'Hello\0 World' & 'More Text'\n  y = 'Next'\n";
  // Not "nul.clw": on Windows that name is the NUL device.
  WriteBytes(dir / "nul_byte.clw", std::string(kSource, sizeof kSource - 1));
  ScanFile((dir / "nul_byte.clw").c_str());
  EXPECT_EQ(CatalogueTexts(), (Texts{"Hello", "Next"}));
}

// ScanFile never hands over a line longer than its buffer, but ScanLine takes any line: a code
// part longer than a buffer once overran the one it was upper-cased into.
TEST_F(ScannerTest, ScansLinesLongerThanALineBuffer) {
  std::string indent(2 * kLineSize, ' ');
  Settings.messagesOnly = true;
  ScanLine((indent + "x = getini('Some Section')").c_str());
  ScanLine((indent + "message('Long Line Text')").c_str());
  EXPECT_EQ(CatalogueTexts(), Texts{"Long Line Text"});
}

// Entries that are not regular files yield nothing, and are not taken for files that failed.
TEST_F(ScannerTest, EntriesThatAreNotRegularFilesYieldNothing) {
  ScopedTempDir dir;
#ifndef _WIN32  // named pipes in a directory are a POSIX thing
  ASSERT_EQ(mkfifo((dir / "pipe.clw").c_str(), 0600), 0);
  EXPECT_TRUE(ScanFile((dir / "pipe.clw").c_str()));  // must not wait for a writer
#endif
  std::filesystem::create_directory(dir / "folder.clw");
  EXPECT_TRUE(ScanFile((dir / "folder.clw").c_str()));
  EXPECT_TRUE(ScanFile((dir / "missing.clw").c_str()));
  EXPECT_TRUE(CatalogueTexts().empty());
}

#ifdef __linux__
// A regular file that cannot be opened for reading, even by root, and one whose reading fails
// at once, are reported.
TEST_F(ScannerTest, RegularFilesThatCannotBeReadAreReported) {
  EXPECT_FALSE(ScanFile("/proc/self/mem"));
  if (access("/proc/sys/vm/drop_caches", R_OK) != 0) {
    EXPECT_FALSE(ScanFile("/proc/sys/vm/drop_caches"));
  }
  EXPECT_TRUE(CatalogueTexts().empty());
}
#endif

// Every skip keyword, the any-case ones in both cases.
std::vector<std::string> SkipKeywords() {
  std::vector<std::string> keywords(std::begin(kExactSkipKeywords), std::end(kExactSkipKeywords));
  for (std::string_view keyword : kAnyCaseSkipKeywords) {
    keywords.emplace_back(keyword);
    std::string lower(keyword);
    for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
    keywords.push_back(lower);
  }
  return keywords;
}

// The keyword tests look at every position of the code part, however deep it is indented, and
// a keyword changed in its last two characters no longer counts.
TEST_F(ScannerTest, FindsSkipKeywordsAfterAnyIndentation) {
  for (const std::string& keyword : SkipKeywords()) {
    std::string changedLast = keyword;
    changedLast.back() = '_';
    std::string changedBeforeLast = keyword;
    changedBeforeLast[changedBeforeLast.size() - 2] = '_';
    for (std::size_t indent = 0; indent <= 17; ++indent) {
      std::string blanks(indent, ' ');
      for (const std::string& code :
           {blanks + keyword, blanks + "x=" + keyword + "(", blanks + keyword + "y  "}) {
        ResetRunState();
        ScanLine((code + "'Some Text')").c_str());
        EXPECT_TRUE(CatalogueTexts().empty()) << code;
      }
      for (const std::string& code : {blanks + changedLast, blanks + changedBeforeLast}) {
        ResetRunState();
        ScanLine((code + "'Some Text')").c_str());
        EXPECT_EQ(CatalogueTexts(), Texts{"Some Text"}) << code;
      }
    }
  }
}

}  // namespace
