// In-process benchmarks of the hot paths: reading logical lines, scanning files and lines,
// adding texts to the catalogue and writing the outputs, each reporting bytes per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "common/settings.h"
#include "corpus.h"
#include "output/outputs.h"
#include "scan/scanner.h"
#include "scan/text_file.h"

namespace {

constexpr std::size_t kSourceBytes = 16u << 20;
constexpr std::size_t kSourceTexts = 20000;

// A scratch directory for the benchmarks' files, removed at exit.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quotex-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const Scratch& ScratchDirectory() {
  static Scratch scratch;
  return scratch;
}

// The generated source file every reading benchmark uses, written once.
const std::string& SourceFileName() {
  static const std::string name = [] {
    std::string path = (ScratchDirectory().path() / "SOURCE.CLW").string();
    std::string source = MakeSourceFile(kSourceBytes, kSourceTexts, 1);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(source.data(), 1, source.size(), file);
    std::fclose(file);
    return path;
  }();
  return name;
}

std::int64_t SourceFileSize() {
  return static_cast<std::int64_t>(std::filesystem::file_size(SourceFileName()));
}

void ClearCatalogue() {
  List.Clear();
  Index.Clear();
}

void BM_ReadLine(benchmark::State& state) {
  const std::string& name = SourceFileName();
  char line[kLineSize];
  for (auto _ : state) {
    TextFile file;
    file.Open(name.c_str(), "rt");
    while (file.ReadLine(line, sizeof line)) benchmark::DoNotOptimize(line[0]);
  }
  state.SetBytesProcessed(state.iterations() * SourceFileSize());
}
BENCHMARK(BM_ReadLine)->Unit(benchmark::kMillisecond);

void BM_ScanFile(benchmark::State& state) {
  const std::string& name = SourceFileName();
  for (auto _ : state) {
    state.PauseTiming();
    ClearCatalogue();
    state.ResumeTiming();
    ScanFile(name.c_str());
  }
  ClearCatalogue();
  state.SetBytesProcessed(state.iterations() * SourceFileSize());
}
BENCHMARK(BM_ScanFile)->Unit(benchmark::kMillisecond);

void BM_ScanLine(benchmark::State& state) {
  std::vector<std::string> lines;
  std::int64_t bytes = 0;
  {
    TextFile file;
    file.Open(SourceFileName().c_str(), "rt");
    char line[kLineSize];
    while (file.ReadLine(line, sizeof line)) {
      lines.emplace_back(line);
      bytes += static_cast<std::int64_t>(lines.back().size());
    }
  }
  for (auto _ : state) {
    state.PauseTiming();
    ClearCatalogue();
    state.ResumeTiming();
    for (const std::string& line : lines) ScanLine(line.c_str());
  }
  ClearCatalogue();
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ScanLine)->Unit(benchmark::kMillisecond);

// Offers every text once, then a million repeats of them, the frequent ones more often.
std::vector<std::string> TextOffers(std::size_t distinct) {
  std::vector<std::string> offers;
  for (std::size_t i = 0; i < distinct; ++i) offers.push_back(CorpusText(i));
  std::uint64_t state = 1;
  for (std::size_t i = 0; i < 1000000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double u = static_cast<double>(state >> 11) / 9007199254740992.0;
    offers.push_back(CorpusText(static_cast<std::size_t>(u * u * static_cast<double>(distinct))));
  }
  return offers;
}

void BM_AddText(benchmark::State& state) {
  std::vector<std::string> offers = TextOffers(static_cast<std::size_t>(state.range(0)));
  std::int64_t bytes = 0;
  for (const std::string& offer : offers) bytes += static_cast<std::int64_t>(offer.size());
  for (auto _ : state) {
    state.PauseTiming();
    ClearCatalogue();
    state.ResumeTiming();
    for (const std::string& offer : offers) AddText(offer);
  }
  ClearCatalogue();
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(offers.size()));
}
BENCHMARK(BM_AddText)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_WriteOutputs(benchmark::State& state) {
  std::size_t distinct = static_cast<std::size_t>(state.range(0));
  std::int64_t bytes = 0;
  ClearCatalogue();
  for (std::size_t i = 0; i < distinct; ++i) {
    std::string text = CorpusText(i);
    AddText(text);
    bytes += static_cast<std::int64_t>(text.size());
  }
  std::string base = (ScratchDirectory().path() / "out").string();
  for (auto _ : state) {
    SetOutputBaseName(base.c_str());
    OpenOutputs();
    WriteOutputs();
    CloseOutputs();
  }
  ClearCatalogue();
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(distinct));
}
BENCHMARK(BM_WriteOutputs)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
