#include "lang/sources.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <utility>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "common/settings.h"
#include "driver/run.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/notes.h"
#include "lang/progress.h"
#include "output/outputs.h"
#include "platform/lang_platform.h"
#include "platform/platform.h"
#include "scan/scanner.h"
#include "translation/diagnostic.h"

namespace {

// Whether an entry is a file of translations, whatever the mask: the CRT, BAS, LST and OBS files
// of every language (a CRT file is Clarion, included by the program, and its translations would
// come back as texts of the sources), PO files and templates, and a PO file's backup.
bool IsTranslationFile(std::string_view name) {
  for (std::string_view ending : {".CRT", ".BAS", ".LST", ".OBS", ".po", ".pot", ".po~"}) {
    if (EndsWithIgnoringAsciiCase(name, ending)) return true;
  }
  return false;
}

// The files whose entries a scan passes over: quotex-lang's own, and every file of translations.
class OwnFiles {
 public:
  explicit OwnFiles(const BaseFiles& files) {
    for (const std::string& name : files.Replaceable()) {
      if (std::optional<FileIdentity> identity = IdentityOf(name.c_str())) {
        existing_.push_back(*identity);
      }
    }
  }

  bool Includes(const char* entry) const {
    if (IsOwnWorkFile(entry) || IsTranslationFile(entry)) return true;
    std::optional<FileIdentity> identity = IdentityOf(entry);
    return identity && std::find(existing_.begin(), existing_.end(), *identity) != existing_.end();
  }

 private:
  std::vector<FileIdentity> existing_;  // of those that exist before the scan
};

// Collects where each text the scan finds is used. Each place is noted at the end of one log,
// which is sorted out by text at the end: a vector of places for each text instead (a cache miss
// for each place) made export --sources 8% slower on an application of 12.7 MB, and 1.6 times
// as slow as update on the benchmark's 256 MB.
class UsesCollector : public ScanObserver {
 public:
  explicit UsesCollector(const std::atomic<bool>* stop) : stop_(stop) {}

  bool NeedsLines() const override { return true; }

  void OnFile(const char* name) override {
    if (stop_ != nullptr && stop_->load()) throw ScanStopped();
    uses_.files.emplace_back(name);
  }

  void OnText(std::string_view text, const TextPlace& place) override {
    if (!IsWordlike(text)) return;  // quotex leaves it out
    places_.push_back(
        Place{static_cast<std::uint32_t>(Number(text, place)),
              static_cast<std::uint32_t>(uses_.files.size() - 1),
              static_cast<std::uint32_t>(std::min<std::size_t>(place.line, UINT32_MAX))});
  }

  SourceUses Take() {
    // The places of each text together, in scan order: a counting sort by text.
    std::vector<std::size_t> starts(uses_.texts.size() + 1);
    for (const Place& place : places_) ++starts[place.text + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    uses_.places.resize(places_.size());
    for (const Place& place : places_) {
      uses_.places[next[place.text]++] = PoReference{place.file, place.line};
    }
    for (std::size_t text = 0; text < uses_.texts.size(); ++text) {
      // Each FILE:LINE once: the places of one line come one after the other.
      auto first = uses_.places.begin() + static_cast<std::ptrdiff_t>(starts[text]);
      auto last = uses_.places.begin() + static_cast<std::ptrdiff_t>(starts[text + 1]);
      uses_.texts[text].references = std::span(first, std::unique(first, last));
    }
    return std::move(uses_);  // the views stay valid: the vector moves, not its places
  }

 private:
  struct Place {
    std::uint32_t text;  // its number in uses_
    std::uint32_t file;
    std::uint32_t line;
  };

  // The number of a text, numbering it when it comes first.
  std::size_t Number(std::string_view text, const TextPlace& place) {
    // Two texts that differ only in how a tab is written are one text of the CRT file, used at
    // the places of both; CrtText changes no other text.
    std::string converted;
    std::string_view crtText = text;
    if (text.find("<9>") != std::string_view::npos) {
      crtText = converted = CrtText(std::string(text).c_str());
    }
    auto found = uses_.numbers.find(crtText);
    if (found == uses_.numbers.end()) {
      found = uses_.numbers.emplace(crtText, uses_.texts.size()).first;
      bool tildePiece = text.data() != place.code + place.quote + 1;
      uses_.texts.push_back(TextUses{{}, DescribeUse(place.code, place.quote, tildePiece)});
    }
    return found->second;
  }

  const std::atomic<bool>* stop_;
  SourceUses uses_;
  std::vector<Place> places_;  // every place, in scan order
};

// Stops the observation however the scan ends.
class Observing {
 public:
  explicit Observing(ScanObserver& observer) { SetScanObserver(&observer); }
  Observing(const Observing&) = delete;
  Observing& operator=(const Observing&) = delete;
  ~Observing() { SetScanObserver(nullptr); }
};

}  // namespace

std::size_t ScanSources(const std::string& mask, const BaseFiles& files) {
  Settings.wrappedAsCompiled = true;
  OwnFiles own(files);
  DirectorySearch search;
  if (!search.First(mask.c_str())) {
    throw LangError(mask, "no file in the current directory matches this mask");
  }
  std::size_t leftOut = 0;
  // quotex leaves the end of a longer name after a shorter one; this line is blanked out.
  ConsoleLine progress;
  std::vector<std::string> unreadable = ScanEntries(
      search,
      [&](const char* entry) {
        bool skip = own.Includes(entry);
        // The command's own locks are there during every scan, and hold no translation.
        leftOut += skip && !EndsWithIgnoringAsciiCase(entry, kLockEnding);
        return skip;
      },
      [&progress](const char* shown) { progress.Show(shown); });
  search.Close();
  progress.Clear();
  if (unreadable.empty()) return leftOut;
  for (const std::string& name : unreadable) {
    std::fprintf(stderr, "%s: error: cannot read this source to its end\n", name.c_str());
  }
  throw LangError(files.crt, "nothing was written, since not every source could be read");
}

std::vector<std::string> SourceFiles(const std::string& mask, const BaseFiles& files) {
  OwnFiles own(files);
  DirectorySearch search;
  if (!search.First(mask.c_str())) {
    throw LangError(mask, "no file in the current directory matches this mask");
  }
  std::vector<std::string> names;
  do {
    if (!own.Includes(search.OpenName()) && IsScannable(search.OpenName())) {
      names.emplace_back(search.OpenName());
    }
  } while (search.Next());
  return names;
}

SourceUses ScanSourceUses(const std::string& mask, const BaseFiles& files,
                          const std::atomic<bool>* stop) {
  UsesCollector collector(stop);
  std::size_t leftOut = 0;
  {
    Observing observing(collector);
    leftOut = ScanSources(mask, files);
  }
  SourceUses uses = collector.Take();
  uses.leftOut = leftOut;
  return uses;
}

std::string LeftOutOfScan(std::size_t leftOut) {
  if (leftOut == 0) return {};
  return ", " + Counted(leftOut, "translation file") + " left out";
}
