// The run of the program: banner, command line, the search over the mask, the scan of every
// entry found, and the writing of the outputs. Returns the exit status.
#pragma once

int Run(int argc, const char* const* argv);

// What a command line asks for.
enum class CommandLine {
  kRun,            // a run, with the run settings set from it
  kUsage,          // the usage text: arguments missing or a switch not known
  kDirectoryPart,  // a mask that names another directory
  kNameTooLong,    // an output base name longer than the settings hold
};

// Reads the command line `QUOTEX FILEMASK OUTPUTFILE [/M]` into the run settings.
CommandLine ReadCommandLine(int argc, const char* const* argv);
