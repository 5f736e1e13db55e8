// The run of the program: banner, command line, the search over the mask, the scan of every
// entry found, and the writing of the outputs. Returns the exit status.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

int Run(int argc, const char* const* argv);

// Scans every entry of a started search, from the one that started it, showing each on the
// console ("Scanningfile: NAME", by `show`, or else as quotex shows it: after a carriage
// return), and passes over, unscanned, those that `skip` picks by the name they are opened
// under. Returns the names, as the search gave them, of the files that could not be read.
std::vector<std::string> ScanEntries(DirectorySearch& search,
                                     const std::function<bool(const char*)>& skip = nullptr,
                                     const std::function<void(const char*)>& show = nullptr);

// What a command line asks for.
enum class CommandLine {
  kRun,            // a run, with the run settings set from it
  kUsage,          // the usage text: arguments missing or a switch not known
  kDirectoryPart,  // a mask that names another directory
  kNameTooLong,    // an output base name longer than the settings hold
};

// Reads the command line `QUOTEX FILEMASK OUTPUTFILE [/M]` into the run settings.
CommandLine ReadCommandLine(int argc, const char* const* argv);
