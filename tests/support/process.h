// Runs the built quotex executable as a user would, in a chosen directory, and captures what it
// prints on standard output and its exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;     // exit status, or -1 when the process did not exit normally
  std::string output;  // everything written to standard output
};

// The path of the quotex executable under test.
std::string QuotexPath();

// Runs quotex with `arguments` in `directory`, without a controlling terminal (so the console
// texts are dropped) and with standard input closed.
ProcessResult RunQuotex(const std::filesystem::path& directory,
                        const std::vector<std::string>& arguments);
