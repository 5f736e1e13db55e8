// Runs the built programs (quotex, quotex-lang) as a user would, in a chosen directory, and
// captures what they print on standard output and standard error, what they write to their
// terminal, and their exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;      // exit status, or -1 when the process did not exit normally
  std::string output;   // everything written to standard output
  std::string errors;   // everything written to standard error (but on a terminal)
  std::string console;  // everything written to the terminal (with ProcessOptions::onTerminal)
};

struct ProcessOptions {
  // Give the process a pseudo-terminal as its controlling terminal (in raw mode, so its bytes
  // arrive unchanged); standard output still goes to a pipe of its own, standard error to the
  // terminal.
  bool onTerminal = false;
  // Limit the size of the files the process writes (RLIMIT_FSIZE), in bytes; 0 for no limit.
  long fileSizeLimit = 0;
  // Limit the process's address space (RLIMIT_AS), in bytes; 0 for no limit.
  long addressSpaceLimit = 0;
  // Send standard output to this file instead of collecting it; empty to collect it.
  std::string standardOutput = {};
  // Variables set for the process besides those of the tests, each as NAME=VALUE.
  std::vector<std::string> environment = {};
  // Run without the privileges of root, so that file permissions hold for the process: where
  // the tests run as root, the process runs in a user namespace of its own, as nobody. Files and
  // directories it needs must then be open to others.
  bool withoutPrivileges = false;
};

// The path of the quotex executable under test.
std::string QuotexPath();

// The command that starts it: its path, behind the emulator that runs it when it was built for
// another machine (qemu-i386 for the 32-bit build), which is looked up on the PATH.
std::vector<std::string> QuotexCommand();

// Whether quotex runs under such an emulator.
bool RunsUnderEmulator();

// Runs quotex with `arguments` in `directory`, with standard input closed. Without
// `options.onTerminal` it has no controlling terminal, so the console texts are dropped.
ProcessResult RunQuotex(const std::filesystem::path& directory,
                        const std::vector<std::string>& arguments,
                        const ProcessOptions& options = {});

// The same for quotex-lang.
ProcessResult RunQuotexLang(const std::filesystem::path& directory,
                            const std::vector<std::string>& arguments,
                            const ProcessOptions& options = {});

// Whether a process can be run without privileges here (see ProcessOptions).
bool CanDropPrivileges();
