// The suggestion search on the texts of a new release: generates the texts of an application
// whose previous release's texts partly changed a little (a word changed or added, a typo fixed,
// punctuation or case changed), writes them as the files `quotex-lang export` and
// `msgmerge --previous` read, and times the search for every current text in this process.
//
// Writes into DIRECTORY: BENCH.CRT (the current texts, untranslated), BENCH.OBS (the obsolete
// texts with their translations, in cp1252), old.po (the same translations) and new.pot (the
// current texts). Prints one line of key=value pairs; the search time includes building the
// index. --compare-all also compares every current
// text with every obsolete one and fails unless both searches give the same suggestions.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "lang/suggestions.h"
#include "translation/notation.h"

namespace {

constexpr char kUsage[] =
    "usage: quotex_suggestions DIRECTORY [--current N] [--obsolete N] [--seed N] "
    "[--compare-all]\n";

// The words of a business application, the more frequent ones first.
constexpr std::array<std::string_view, 112> kNouns = {
    "customer",    "invoice",    "order",     "product",    "record",      "date",
    "name",        "number",     "amount",    "address",    "supplier",    "payment",
    "account",     "file",       "report",    "item",       "price",       "quantity",
    "contact",     "employee",   "total",     "balance",    "stock",       "status",
    "user",        "password",   "phone",     "email",      "note",        "code",
    "category",    "group",      "region",    "country",    "city",        "currency",
    "rate",        "discount",   "tax",       "credit",     "limit",       "delivery",
    "shipment",    "receipt",    "quotation", "contract",   "project",     "task",
    "period",      "year",       "month",     "week",       "reference",   "description",
    "batch",       "location",   "warehouse", "department", "purchase",    "sale",
    "refund",      "journal",    "ledger",    "entry",      "transaction", "bank",
    "cheque",      "reminder",   "letter",    "label",      "template",    "document",
    "attachment",  "image",      "message",   "list",       "filter",      "view",
    "column",      "field",      "value",     "unit",       "weight",      "size",
    "colour",      "serial",     "licence",   "branch",     "company",     "manager",
    "salesperson", "commission", "budget",    "expense",    "asset",       "inventory",
    "transfer",    "backorder",  "printer",   "page",       "backup",      "setting",
    "option",      "folder",     "schedule",  "vendor",     "return",      "terms",
    "memo",        "format",     "language",  "holiday",
};
constexpr std::array<std::string_view, 40> kVerbs = {
    "update",  "delete",    "insert",   "print",   "select", "change", "browse",  "view",
    "export",  "import",    "save",     "open",    "close",  "copy",   "post",    "approve",
    "reject",  "send",      "receive",  "check",   "find",   "search", "sort",    "restore",
    "archive", "calculate", "generate", "assign",  "remove", "create", "edit",    "enter",
    "choose",  "load",      "refresh",  "confirm", "cancel", "merge",  "process", "transfer",
};
constexpr std::array<std::string_view, 40> kAdjectives = {
    "new",         "last",    "first",     "next",     "previous", "default",   "current",
    "open",        "closed",  "paid",      "unpaid",   "overdue",  "active",    "inactive",
    "invalid",     "missing", "duplicate", "selected", "monthly",  "yearly",    "daily",
    "net",         "gross",   "minimum",   "maximum",  "local",    "foreign",   "main",
    "alternative", "primary", "optional",  "required", "pending",  "completed", "posted",
    "archived",    "total",   "average",   "expected", "final",
};

class ReleaseTexts {
 public:
  explicit ReleaseTexts(std::uint64_t seed) : state_(seed) {}

  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Random() % n); }

  // A text of one of the shapes an application shows: window titles, prompts, tips, messages,
  // column headings, report lines.
  std::string Fresh() {
    std::string noun = Noun(), other = Noun(), verb = Word(kVerbs), adjective = Word(kAdjectives);
    switch (Below(14)) {
      case 0:
        return Title(verb + " " + noun);
      case 1:
        return Title(noun + " " + other + "s");
      case 2:
        return Title(adjective + " " + noun + "s");
      case 3:
        return std::string("&") + Capital(adjective + " " + noun) + ":";
      case 4:
        return Capital(noun + " " + other) + ":";
      case 5:
        return "Enter the " + noun + "'s " + other;
      case 6:
        return "Select the " + noun + " to " + verb;
      case 7:
        return Capital(verb) + " the " + adjective + " " + noun;
      case 8:
        return "Are you sure you want to " + verb + " this " + noun + "?";
      case 9:
        return "The " + noun + " " + other + " must not be empty.";
      case 10:
        return "Could not " + verb + " the " + noun + " file. Please check the " + other +
               " and try again.";
      case 11:
        return "There are " + adjective + " " + noun + "s for this " + other + ". Do you want to " +
               verb + " them?";
      case 12:
        return Capital(noun) + "s by " + other;
      default:
        return Capital(adjective + " " + noun);
    }
  }

  // The text as the previous release had it, for a text of this release, and the other way
  // round: "typo fixed" gives the old text, every other change the new one.
  std::string Typo(std::string text) {
    std::size_t at = 1 + Below(text.size() - 2);
    switch (Below(3)) {
      case 0:
        std::swap(text[at], text[at + 1]);
        break;
      case 1:
        text.erase(at, 1);
        break;
      default:
        text.insert(at, 1, text[at]);
        break;
    }
    return text;
  }
  std::string Changed(std::string text) {
    std::size_t space = text.find(' ', Below(text.size()));
    switch (Below(4)) {
      case 0: {  // a word changed
        std::size_t start = text.rfind(' ', space == std::string::npos ? text.size() : space - 1);
        start = start == std::string::npos ? 0 : start + 1;
        std::size_t end = text.find_first_of(" .:?'", start);
        if (end == std::string::npos) end = text.size();
        return text.replace(start, end - start, start == 0 ? Capital(Noun()) : Noun());
      }
      case 1:  // a word added
        return space == std::string::npos
                   ? text + " " + Noun()
                   : text.insert(space, std::string(" ") + Word(kAdjectives));
      case 2: {  // punctuation changed
        char last = text.back();
        if (last == '.' || last == ':' || last == '?') return text.substr(0, text.size() - 1);
        return text + (Below(2) ? "..." : ":");
      }
      default: {  // letter case changed
        std::size_t word = text.find(' ');
        if (word == std::string::npos || word + 1 >= text.size()) return text + ".";
        char& c = text[word + 1];
        c = static_cast<char>(c >= 'a' && c <= 'z'   ? c - 'a' + 'A'
                              : c >= 'A' && c <= 'Z' ? c - 'A' + 'a'
                                                     : c);
        return text;
      }
    }
  }

 private:
  std::uint64_t Random() {  // splitmix64: the same numbers on every platform
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // Earlier words more often, as a few words make up most of an application's texts.
  template <std::size_t N>
  std::string Word(const std::array<std::string_view, N>& words) {
    double u = static_cast<double>(Random() >> 11) / 9007199254740992.0;
    return std::string(words[static_cast<std::size_t>(u * u * N)]);
  }
  std::string Noun() { return Word(kNouns); }
  static std::string Capital(std::string text) {
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
  }
  static std::string Title(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if ((i == 0 || text[i - 1] == ' ') && text[i] >= 'a' && text[i] <= 'z') {
        text[i] = static_cast<char>(text[i] - 'a' + 'A');
      }
    }
    return text;
  }

  std::uint64_t state_;
};

// A stand-in translation in cp1252, with the umlauts a German one has: each word backwards.
std::string Translation(std::string_view text) {
  std::string translation;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = std::min(text.find(' ', start), text.size());
    std::string word(text.substr(start, end - start));
    std::reverse(word.begin(), word.end());
    for (char& c : word) {
      if (c == 'a') c = '\xE4';
      if (c == 'o') c = '\xF6';
    }
    translation += word;
    if (end < text.size()) translation += ' ';
    start = end + 1;
  }
  return translation;
}

std::string Utf8(std::string_view cp1252) {  // the texts hold no byte from 0x80 to 0x9F
  std::string utf8;
  for (char c : cp1252) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | byte >> 6);
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string PoString(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot create " + path.string());
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path.string());
}

// A file in the layout quotex writes a CRT file in.
std::string CrtFile(const std::vector<std::string>& texts,
                    const std::vector<std::string>& translations) {
  std::string crt = "LANGUAGE GROUP\r\nItems      USHORT(" + std::to_string(texts.size()) + ")\r\n";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    crt += "           PSTRING('" + EncodeNotation(texts[i]) + "')\r\n";
    crt += "           PSTRING('" + EncodeNotation(translations[i]) + "')\r\n";
  }
  return crt + "   END\r\n";
}

std::string PoFile(const std::vector<std::string>& texts,
                   const std::vector<std::string>& translations) {
  std::string po =
      "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: BENCH\\n\"\n\"MIME-Version: 1.0\\n\"\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    po += "\nmsgid " + PoString(Utf8(texts[i])) + "\nmsgstr " + PoString(Utf8(translations[i])) +
          "\n";
  }
  return po;
}

std::size_t ParseCount(const char* text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') throw std::invalid_argument(std::string("not a count: ") + text);
  return static_cast<std::size_t>(value);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    std::size_t currentCount = 16000, obsoleteCount = 5000, seed = 1;
    bool compareAll = false;
    for (int i = 2; i < argc; ++i) {
      std::string option = argv[i];
      if (option == "--compare-all") {
        compareAll = true;
      } else if (i + 1 < argc && option == "--current") {
        currentCount = ParseCount(argv[++i]);
      } else if (i + 1 < argc && option == "--obsolete") {
        obsoleteCount = ParseCount(argv[++i]);
      } else if (i + 1 < argc && option == "--seed") {
        seed = ParseCount(argv[++i]);
      } else {
        std::fputs(kUsage, stderr);
        return 2;
      }
    }

    // Three in four obsolete texts live on as a near variant among the current ones; the
    // other current texts are new.
    ReleaseTexts maker(seed);
    std::unordered_set<std::string> taken;
    auto unique = [&](auto make) {
      for (;;) {
        std::string text = make();
        if (taken.insert(text).second) return text;
      }
    };
    std::vector<std::string> obsolete, current;
    std::vector<std::size_t> madeFrom;  // per current text: its obsolete text, or npos
    std::size_t variants = std::min(obsoleteCount * 3 / 4, currentCount);
    for (std::size_t i = 0; i < obsoleteCount; ++i) {
      std::string text = unique([&] { return maker.Fresh(); });
      if (i < variants) {
        std::string variant;
        if (maker.Below(5) == 0) {  // the obsolete text had a typo
          variant = text;
          text = unique([&] { return maker.Typo(variant); });
        } else {
          variant = unique([&] { return maker.Changed(text); });
        }
        current.push_back(variant);
        madeFrom.push_back(i);
      }
      obsolete.push_back(text);
    }
    while (current.size() < currentCount) {
      current.push_back(unique([&] { return maker.Fresh(); }));
      madeFrom.push_back(std::string::npos);
    }
    for (std::size_t i = current.size(); i > 1; --i) {  // the changed texts anywhere
      std::size_t j = maker.Below(i);
      std::swap(current[i - 1], current[j]);
      std::swap(madeFrom[i - 1], madeFrom[j]);
    }
    std::vector<std::string> translations, empty(current.size());
    for (const std::string& text : obsolete) translations.push_back(Translation(text));

    std::filesystem::path directory = argv[1];
    WriteFile(directory / "BENCH.CRT", CrtFile(current, empty));
    WriteFile(directory / "BENCH.OBS", CrtFile(obsolete, translations));
    WriteFile(directory / "old.po", PoFile(obsolete, translations));
    WriteFile(directory / "new.pot", PoFile(current, empty));

    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    std::vector<SuggestionCandidate> candidates;
    for (std::size_t i = 0; i < obsolete.size(); ++i) candidates.push_back({obsolete[i], i});
    SuggestionIndex index(candidates, current.size());  // as export shares the work
    std::vector<std::optional<Suggestion>> suggestions;
    for (const std::string& text : current) suggestions.push_back(index.Find(text));
    double seconds = SecondsSince(start);
    double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    std::size_t suggested = 0, variantsFound = 0, textBytes = 0, stringBytes = 0;
    for (std::size_t i = 0; i < current.size(); ++i) {
      suggested += suggestions[i].has_value();
      variantsFound += suggestions[i] && suggestions[i]->payload == madeFrom[i];
    }
    for (const std::string& text : obsolete) {
      textBytes += text.size();
      // What holding the texts as strings takes: the object, and a block of the heap for a
      // text too long for the string itself (16-byte steps, 8 for the allocator's own use).
      stringBytes += sizeof(std::string);
      if (text.size() >= 16) stringBytes += (text.size() + 1 + 8 + 15) / 16 * 16;
    }
    std::printf(
        "search_seconds=%.4f search_cpu_seconds=%.4f current=%zu obsolete=%zu suggestions=%zu "
        "variants=%zu variants_found=%zu index_bytes=%zu text_bytes=%zu string_bytes=%zu",
        seconds, cpuSeconds, current.size(), obsolete.size(), suggested, variants, variantsFound,
        index.MemoryBytes(), textBytes, stringBytes);

    if (compareAll) {
      start = std::chrono::steady_clock::now();
      std::size_t differences = 0;
      for (std::size_t i = 0; i < current.size(); ++i) {
        std::optional<Suggestion> best;
        for (std::size_t j = 0; j < obsolete.size(); ++j) {
          double ratio = SimilarityRatio(current[i], obsolete[j]);
          if (ratio >= kSuggestionThreshold && (!best || ratio > best->ratio))
            best = Suggestion{j, ratio};
        }
        bool same = best.has_value() == suggestions[i].has_value() &&
                    (!best || (best->payload == suggestions[i]->payload &&
                               best->ratio == suggestions[i]->ratio));
        differences += !same;
      }
      std::printf(" compare_all_seconds=%.4f differences=%zu", SecondsSince(start), differences);
      if (differences != 0) {
        std::printf("\n");
        return 1;
      }
    }
    std::printf("\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quotex_suggestions: %s\n", error.what());
    return 1;
  }
  return 0;
}
