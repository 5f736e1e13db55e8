// Writes a generated corpus of Clarion sources into a directory and prints what it wrote.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "corpus.h"

namespace {

constexpr char kUsage[] =
    "usage: quotex_make_corpus DIRECTORY [--bytes N] [--files N] [--texts N] [--seed N]\n";

std::size_t ParseCount(const char* text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') throw std::invalid_argument(std::string("not a count: ") + text);
  return static_cast<std::size_t>(value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc % 2) != 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    CorpusOptions options;
    for (int i = 2; i + 1 < argc; i += 2) {
      std::string option = argv[i];
      std::size_t value = ParseCount(argv[i + 1]);
      if (option == "--bytes") {
        options.totalBytes = value;
      } else if (option == "--files") {
        options.fileCount = value;
      } else if (option == "--texts") {
        options.distinctTexts = value;
      } else if (option == "--seed") {
        options.seed = value;
      } else {
        std::fputs(kUsage, stderr);
        return 2;
      }
    }
    CorpusStats stats = WriteCorpus(argv[1], options);
    std::printf("files=%zu bytes=%zu lines=%zu texts=%zu\n", stats.files, stats.bytes, stats.lines,
                stats.textOccurrences);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quotex_make_corpus: %s\n", error.what());
    return 1;
  }
  return 0;
}
