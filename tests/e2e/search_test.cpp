// The search over the mask: which entries of the current directory a mask names, the order in
// which they are scanned, and the progress shown on the terminal for each.
#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"

namespace {

class SearchTest : public E2eTest {
 protected:
  // A source file whose one text names it.
  void WriteSource(const std::string& name) const {
    WriteFile(name, "  x = 'Text of " + name + "'\n");
  }
  static Texts TextsOf(const std::vector<std::string>& names) {
    Texts texts;
    for (const std::string& name : names) texts.push_back("Text of " + name);
    return texts;
  }
};

// Outputs stay the same from machine to machine: entries are scanned in the order of their
// upper-cased names, byte by byte, names equal after upper-casing in their own byte order,
// whatever order they were created in.
TEST_F(SearchTest, EntriesAreScannedInTheOrderOfTheirUpperCasedNames) {
  const std::vector<std::string> created = {
      "\xC3\xA9t\xC3\xA9.clw", "_x.clw", "C.CLW", "b.clw", "a.clw", "A.clw", "AB.clw"};
  for (const std::string& name : created) WriteSource(name);
  MakeDirectory("out");
  ProcessResult result = Run({"*.clw", "out/texts"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(Lines("out/TEXTS.LST"), TextsOf({"A.clw", "a.clw", "AB.clw", "b.clw", "C.CLW", "_x.clw",
                                             "\xC3\xA9t\xC3\xA9.clw"}));
}

TEST_F(SearchTest, MaskMatchesNamesWithoutRegardToCase) {
  struct Case {
    const char* mask;
    std::vector<std::string> scanned;
  };
  const Case cases[] = {
      {"*.clw", {"a.clw", "AB.CLW", "b.Clw"}},
      {"*.CLW", {"a.clw", "AB.CLW", "b.Clw"}},
      {"?.clw", {"a.clw", "b.Clw"}},
      {"A*", {"a.clw", "AB.CLW"}},
      {"*.clw*", {"a.clw", "AB.CLW", "b.Clw", "x.clw.bak"}},
      {"MAKE*", {"makefile"}},
      {"makefile.*", {"makefile"}},
      // A mask ending in a dot names the files without an extension.
      {"*.", {"makefile"}},
      {"MAKE?ILE.", {"makefile"}},
      {"*.*", {"a.clw", "AB.CLW", "b.Clw", "makefile", "notes.txt", "x.clw.bak"}},
      {"*", {"a.clw", "AB.CLW", "b.Clw", "makefile", "notes.txt", "x.clw.bak"}},
  };
  for (const char* name : {"a.clw", "AB.CLW", "b.Clw", "makefile", "notes.txt", "x.clw.bak"}) {
    WriteSource(name);
  }
  MakeDirectory("out");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    ProcessResult result = Run({c.mask, "out/texts"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(Lines("out/TEXTS.LST"), TextsOf(c.scanned));
  }
}

TEST_F(SearchTest, EachEntryShowsItsProgressLineOnTheTerminal) {
  struct Case {
    const char* mask;
    const char* console;
  };
  const Case cases[] = {
      {"a.clw", "\rScanningfile: A.CLW\nWriting files"},
      {"*.clw", "\rScanningfile: A.CLW\rScanningfile: B.CLW\nWriting files"},
      // Directories, the current and parent ones included, are entries like any other.
      {"*",
       "\rScanningfile: .\rScanningfile: ..\rScanningfile: A.CLW\rScanningfile: B.CLW"
       "\rScanningfile: OUT\nWriting files"},
      {"*.none", ""},
  };
  WriteSource("b.clw");
  WriteSource("a.clw");
  MakeDirectory("out");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    ProcessResult result = Run({c.mask, "out/texts"}, {.onTerminal = true});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(result.output.rfind(kBanner, 0), 0u);  // the progress stays off standard output
  }
}

// A search that fails (the directory cannot be read) is taken as one that found nothing, and
// touches no file.
TEST_F(SearchTest, FailedSearchFindsNoFiles) {
  ProcessOptions options;
  if (!WithIoFaults({"QUOTEX_FAIL_SEARCH=1"}, options)) GTEST_SKIP() << kNoIoFaultShim;
  WriteSource("a.clw");
  ProcessResult result = Run({"*.clw", "texts"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, std::string(kBanner) + kNoFiles);
  EXPECT_EQ(Tree(), Texts{"a.clw"});
}

TEST_F(SearchTest, UsageIsNotShownOnTheTerminal) {
  ProcessResult result = Run({"*.clw"}, {.onTerminal = true});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) + kUsage);
  EXPECT_EQ(result.console, "");
}

}  // namespace
