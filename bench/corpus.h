// A deterministic generator of Clarion sources shaped like generated application code: member
// modules with file declarations, update forms, browses, reports and source procedures, with a
// chosen number of distinct texts for people among the program matter. Same options, same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

struct CorpusOptions {
  std::size_t totalBytes = 256u << 20;
  std::size_t fileCount = 512;
  std::size_t distinctTexts = 20000;
  std::uint64_t seed = 1;
};

struct CorpusStats {
  std::size_t files = 0;
  std::size_t bytes = 0;
  std::size_t lines = 0;
  // Texts meant for people written into the sources, counting every repetition.
  std::size_t textOccurrences = 0;
};

// Writes the corpus as CORPUSnnnn.clw files into `directory`, which must exist.
CorpusStats WriteCorpus(const std::filesystem::path& directory, const CorpusOptions& options);

// The text of the given number: distinct numbers give distinct texts of three or more words.
std::string CorpusText(std::size_t index);

// One source file of about `bytes` bytes, as WriteCorpus writes them; for in-process benchmarks.
std::string MakeSourceFile(std::size_t bytes, std::size_t distinctTexts, std::uint64_t seed);
