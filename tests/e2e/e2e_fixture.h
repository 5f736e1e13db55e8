// Shared ground of the end-to-end tests: a fresh directory per test to run the programs in,
// quotex's fixed console texts, and readers for what a run leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/process.h"
#include "support/test_support.h"

inline constexpr char kBanner[] = "\n\nQuotex 1.00 (990522)\n\n\n";
inline constexpr char kUsage[] =
    "\tUsage: QUOTEX FILEMASK OUTPUTFILE [/M]\n\n"
    "\tWhere:\n"
    "\t\tFILEMASK        the files being scanned\n"
    "\t\tOUTPUTFILE      Name and path of outputfile \n"
    "\t\tSwitch M        Only show texts in MESSAGES\n";
inline constexpr char kDirectoryMessage[] = "You can only scan files in the current directory.\n";
inline constexpr char kNoFiles[] = "No files in current directory!\n";
inline constexpr char kNameTooLong[] = "Output file name too long (at most 103 characters).\n";
inline constexpr char kWriteError[] = "Error writing to file\n";

// The line that names a source file that could not be read.
inline std::string CannotRead(std::string_view name) {
  return "Can not read '" + std::string(name) + "'\n";
}

// Why a test that needs the I/O fault shim is skipped: the shim is preloaded, which takes a
// dynamically linked Linux program (not the static 32-bit one run under its emulator).
inline constexpr char kNoIoFaultShim[] = "no I/O fault shim for this build";

// Options that preload the I/O fault shim (tests/support/io_fault_shim.cpp) with the faults
// named, each as NAME=VALUE. False when there is no shim for this platform.
inline bool WithIoFaults(std::vector<std::string> faults, ProcessOptions& options) {
  if (std::string_view(QUOTEX_IO_FAULT_SHIM).empty()) return false;
  faults.push_back(std::string("LD_PRELOAD=") + QUOTEX_IO_FAULT_SHIM);
  // The shim comes before the sanitizer runtime of a sanitized build.
  faults.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
  options.environment = std::move(faults);
  return true;
}

using Arguments = std::vector<std::string>;
using Texts = std::vector<std::string>;

class E2eTest : public ::testing::Test {
 protected:
  const std::filesystem::path& Dir() const { return dir_.path(); }

  void WriteFile(std::string_view name, std::string_view content) const {
    WriteBytes(dir_ / name, content);
  }
  void MakeDirectory(std::string_view name) const {
    std::filesystem::create_directory(dir_ / name);
  }
  ProcessResult Run(const Arguments& arguments, const ProcessOptions& options = {}) const {
    return RunQuotex(Dir(), arguments, options);
  }
  ProcessResult RunLang(const Arguments& arguments, const ProcessOptions& options = {}) const {
    return RunQuotexLang(Dir(), arguments, options);
  }

  // Every path under the directory, relative to it, sorted.
  std::vector<std::string> Tree() const {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir())) {
      paths.push_back(entry.path().lexically_relative(Dir()).string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  // Every file under the directory with its bytes, to tell that a run changed nothing.
  std::vector<std::pair<std::string, std::string>> Snapshot() const {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& path : Tree()) {
      bool isFile = std::filesystem::is_regular_file(Dir() / path);
      files.emplace_back(path, isFile ? ReadBytes(Dir() / path) : "(directory)");
    }
    return files;
  }

  // The lines of an output file, each of which must end in CR LF.
  Texts Lines(std::string_view name) const {
    std::string bytes = ReadBytes(dir_ / name);
    Texts lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << name << " has a line without CR LF";
      if (end == std::string::npos) break;
      lines.push_back(bytes.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

 private:
  ScopedTempDir dir_;
};
