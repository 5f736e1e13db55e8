// The command line and the run as a whole: banner, usage, messages, exit statuses, and which
// files a run creates or leaves alone.
#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"

namespace {

constexpr char kSource[] =
    "Window WINDOW('Customer List'),AT(,,200,100)\n"
    "  MESSAGE('Record saved','Customers')\n";
const Texts kAllTexts = {"Customer List", "Record saved", "Customers"};
const Texts kMessageTexts = {"Record saved", "Customers"};

const std::string kLongSwitch = std::string("/M").append(98, 'M');  // 100 characters

class RunTest : public E2eTest {
 protected:
  // Runs each command line in a directory holding one source file: each must print `message`
  // after the banner, end with status 1 and create no file.
  void ExpectRefused(const std::vector<Arguments>& commandLines, const std::string& message) {
    WriteFile("a.clw", kSource);
    for (const Arguments& arguments : commandLines) {
      SCOPED_TRACE(testing::PrintToString(arguments));
      ProcessResult result = Run(arguments);
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.output, std::string(kBanner) + message);
      EXPECT_EQ(Tree(), Texts{"a.clw"});
    }
  }
};

TEST_F(RunTest, WithoutArgumentsShowsBannerAndUsage) {
  ProcessResult result = Run({});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) +
                               "\tUsage: QUOTEX FILEMASK OUTPUTFILE [/M]\n\n"
                               "\tWhere:\n"
                               "\t\tFILEMASK        the files being scanned\n"
                               "\t\tOUTPUTFILE      Name and path of outputfile \n"
                               "\t\tSwitch M        Only show texts in MESSAGES\n");
}

TEST_F(RunTest, BadCommandLinesShowTheUsageAndTouchNothing) {
  ExpectRefused({{"*.clw"},
                 {"src\\*.clw"},  // the directory check needs both arguments
                 {"*.clw", "texts", "/X"},
                 {"*.clw", "texts", "M"},
                 {"*.clw", "texts", "/MM"},
                 {"*.clw", "texts", ""},
                 {"*.clw", "texts", "/M", "/X"},
                 {"*.clw", "texts", "/X", "/M"},
                 {"*.clw", "texts", kLongSwitch},
                 {"*.clw", "texts", "/M", std::string(5000, 'm')},
                 // The usage comes before the length check.
                 {"*.clw", std::string(104, 't'), "/X"}},
                kUsage);
}

TEST_F(RunTest, MaskWithDirectoryPartIsRefusedBeforeTheSwitches) {
  ExpectRefused({{"src\\*.clw", "texts"},
                 {"c:*.clw", "texts"},
                 {"C:\\*.clw", "texts", "/X"},
                 {"*.clw:", "texts", "/M", "/X"},
                 {"\\", std::string(104, 't')}},
                kDirectoryMessage);
}

TEST_F(RunTest, SwitchChoosesMessagesOnlyModeAndFifthArgumentIsIgnored) {
  struct Case {
    Arguments arguments;
    const Texts& expected;
  };
  const Case cases[] = {
      {{"*.clw", "out/texts"}, kAllTexts},
      {{"*.clw", "out/texts", "/M"}, kMessageTexts},
      {{"*.clw", "out/texts", "/m"}, kMessageTexts},
      {{"*.clw", "out/texts", "/m", "/M"}, kMessageTexts},
      {{"*.clw", "out/texts", "/M", "/m", "/X"}, kMessageTexts},
      {{"*.clw", "out/texts", "/M", "/M", "c:\\dir"}, kMessageTexts},
      {{"*.clw", "out/texts", "/m", "/m", std::string(5000, 'x')}, kMessageTexts},
  };
  WriteFile("a.clw", kSource);
  MakeDirectory("out");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    ProcessResult result = Run(c.arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, kBanner);
    EXPECT_EQ(Lines("out/TEXTS.LST"), c.expected);
  }
}

TEST_F(RunTest, MaskMatchingNothingLeavesExistingOutputsUntouched) {
  const char* masks[] = {"*.txt", "b?.clw", "sub/*.clw", ""};
  WriteFile("a.clw", kSource);
  MakeDirectory("sub");
  WriteFile("sub/b.clw", kSource);
  for (const char* extension : {"BAS", "CRT", "LST"}) {
    WriteFile(std::string("TEXTS.") + extension, std::string("old ") + extension);
  }
  for (const char* mask : masks) {
    SCOPED_TRACE(mask);
    ProcessResult result = Run({mask, "texts"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, std::string(kBanner) + kNoFiles);
    for (const char* extension : {"BAS", "CRT", "LST"}) {
      EXPECT_EQ(ReadBytes(Dir() / (std::string("TEXTS.") + extension)),
                std::string("old ") + extension);
    }
  }
  EXPECT_EQ(Tree(), (Texts{"TEXTS.BAS", "TEXTS.CRT", "TEXTS.LST", "a.clw", "sub", "sub/b.clw"}));
}

TEST_F(RunTest, FileWithoutTextsStillGivesAllThreeOutputs) {
  WriteFile("empty.clw", "  CODE\n  x = '42'\n");
  WriteFile("TEXTS.BAS", "\"Old text\", \"\"\r\n");
  ProcessResult result = Run({"empty.clw", "texts"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, kBanner);
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.BAS"), "");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.LST"), "");
  EXPECT_EQ(ReadBytes(Dir() / "TEXTS.CRT"), "LANGUAGE GROUP\r\nItems      USHORT(0)\r\n   END\r\n");
}

// The outputs are emptied when they are opened and written only after the scan, so a search
// that returns them scans them as empty files.
TEST_F(RunTest, OutputsMatchedByTheMaskAreScannedEmpty) {
  WriteFile("a.clw", kSource);
  WriteFile("TEXTS.BAS", "\"Stale text\", \"\"\r\n  MESSAGE('Stale message')\r\n");
  WriteFile("TEXTS.CRT", "           PSTRING('Stale text')\r\n");
  WriteFile("TEXTS.LST", "  x = 'Stale list'\r\n");
  ProcessResult result = Run({"*", "texts"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(Lines("TEXTS.LST"), kAllTexts);
  EXPECT_EQ(Lines("TEXTS.BAS").size(), kAllTexts.size());
}

TEST_F(RunTest, DirectoryMatchingTheMaskIsPassedOver) {
  WriteFile("a.clw", "  x = 'First file'\n");
  MakeDirectory("forms.clw");
  WriteFile("forms.clw/inner.clw", "  x = 'Inside a directory'\n");
  WriteFile("z.clw", "  x = 'Last file'\n");
  ProcessResult result = Run({"*.clw", "texts"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, kBanner);
  EXPECT_EQ(Lines("TEXTS.LST"), (Texts{"First file", "Last file"}));
}

TEST_F(RunTest, OutputNameOfAtMost103CharactersIsAccepted) {
  std::string longest = "out/" + std::string(99, 't');  // 103 characters
  std::string tooLong = longest + "t";
  std::string tooLongUpper = "out/" + std::string(100, 'T');
  WriteFile("a.clw", kSource);
  MakeDirectory("out");
  for (const char* extension : {".BAS", ".CRT", ".LST"}) WriteFile(tooLongUpper + extension, "old");

  for (const char* mask : {"*.clw", "*.none"}) {
    ProcessResult refused = Run({mask, tooLong});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, std::string(kBanner) + kNameTooLong);
  }
  for (const char* extension : {".BAS", ".CRT", ".LST"}) {
    EXPECT_EQ(ReadBytes(Dir() / (tooLongUpper + extension)), "old");
  }
  EXPECT_EQ(Tree().size(), 5u);

  ProcessResult accepted = Run({"*.clw", longest});
  EXPECT_EQ(accepted.status, 0);
  EXPECT_EQ(accepted.output, kBanner);
  EXPECT_EQ(Lines("out/" + std::string(99, 'T') + ".LST"), kAllTexts);
}

TEST_F(RunTest, OutputFilesAreUpperCasedAndTheDirectoryKeptAsGiven) {
  WriteFile("a.clw", kSource);
  MakeDirectory("out");
  ProcessResult result = Run({"*.clw", "out/texts"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(Tree(), (Texts{"a.clw", "out", "out/TEXTS.BAS", "out/TEXTS.CRT", "out/TEXTS.LST"}));
}

TEST_F(RunTest, MissingOutputDirectoryIsReportedBeforeAnyScan) {
  WriteFile("a.clw", kSource);
  ProcessResult result = Run({"*.clw", "nodir/texts"}, {.onTerminal = true});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) + "Can not write to 'NODIR/TEXTS.BAS'\n");
  EXPECT_EQ(result.console, "");
  EXPECT_EQ(Tree(), Texts{"a.clw"});
}

TEST_F(RunTest, FailedWriteIsReportedWithStatusOne) {
  std::string source;
  for (int i = 0; i < 200; ++i) {
    source += "  MESSAGE('Text number " + std::to_string(i) + " of the long list')\n";
  }
  WriteFile("a.clw", source);
  ProcessResult result = Run({"*.clw", "texts"}, {.fileSizeLimit = 4096});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) + kWriteError);
}

// Standard output that cannot be written (a full disk) fails a run that would have succeeded,
// and the outputs are written as ever.
TEST_F(RunTest, StandardOutputThatCannotBeWrittenFailsTheRun) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  WriteFile("a.clw", kSource);
  for (const Arguments& arguments : {Arguments{"*.clw", "texts"}, Arguments{"*.none", "texts"},
                                     Arguments{"*.clw", "texts", "/X"}}) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments, {.standardOutput = "/dev/full"}).status, 1);
  }
  EXPECT_EQ(Lines("TEXTS.LST"), kAllTexts);
}

// Running out of memory is reported as one line and status 1, never a crash or a silent end.
TEST_F(RunTest, RunningOutOfMemoryIsReportedWithStatusOne) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
  if (RunsUnderEmulator()) {
    GTEST_SKIP() << "qemu-user does not pass an address-space limit on to the program it runs";
  }
  std::string source;
  source.reserve(24000000);
  for (int i = 0; i < 1000000; ++i) source += "  x = 'Text " + std::to_string(i) + "'\n";
  WriteFile("a.clw", source);
  ProcessResult result = Run({"*.clw", "texts"}, {.addressSpaceLimit = 64L << 20});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) + "Out of memory\n");
#endif
}

}  // namespace
