#include "lang/sources.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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
#include "scan/text_file.h"
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

// A text first found on a logical line after the first of its file: the lines before may begin
// its statement.
struct ContinuedText {
  std::size_t text;
  std::size_t file;
  std::size_t start;  // the physical line its logical line starts on
  std::string code;   // that logical line
  std::size_t quote;
  bool tildePiece;
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
    std::size_t known = uses_.texts.size();
    std::size_t number = Number(text, place);
    if (uses_.texts.size() != known && place.start > 1 && place.file != nullptr &&
        place.file->LineBeforeMayContinue()) {  // first found, maybe continued
      bool tildePiece = text.data() != place.code + place.quote + 1;
      continued_.push_back(ContinuedText{number, uses_.files.size() - 1, place.start, place.code,
                                         place.quote, tildePiece});
    }
    places_.push_back(Place{
        static_cast<std::uint32_t>(number), static_cast<std::uint32_t>(uses_.files.size() - 1),
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

  const std::vector<ContinuedText>& Continued() const { return continued_; }

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
  std::vector<Place> places_;             // every place, in scan order
  std::vector<ContinuedText> continued_;  // in scan order
};

// Where a statement goes on past a physical line: at the line's continuation bar, the last
// character outside its strings and its comment but blanks; npos where it ends there.
std::size_t ContinuationBar(std::string_view line) {
  std::size_t bar = std::string_view::npos;
  if (line.find('|') == std::string_view::npos) return bar;  // most lines: found much sooner
  bool inString = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    inString = inString != (c == '\'');
    if (c == '!' && !inString) break;
    if (c != ' ' && c != '\t' && c != '\r')
      bar = c == '|' && !inString ? i : std::string_view::npos;
  }
  return bar;
}

// Where the line `lines` lines after the one starting at `at` starts; npos past the end. The
// line feeds are counted a block at a time, a loop compilers run many bytes at once.
std::size_t LinesOn(std::string_view bytes, std::size_t at, std::size_t lines) {
  if (at > bytes.size()) return std::string_view::npos;
  constexpr std::size_t kBlock = 128;  // fewer than 256, so a block's count fits in a byte
  while (lines > 0 && bytes.size() - at >= kBlock) {
    unsigned char inBlock = 0;
    for (std::size_t i = 0; i < kBlock; ++i) inBlock += bytes[at + i] == '\n' ? 1 : 0;
    if (inBlock >= lines) break;
    lines -= inBlock;
    at += kBlock;
  }
  for (; lines > 0 && at != std::string_view::npos; --lines) {
    at = bytes.find('\n', at);
    at = at == std::string_view::npos ? at : at + 1;
  }
  return at;
}

// Describes each continued text again as a part of its whole statement: the lines from the
// statement's first, each up to its bar, joined before the text's logical line. The sources are
// read again only for this, as bytes: the scan delivers the lines that hold a quote, alone.
void DescribeInStatements(SourceUses& uses, const std::vector<std::string>& openNames,
                          const std::vector<ContinuedText>& continued) {
  std::string bytes;
  std::size_t file = SIZE_MAX;
  std::size_t line = 1, at = 0;  // the line the texts of the file have reached, and its start
  std::size_t knownAt = 0;       // where the last text's line starts, with its statement before it
  std::string knownStatement;
  for (const ContinuedText& text : continued) {
    std::string_view code = text.code;
    if (text.file != file) {
      file = text.file;
      bytes.clear();
      line = 1, at = 0;
      knownAt = 0;
      knownStatement.clear();
      // The lines a text was found on, and those before them, come before any end-of-file byte.
      std::error_code error;
      std::uintmax_t size = std::filesystem::file_size(openNames[file], error);
      std::FILE* stream = error ? nullptr : std::fopen(openNames[file].c_str(), "rb");
      if (stream != nullptr) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), stream));
        std::fclose(stream);
      }
    }
    // The texts of a file come in the order of their lines.
    at = LinesOn(bytes, at, text.start - line);
    line = text.start;
    // Up to its first quote, a logical line is its first physical line as written. A piece of a
    // line cut for its length, and a file changed since the scan, are left as they are.
    std::size_t head = code.find('\'');
    if (at == std::string::npos || bytes.compare(at, head, code.substr(0, head)) != 0) continue;
    // Walked back up to the line of the text before it, if need be, whose statement is known:
    // many texts of one long statement (a LIST's FORMAT, say) cost one walk, not one each.
    std::string statement;  // the statement's lines before the text's
    std::size_t end = at;
    while (end > 0 && end != knownAt) {
      std::size_t lineFeed = end >= 2 ? bytes.rfind('\n', end - 2) : std::string::npos;
      std::size_t begin = lineFeed == std::string::npos ? 0 : lineFeed + 1;
      std::string_view previous = std::string_view(bytes).substr(begin, end - 1 - begin);
      std::size_t bar = ContinuationBar(previous);
      if (bar == std::string_view::npos) break;
      statement.insert(0, std::string(previous.substr(0, bar)) + ' ');
      end = begin;
    }
    if (end == knownAt && end > 0) statement.insert(0, knownStatement);
    knownAt = at;
    knownStatement = statement;
    if (statement.empty()) continue;
    std::size_t quote = statement.size() + text.quote;
    uses.texts[text.text].use = DescribeUse(statement.append(code), quote, text.tildePiece);
  }
}

// Stops the observation however the scan ends.
class Observing {
 public:
  explicit Observing(ScanObserver& observer) { SetScanObserver(&observer); }
  Observing(const Observing&) = delete;
  Observing& operator=(const Observing&) = delete;
  ~Observing() { SetScanObserver(nullptr); }
};

}  // namespace

std::size_t ScanSources(const std::string& mask, const BaseFiles& files,
                        std::vector<std::string>* scanned) {
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
        if (!skip && scanned != nullptr) scanned->emplace_back(entry);
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
  std::vector<std::string> openNames;
  {
    Observing observing(collector);
    leftOut = ScanSources(mask, files, &openNames);
  }
  SourceUses uses = collector.Take();
  DescribeInStatements(uses, openNames, collector.Continued());
  uses.leftOut = leftOut;
  return uses;
}

std::string LeftOutOfScan(std::size_t leftOut) {
  if (leftOut == 0) return {};
  return ", " + Counted(leftOut, "translation file") + " left out";
}
