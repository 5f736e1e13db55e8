#include "translation/po_exchange.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/ascii.h"
#include "translation/check.h"
#include "translation/notation.h"
#include "translation/utf8.h"

namespace {

// What literal content stands for, as a translator reads it.
std::string Displayed(std::string_view content, const CodePage& codePage) {
  // Most texts hold nothing the notation or the display form changes and nothing beyond ASCII:
  // they read as they are written (a fifth of an export of 20,000 texts went on them otherwise).
  bool plain = std::all_of(content.begin(), content.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 32 && byte < 127 && c != '\'' && c != '<' && c != '{' && c != '\\';
  });
  if (plain) return std::string(content);
  return codePage.ToUtf8(ToDisplayForm(DecodeNotation(content)));
}

// Literal content as written, in UTF-8, with each character that a display form always shows
// as a code shown so, for a PO file to hold.
std::string WrittenSafely(std::string_view content, const CodePage& codePage) {
  std::string safe;
  for (char c : content) {
    if (IsShownAsCode(c)) {
      safe += '<';
      safe += std::to_string(static_cast<unsigned char>(c));
      safe += '>';
    } else {
      safe += c;
    }
  }
  return codePage.ToUtf8(safe);
}

// The message for a string (`what`: "translation", "msgid") that does not convert into the code
// page at `offset`.
std::string UnwritableMessage(std::string_view what, std::string_view utf8, std::size_t offset,
                              const CodePage& codePage) {
  std::size_t end = offset;
  std::optional<char32_t> character = DecodeUtf8(utf8, end);
  if (!character) return std::string(what) + " is not valid UTF-8";
  return std::string(what) + " holds '" + std::string(utf8.substr(offset, end - offset)) + "' (" +
         CodePointName(*character) + "), which " + std::string(codePage.Name()) + " cannot hold";
}

// "Text #2" without its " #2", or none when it does not end so.
std::optional<std::string> WithoutNumber(std::string_view context) {
  std::size_t mark = context.rfind(" #");
  if (mark == std::string_view::npos || mark + 2 == context.size()) return std::nullopt;
  std::string_view number = context.substr(mark + 2);
  if (!std::all_of(number.begin(), number.end(), IsAsciiDigit)) return std::nullopt;
  return std::string(context.substr(0, mark));
}

using PairIndices = std::vector<std::size_t>;

// The pairs of a CRT or OBS file with the translations an import gives them, found by the msgid
// a PO file gives their text, or by the text as written (the msgctxt of older exports).
class ImportTarget {
 public:
  ImportTarget(const CrtDocument& document, const CodePage& codePage)
      : pairs_(document.pairs), codePage_(codePage) {
    std::vector<PoKey> keys = BuildPoKeys(document, codePage);
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
      original_.push_back(pairs_[i].translation);
      keys_.push_back(std::move(keys[i].id));
      Register(i);
    }
  }

  // The pairs with the key `id`, or with the text written `written` (in UTF-8); none when there
  // is none.
  PairIndices WithKey(const std::string& id) const {
    return Find(byKey_, id, [this](std::size_t pair) { return KeyOf(pair); });
  }
  PairIndices WithWrittenText(const std::string& written) const {
    return Find(byWritten_, written, [this](std::size_t pair) { return WrittenOf(pair); });
  }

  // Gives the pairs the translation that stands for `characters`, keeping the one written where
  // it stands for them already.
  void Set(const PairIndices& pairs, const std::string& characters) {
    // Export showed a text listed twice with its first translation that is not empty: those
    // characters back leave all of its pairs as they were, the untranslated ones included.
    for (std::size_t i : pairs) {
      if (i >= original_.size() || original_[i].empty()) continue;
      if (DecodeNotation(original_[i]) != characters) break;
      for (std::size_t each : pairs) {
        if (each < original_.size()) pairs_[each].translation = original_[each];
      }
      return;
    }
    for (std::size_t i : pairs) {
      bool same = i < original_.size() && DecodeNotation(original_[i]) == characters;
      pairs_[i].translation = same ? original_[i] : EncodeNotation(characters);
    }
  }

  // Adds a pair for `text` (as written), found by its display form afterwards.
  void Add(std::string text, const std::string& characters) {
    pairs_.push_back(CrtPair{std::move(text), EncodeNotation(characters)});
    Register(pairs_.size() - 1);
  }

  // Pairs whose translation changed, and pairs added.
  std::size_t Changed() const {
    std::size_t changed = pairs_.size() - original_.size();
    for (std::size_t i = 0; i < original_.size(); ++i) {
      if (pairs_[i].translation != original_[i]) ++changed;
    }
    return changed;
  }

  const std::vector<CrtPair>& Pairs() const { return pairs_; }
  // The pairs, taken out of the target: its last use.
  std::vector<CrtPair> TakePairs() { return std::move(pairs_); }

 private:
  // Each pair under the hash of its key: a key is made again from the pair when it is looked
  // up, rather than kept, since an import of a large PO file adds a pair for each of its texts.
  using Index = std::unordered_multimap<std::size_t, std::size_t>;

  template <typename KeyOfPair>
  static PairIndices Find(const Index& index, const std::string& key, KeyOfPair keyOf) {
    PairIndices pairs;
    auto [first, last] = index.equal_range(std::hash<std::string>()(key));
    for (auto each = first; each != last; ++each) {
      if (keyOf(each->second) == key) pairs.push_back(each->second);
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
  }

  std::string KeyOf(std::size_t pair) const {
    return pair < keys_.size() ? keys_[pair] : Displayed(pairs_[pair].text, codePage_);
  }
  std::string WrittenOf(std::size_t pair) const { return codePage_.ToUtf8(pairs_[pair].text); }

  void Register(std::size_t pair) {
    byKey_.emplace(std::hash<std::string>()(KeyOf(pair)), pair);
    byWritten_.emplace(std::hash<std::string>()(WrittenOf(pair)), pair);
  }

  std::vector<CrtPair> pairs_;
  std::vector<std::string> original_;  // the translations as read
  std::vector<std::string> keys_;      // of the pairs read, as BuildPoKeys gives them
  const CodePage& codePage_;
  Index byKey_;
  Index byWritten_;
};

}  // namespace

std::vector<PoKey> BuildPoKeys(const CrtDocument& crt, const CodePage& codePage) {
  std::vector<PoKey> keys;
  keys.reserve(crt.pairs.size());
  std::unordered_map<std::string_view, std::size_t> firstPairOfText;
  std::unordered_set<std::string_view> used;  // the ids in `keys`, which never grows past its room
  firstPairOfText.reserve(crt.pairs.size());
  used.reserve(crt.pairs.size());
  for (std::size_t i = 0; i < crt.pairs.size(); ++i) {
    const std::string& text = crt.pairs[i].text;
    auto [first, isNew] = firstPairOfText.emplace(text, i);
    if (!isNew) {
      PoKey same = keys[first->second];
      keys.push_back(std::move(same));
      continue;
    }
    if (text.empty()) {
      keys.push_back(PoKey{"", ""});
      continue;
    }
    std::string id = Displayed(text, codePage);
    if (used.contains(id)) {
      std::string written = WrittenSafely(text, codePage);
      id = written;
      for (int number = 2; used.contains(id); ++number) {
        id = written + " #" + std::to_string(number);
      }
    }
    keys.push_back(PoKey{std::nullopt, std::move(id)});
    used.insert(keys.back().id);
  }
  return keys;
}

std::string PoDisplay(std::string_view content, const CodePage& codePage) {
  return Displayed(content, codePage);
}

std::string PoName(std::string_view name, const CodePage& codePage) {
  if (FindInvalidUtf8(name) == std::string_view::npos) return std::string(name);
  return codePage.ToUtf8(name);
}

ExportedEntries ExportEntries(const CrtDocument& crt, const CodePage& codePage) {
  ExportedEntries result;
  result.diagnostics = crt.structureErrors;
  std::vector<PoKey> keys = BuildPoKeys(crt, codePage);
  std::unordered_map<std::string_view, std::size_t> entryOfText;
  entryOfText.reserve(crt.pairs.size());
  result.entries.reserve(crt.pairs.size());
  for (std::size_t i = 0; i < crt.pairs.size(); ++i) {
    const CrtPair& pair = crt.pairs[i];
    auto [found, isNew] = entryOfText.emplace(pair.text, result.entries.size());
    if (isNew) {
      PoEntry& entry = result.entries.emplace_back();
      entry.context = std::move(keys[i].context);
      entry.id = std::move(keys[i].id);
      result.firstPairs.push_back(i);
    }
    PoEntry& entry = result.entries[found->second];
    if (entry.translation.empty() && !pair.translation.empty()) {
      entry.translation = Displayed(pair.translation, codePage);
      ++result.translated;
    }
  }
  SortByLine(result.diagnostics);
  return result;
}

std::optional<std::string> RecordedCodePage(const PoDocument& po) {
  return PoHeaderField(po.header, kCodePageField);
}

ImportResult ImportPo(const CrtDocument& crt, const CrtDocument& obsolete, const PoDocument& po,
                      const CodePage& codePage, const ImportOptions& options) {
  ImportResult result;
  result.diagnostics = po.problems;
  auto report = [&result](std::size_t line, Severity severity, std::string message) {
    result.diagnostics.push_back({line, severity, std::move(message)});
  };
  // Without a recorded code page the file may come from an export that showed the characters
  // themselves and told texts apart by msgctxt, the text as written.
  const bool older = !RecordedCodePage(po);
  ImportTarget current(crt, codePage);
  ImportTarget kept(obsolete, codePage);
  std::size_t toTake = 0;                 // translations the file gives for import to take
  std::vector<std::size_t> setAsideLines;  // of each that has a text in neither file
  for (const PoEntry& entry : po.entries) {
    if (entry.fuzzy && !options.includeFuzzy) {
      if (!entry.translation.empty()) ++result.fuzzyLeftOut;
      continue;
    }
    if (entry.plural) {
      report(entry.line, Severity::kWarning,
             "plural entry left out: a CRT file holds one translation per text");
      ++result.pluralLeftOut;
      continue;
    }
    if (entry.translation.empty()) continue;
    std::string bytes;
    std::size_t bad = 0;
    if (!codePage.FromUtf8(entry.translation, bytes, bad)) {
      report(entry.translationLine, Severity::kError,
             UnwritableMessage("translation", entry.translation, bad, codePage));
      continue;
    }
    const std::string characters = FromDisplayForm(bytes);

    ImportTarget* target = nullptr;
    PairIndices pairs;
    auto look = [&](PairIndices (ImportTarget::*lookup)(const std::string&) const,
                    const std::string& key, bool obsoleteOnly = false) {
      for (ImportTarget* each : {&current, &kept}) {
        if (target != nullptr || (obsoleteOnly && each == &current)) continue;
        if (!(pairs = (each->*lookup)(key)).empty()) target = each;
      }
    };
    const bool byContext = older && entry.context && !entry.id.empty();
    if (byContext) {
      look(&ImportTarget::WithWrittenText, *entry.context);
      std::optional<std::string> unnumbered = WithoutNumber(*entry.context);
      if (unnumbered) look(&ImportTarget::WithWrittenText, *unnumbered);
    } else {
      look(&ImportTarget::WithKey, entry.id);
      std::string shown = ToDisplayForm(entry.id);
      if (older && shown != entry.id) look(&ImportTarget::WithKey, shown);
      // Earlier exports showed a carriage return as itself.
      if (entry.id.find('\r') != std::string::npos) {
        look(&ImportTarget::WithKey, ToDisplayForm(FromDisplayForm(entry.id)));
      }
    }

    // A translation the file holds already is taken as it stands, without a word: an export
    // and an import of it change nothing.
    const CrtDocument& held = target == &current ? crt : obsolete;
    bool unchanged = target != nullptr && pairs.front() < held.pairs.size() &&
                     DecodeNotation(held.pairs[pairs.front()].translation) == characters;
    if (std::string tooLong = LengthProblem(characters); !tooLong.empty() && !unchanged) {
      // Only a translation that makes its pair too long for the group is refused: where the
      // text is already longer, as quotex writes a long literal, the pair is no worse for it
      // (check warns of both).
      std::string text;
      if (!codePage.FromUtf8(entry.id, text, bad) ||
          FromDisplayForm(text).size() <= kMaxPstringLength) {
        report(entry.translationLine, Severity::kError, std::move(tooLong));
        continue;
      }
      report(entry.translationLine, Severity::kWarning, std::move(tooLong));
    }
    ++toTake;

    if (target == &current) {
      if (!unchanged) {
        const std::string text = DecodeNotation(crt.pairs[pairs.front()].text);
        for (std::string& warning : TranslationWarnings(text, characters)) {
          report(entry.translationLine, Severity::kWarning, std::move(warning));
        }
      }
      current.Set(pairs, characters);
      continue;
    }
    if (target == nullptr) {
      // A text the CRT file does not hold: its translation is kept in the OBS file, in the pair
      // whose text stands for the same characters if there is one, so that it holds each text
      // once.
      const std::string& id = byContext ? *entry.context : entry.id;
      std::string text;
      if (!codePage.FromUtf8(id, text, bad)) {
        report(entry.line, Severity::kError,
               UnwritableMessage(byContext ? "msgctxt" : "msgid", id, bad, codePage));
        continue;
      }
      if (!byContext) text = EncodeNotation(FromDisplayForm(text));
      look(&ImportTarget::WithKey, Displayed(text, codePage), true);
      look(&ImportTarget::WithWrittenText, codePage.ToUtf8(text), true);
      if (target == nullptr) kept.Add(std::move(text), characters);
    }
    if (target != nullptr) kept.Set(pairs, characters);
    setAsideLines.push_back(entry.line);
    ++result.setAside;
  }
  std::size_t unmatched = setAsideLines.size();
  if (!options.takeUnmatched && 2 * unmatched > toTake && unmatched > kUnmatchedHandful) {
    report(0, Severity::kError,
           "only " + std::to_string(toTake - unmatched) + " of its " +
               Counted(toTake, "translation") + " match a text of " + options.crtName + " or " +
               options.obsName +
               ": the file may belong to another application; nothing was changed "
               "(--take-unmatched takes it all the same, keeping the other " +
               std::to_string(unmatched) + " in " + options.obsName + ")");
  } else {
    // Lines only until here: a file of a million entries may give as many notes.
    const std::string note = "not in " + options.crtName + ": kept in " + options.obsName +
                             ", where it comes back from when its text does";
    for (std::size_t line : setAsideLines) report(line, Severity::kWarning, note);
  }
  result.translations.reserve(crt.pairs.size());
  for (const CrtPair& pair : current.Pairs()) result.translations.push_back(pair.translation);
  result.taken = current.Changed();
  result.unchanged = crt.pairs.size() - result.taken;
  result.obsoleteChanged = kept.Changed() > 0;
  result.obsolete = kept.TakePairs();
  SortByLine(result.diagnostics);
  return result;
}
