// Helpers shared by the tests: a fresh temporary directory per test, whole-file reads and
// writes, and a clean run state.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Makes a fresh directory and removes it, with everything in it, when destroyed.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the directory, as a string.
  std::string operator/(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);

// Empties the catalogue and resets the run settings.
void ResetRunState();

// The catalogue's texts in order.
std::vector<std::string> CatalogueTexts();
