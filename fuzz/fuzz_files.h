// Files for the fuzz targets that feed the program through the file system: one scratch
// directory per process, removed at exit, and whole-file reads and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_check.h"

namespace fuzz {

// A fresh directory, made on first use and removed with everything in it at exit. It lies in
// memory where the system offers that: a disk file system may write back a file that is
// emptied and rewritten on every input, which slows fuzzing tenfold.
class ScratchDirectory {
 public:
  static const std::filesystem::path& Path() {
    static const ScratchDirectory directory;
    return directory.path_;
  }

 private:
  ScratchDirectory() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quotex-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& file, const std::uint8_t* data,
                      std::size_t size) {
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  FUZZ_CHECK(stream != nullptr);
  FUZZ_CHECK(std::fwrite(data, 1, size, stream) == size);
  FUZZ_CHECK(std::fclose(stream) == 0);
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::string bytes;
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  FUZZ_CHECK(stream != nullptr);
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, got);
  std::fclose(stream);
  return bytes;
}

}  // namespace fuzz
