#include "driver/run.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// Opens, fills and closes the outputs; a Failure on the way is reported by the caller.
std::vector<std::string> ScanAndWrite(DirectorySearch& search) {
  OpenOutputs();
  std::vector<std::string> unread = ScanEntries(search);
  search.Close();
  WriteToConsole("\nWriting files");
  WriteOutputs();
  CloseOutputs();
  return unread;
}

}  // namespace

std::vector<std::string> ScanEntries(DirectorySearch& search,
                                     const std::function<bool(const char*)>& skip,
                                     const std::function<void(const char*)>& show) {
  std::vector<std::string> unread;
  do {
    std::string shown = search.Name();
    UpperCaseAscii(shown.data());
    if (show) {
      show(FormatScratch("Scanningfile: %s", shown.c_str()));
    } else {
      WriteToConsole(FormatScratch("\rScanningfile: %s", shown.c_str()));
    }
    if (skip && skip(search.OpenName())) continue;
    CurrentScanObserver().OnFile(search.Name());
    if (!ScanFile(search.OpenName())) unread.push_back(search.Name());
  } while (search.Next());
  return unread;
}

CommandLine ReadCommandLine(int argc, const char* const* argv) {
  bool usageWanted = argc < 3;
  if (!usageWanted) {
    if (HoldsDirectoryPart(argv[1])) return CommandLine::kDirectoryPart;
    // Both switch positions are examined, even after one has failed.
    for (int i = 3; i < argc && i <= 4; ++i) {
      if (!AcceptSwitch(argv[i])) usageWanted = true;
    }
  }
  if (usageWanted) return CommandLine::kUsage;
  if (!SetOutputBaseName(argv[2])) return CommandLine::kNameTooLong;
  return CommandLine::kRun;
}

int Run(int argc, const char* const* argv) {
  std::fputs("\n\nQuotex 1.00 (990522)\n\n\n", stdout);
  switch (ReadCommandLine(argc, argv)) {
    case CommandLine::kRun:
      break;
    case CommandLine::kUsage:
      std::fputs(kUsage, stdout);
      return 1;
    case CommandLine::kDirectoryPart:
      std::fputs("You can only scan files in the current directory.\n", stdout);
      return 1;
    case CommandLine::kNameTooLong:
      std::printf("Output file name too long (at most %d characters).\n",
                  static_cast<int>(kMaxBaseNameLength));
      return 1;
  }

  DirectorySearch search;
  if (!search.First(argv[1])) {
    std::fputs("No files in current directory!\n", stdout);
    return 0;
  }
  int status = 0;
  std::vector<std::string> unread;
  try {
    unread = ScanAndWrite(search);
  } catch (const Failure& failure) {
    std::printf("%s\n", failure.what());
    status = 1;
  }
  // Each named as its progress line showed it.
  for (std::string& name : unread) {
    UpperCaseAscii(name.data());
    std::printf("Can not read '%s'\n", name.c_str());
  }
  return unread.empty() ? status : 1;
}
