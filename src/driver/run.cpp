#include "driver/run.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/ascii.h"
#include "common/failure.h"
#include "common/settings.h"
#include "output/outputs.h"
#include "platform/platform.h"
#include "scan/scanner.h"

namespace {

constexpr char kUsage[] =
    "\tUsage: QUOTEX FILEMASK OUTPUTFILE [/M]\n"
    "\n"
    "\tWhere:\n"
    "\t\tFILEMASK        the files being scanned\n"
    "\t\tOUTPUTFILE      Name and path of outputfile \n"
    "\t\tSwitch M        Only show texts in MESSAGES\n";

// Switch arguments are compared in a buffer of this size; longer ones are not "/M".
constexpr std::size_t kSwitchSize = 100;

bool HoldsDirectoryPart(const char* mask) {
  return std::strpbrk(mask, "\\:") != nullptr;
}

// Takes a switch argument: sets messages-only mode for "/M" in either case, false otherwise.
bool AcceptSwitch(const char* argument) {
  std::size_t length = std::strlen(argument);
  if (length >= kSwitchSize) return false;
  char upper[kSwitchSize];
  std::memcpy(upper, argument, length + 1);
  UpperCaseAscii(upper);
  if (std::strcmp(upper, "/M") != 0) return false;
  Settings.messagesOnly = true;
  return true;
}

// Scans every entry of the search, from the one that started it, showing each on the console.
void ScanEntries(DirectorySearch& search) {
  do {
    std::string shown = search.Name();
    UpperCaseAscii(shown.data());
    WriteToConsole(FormatScratch("\rScanningfile: %s", shown.c_str()));
    ScanFile(search.OpenName());
  } while (search.Next());
}

// Opens, fills and closes the outputs; a Failure on the way is reported by the caller.
void ScanAndWrite(DirectorySearch& search) {
  OpenOutputs();
  ScanEntries(search);
  search.Close();
  WriteToConsole("\nWriting files");
  WriteOutputs();
  CloseOutputs();
}

}  // namespace

int Run(int argc, const char* const* argv) {
  std::fputs("\n\nQuotex 1.00 (990522)\n\n\n", stdout);

  bool usageWanted = argc < 3;
  if (!usageWanted) {
    if (HoldsDirectoryPart(argv[1])) {
      std::fputs("You can only scan files in the current directory.\n", stdout);
      return 1;
    }
    // Both switch positions are examined, even after one has failed.
    for (int i = 3; i < argc && i <= 4; ++i) {
      if (!AcceptSwitch(argv[i])) usageWanted = true;
    }
  }
  if (usageWanted) {
    std::fputs(kUsage, stdout);
    return 1;
  }
  if (!SetOutputBaseName(argv[2])) {
    std::fputs("Output file name too long (at most 103 characters).\n", stdout);
    return 1;
  }

  DirectorySearch search;
  if (!search.First(argv[1])) {
    std::fputs("No files in current directory!\n", stdout);
    return 0;
  }
  try {
    ScanAndWrite(search);
  } catch (const Failure& failure) {
    std::printf("%s\n", failure.what());
    return 1;
  }
  return 0;
}
