#include "lang/sources.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "driver/run.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/notes.h"
#include "output/outputs.h"
#include "platform/platform.h"
#include "scan/scanner.h"

namespace {

// The files whose entries a scan passes over: quotex-lang's own.
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
    if (IsOwnWorkFile(entry)) return true;
    std::optional<FileIdentity> identity = IdentityOf(entry);
    return identity && std::find(existing_.begin(), existing_.end(), *identity) != existing_.end();
  }

 private:
  std::vector<FileIdentity> existing_;  // of those that exist before the scan
};

// Numbers the distinct texts of a scan in the order they first come, and tells which are
// wordlike: what the catalogue does for quotex, without keeping them in order or writing them.
// Looking a text up is most of a scan's work: an open table whose slots hold each text's hash
// and where its bytes are, kept close together, costs a fraction of a lookup in the catalogue's
// fixed buckets, which stay as quotex has them. Export --sources took 40% longer through the
// catalogue. (The standard library has no such table: its maps keep each entry apart.)
class TextNumbers {
 public:
  static constexpr std::uint32_t kNotWordlike = UINT32_MAX;

  TextNumbers() : slots_(kFirstSlots) {}

  // The number of `text`, numbering it when it comes first; kNotWordlike for a text that is
  // not wordlike. `isNew` tells whether it came first now.
  std::uint32_t Number(std::string_view text, bool& isNew) {
    std::uint32_t hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(text));
    std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (slot.key == nullptr) break;
      if (slot.hash == hash && std::string_view(slot.key, slot.length) == text) {
        isNew = false;
        return slot.number;
      }
    }
    isNew = true;
    if (texts_ == kNotWordlike - 1 || text.size() > UINT32_MAX) throw std::bad_alloc();
    std::uint32_t number = IsWordlike(text) ? texts_++ : kNotWordlike;
    if (2 * (used_ + 1) > slots_.size()) Grow();
    Place(Slot{Keep(text), static_cast<std::uint32_t>(text.size()), hash, number});
    ++used_;
    return number;
  }

 private:
  struct Slot {
    const char* key = nullptr;  // none: the slot is free
    std::uint32_t length = 0;
    std::uint32_t hash = 0;
    std::uint32_t number = 0;
  };

  static constexpr std::size_t kFirstSlots = std::size_t{1} << 15;
  static constexpr std::size_t kKeyBlock = std::size_t{1} << 20;

  void Place(const Slot& slot) {
    std::size_t mask = slots_.size() - 1;
    std::size_t at = slot.hash & mask;
    while (slots_[at].key != nullptr) at = (at + 1) & mask;
    slots_[at] = slot;
  }

  void Grow() {
    std::vector<Slot> old(2 * slots_.size());
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.key != nullptr) Place(slot);
    }
  }

  // A copy of `text` that stays where it is: the texts one after the other in large blocks.
  const char* Keep(std::string_view text) {
    char* key = nullptr;
    if (text.size() > kKeyBlock) {
      key = keys_.emplace_back(std::make_unique_for_overwrite<char[]>(text.size())).get();
    } else {
      if (keyBlock_ == nullptr || kKeyBlock - keyUsed_ < text.size()) {
        keyBlock_ = keys_.emplace_back(std::make_unique_for_overwrite<char[]>(kKeyBlock)).get();
        keyUsed_ = 0;
      }
      key = keyBlock_ + keyUsed_;
      keyUsed_ += text.size();
    }
    std::copy(text.begin(), text.end(), key);
    return key;
  }

  std::vector<Slot> slots_;  // a power of two of them, at most half used
  std::size_t used_ = 0;
  std::uint32_t texts_ = 0;  // wordlike ones numbered
  std::vector<std::unique_ptr<char[]>> keys_;
  char* keyBlock_ = nullptr;  // the last block of keys_ with room
  std::size_t keyUsed_ = 0;
};

// Collects the places of the texts the scan offers. A source of some size offers millions of
// them and only thousands of distinct texts, so the work done for each place is kept to noting
// two numbers at the end of one log; they are sorted out by text at the end, and become text
// only as the PO file is written. On the benchmark's 256 MB (1.7 million places of 20,000
// texts), a vector of places for each text made export --sources 30% slower than this log, runs
// of places for each text carved out of large blocks twice as slow (each place a cache miss),
// and a map from text to places and references made text along the way four times slower. The
// log and its sorted copy are large arrays: fresh small pages cost more than the sorting.
class UsesCollector : public ScanObserver {
 public:
  explicit UsesCollector(const std::atomic<bool>* stop) : stop_(stop) {}

  bool NeedsLines() const override { return true; }

  void OnFile(const char* name) override {
    if (stop_ != nullptr && stop_->load()) throw ScanStopped();
    uses_.files.emplace_back(name);
    fileStarts_.push_back(places_);
  }

  void OnText(std::string_view text, const TextPlace& place) override {
    bool isNew = false;
    std::uint32_t number = numbers_.Number(text, isNew);
    if (number == TextNumbers::kNotWordlike) return;  // quotex leaves it out
    if (isNew) {
      // Two texts that differ only in how a tab is written are one text of the CRT file, used
      // at the places of both.
      auto [found, added] =
          uses_.numbers.try_emplace(CrtText(std::string(text).c_str()), uses_.texts.size());
      if (added) {
        bool tildePiece = text.data() != place.code + place.quote + 1;
        uses_.texts.push_back(TextUses{{}, DescribeUse(place.code, place.quote, tildePiece)});
      }
      textOf_.push_back(static_cast<std::uint32_t>(found->second));
    }
    if (places_ % kBlock == 0) log_.emplace_back(kBlock);
    log_.back()[places_ % kBlock] = Noted{
        textOf_[number], static_cast<std::uint32_t>(std::min<std::size_t>(place.line, UINT32_MAX))};
    ++places_;
  }

  SourceUses Take() {
    // The places of each text together, in scan order: a counting sort by text.
    std::vector<std::size_t> starts(uses_.texts.size() + 1);
    for (std::size_t place = 0; place < places_; ++place) {
      ++starts[log_[place / kBlock][place % kBlock].text + 1];
    }
    for (std::size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
    LargeArray<PoReference> sorted(places_);
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    std::uint32_t file = 0;
    for (std::size_t place = 0; place < places_; ++place) {
      while (file + 1 < fileStarts_.size() && fileStarts_[file + 1] <= place) ++file;
      const Noted& noted = log_[place / kBlock][place % kBlock];
      sorted[next[noted.text]++] = PoReference{file, noted.line};
      if (place % kBlock == kBlock - 1) log_[place / kBlock] = {};
    }
    log_.clear();

    for (std::size_t i = 0; i < uses_.texts.size(); ++i) {
      // Each FILE:LINE once: the places of one line come one after the other.
      PoReference* first = sorted.data() + starts[i];
      PoReference* kept = first;
      for (PoReference* at = first; at != sorted.data() + starts[i + 1]; ++at) {
        if (kept == first || kept[-1] != *at) *kept++ = *at;
      }
      uses_.texts[i].references = std::span<const PoReference>(first, kept);
    }
    uses_.places = std::move(sorted);  // the views stay valid: the array moves, not its places
    return std::move(uses_);
  }

 private:
  struct Noted {
    std::uint32_t text;  // its number in uses_
    std::uint32_t line;
  };

  // The log grows by blocks of this many places (2 MiB), so that it is never copied as it grows.
  static constexpr std::size_t kBlock = std::size_t{1} << 18;

  const std::atomic<bool>* stop_;
  SourceUses uses_;
  TextNumbers numbers_;
  std::vector<std::uint32_t> textOf_;    // by the table's number: the number in uses_ of its text
  std::vector<LargeArray<Noted>> log_;   // every place, in scan order
  std::size_t places_ = 0;               // in the log
  std::vector<std::size_t> fileStarts_;  // where each file's places start in the log
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

void ScanSources(const std::string& mask, const BaseFiles& files) {
  OwnFiles own(files);
  DirectorySearch search;
  if (!search.First(mask.c_str())) {
    throw LangError(mask, "no file in the current directory matches this mask");
  }
  std::vector<std::string> unreadable =
      ScanEntries(search, [&own](const char* entry) { return own.Includes(entry); });
  search.Close();
  WriteToConsole("\n");
  if (unreadable.empty()) return;
  for (const std::string& name : unreadable) {
    std::fprintf(stderr, "%s: error: cannot read this source to its end\n", name.c_str());
  }
  throw LangError(files.crt, "nothing was written, since not every source could be read");
}

SourceUses ScanSourceUses(const std::string& mask, const BaseFiles& files,
                          const std::atomic<bool>* stop) {
  UsesCollector collector(stop);
  {
    Observing observing(collector);
    ScanSources(mask, files);
  }
  return collector.Take();
}
