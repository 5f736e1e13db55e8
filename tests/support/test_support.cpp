#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "catalogue/catalogue.h"
#include "common/settings.h"

namespace {

// Makes a directory under a random name in the system's temporary directory. Creating it is
// the test for a clash: create_directory refuses a name that is taken, so no two tests (nor two
// test runs) ever share one.
std::filesystem::path MakeFreshDirectory() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("quotex-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      std::filesystem::permissions(candidate, std::filesystem::perms::owner_all);  // as mkdtemp
      return candidate;
    }
  }
  std::abort();
}

}  // namespace

ScopedTempDir::ScopedTempDir() : path_(MakeFreshDirectory()) {}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScopedTempDir::operator/(std::string_view name) const {
  return (path_ / std::string(name)).string();
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ResetRunState() {
  List.Clear();
  Index.Clear();
  Settings = RunSettings();
}

std::vector<std::string> CatalogueTexts() {
  std::vector<std::string> texts;
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    texts.emplace_back(node->text.c_str());
  }
  return texts;
}
