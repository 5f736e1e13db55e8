#include "translation/po_exchange.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "translation/notation.h"
#include "translation/utf8.h"

namespace {

using KeyTuple = std::pair<std::optional<std::string>, std::string>;

KeyTuple TupleOf(const PoKey& key) {
  return {key.context, key.id};
}

std::string ByteName(char byte) {
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X",
                static_cast<unsigned>(static_cast<unsigned char>(byte)));
  return name;
}

// The UTF-8 of `content` as written (`written`) and of what it stands for (`meant`); false,
// with an error on `line`, when the code page does not define a byte of either.
bool ContentToUtf8(const CodePage& codePage, std::string_view content, std::size_t line,
                   std::size_t column, std::string& written, std::string& meant,
                   std::vector<Diagnostic>& errors) {
  std::size_t bad = 0;
  if (!codePage.ToUtf8(content, written, bad)) {
    errors.push_back(
        {line, Severity::kError,
         "byte " + ByteName(content[bad]) + " is not defined in " + std::string(codePage.Name()),
         column + bad});
    return false;
  }
  std::string characters = DecodeNotation(content);
  if (!codePage.ToUtf8(characters, meant, bad)) {
    errors.push_back({line, Severity::kError,
                      "a code stands for byte " + ByteName(characters[bad]) + ", which " +
                          std::string(codePage.Name()) + " does not define",
                      column});
    return false;
  }
  return true;
}

// The message for a translation that does not convert into the code page at `offset`.
std::string UnwritableMessage(std::string_view utf8, std::size_t offset, const CodePage& codePage) {
  std::size_t end = offset;
  std::optional<char32_t> character = DecodeUtf8(utf8, end);
  if (!character) return "translation is not valid UTF-8";
  return "translation holds '" + std::string(utf8.substr(offset, end - offset)) + "' (" +
         CodePointName(*character) + "), which " + std::string(codePage.Name()) + " cannot hold";
}

std::string KeyName(const PoEntry& entry) {
  std::string name = "msgid " + Quoted(entry.id);
  if (entry.context) name += " (msgctxt " + Quoted(*entry.context) + ")";
  return name;
}

}  // namespace

PoKeys BuildPoKeys(const CrtDocument& crt, const CodePage& codePage) {
  PoKeys result;
  std::set<KeyTuple> used;
  for (const CrtPair& pair : crt.pairs) {
    std::string written, id;
    if (!ContentToUtf8(codePage, pair.text, pair.textLine, pair.textColumn, written, id,
                       result.errors)) {
      result.keys.emplace_back();
      continue;
    }
    PoKey key{std::nullopt, std::move(id)};
    if (key.id.empty() || used.contains(TupleOf(key))) {
      key.context = written;
      for (int number = 2; used.contains(TupleOf(key)); ++number) {
        key.context = written + " #" + std::to_string(number);
      }
    }
    used.insert(TupleOf(key));
    result.keys.push_back(std::move(key));
  }
  return result;
}

ExportResult ExportPo(const CrtDocument& crt, const CodePage& codePage,
                      std::string_view projectName, const std::optional<std::string>& language,
                      std::string_view revisionDate) {
  ExportResult result;
  result.diagnostics = crt.structureErrors;
  PoKeys keys = BuildPoKeys(crt, codePage);
  result.diagnostics.insert(result.diagnostics.end(), keys.errors.begin(), keys.errors.end());
  std::vector<PoEntry> entries;
  for (std::size_t i = 0; i < crt.pairs.size(); ++i) {
    const CrtPair& pair = crt.pairs[i];
    PoEntry entry;
    if (keys.keys[i]) {
      entry.context = keys.keys[i]->context;
      entry.id = keys.keys[i]->id;
    }
    std::string written;
    ContentToUtf8(codePage, pair.translation, pair.translationLine, pair.translationColumn, written,
                  entry.translation, result.diagnostics);
    if (!pair.translation.empty()) ++result.translated;
    entries.push_back(std::move(entry));
  }
  result.entries = entries.size();
  SortByLine(result.diagnostics);
  if (!HasErrors(result.diagnostics)) {
    result.po = WritePo({std::string(projectName), std::string(revisionDate), language}, entries);
  }
  return result;
}

ImportResult ImportPo(const CrtDocument& crt, const PoDocument& po, const CodePage& codePage,
                      bool includeFuzzy) {
  ImportResult result;
  result.diagnostics = po.problems;
  PoKeys keys = BuildPoKeys(crt, codePage);
  result.crtErrors = std::move(keys.errors);
  std::map<KeyTuple, std::size_t> pairOfKey;
  for (std::size_t i = 0; i < keys.keys.size(); ++i) {
    if (keys.keys[i]) pairOfKey.emplace(TupleOf(*keys.keys[i]), i);
  }
  std::vector<bool> changed(crt.pairs.size());
  for (const CrtPair& pair : crt.pairs) result.translations.push_back(pair.translation);
  auto warn = [&result](std::size_t line, std::string message) {
    result.diagnostics.push_back({line, Severity::kWarning, std::move(message)});
  };
  for (const PoEntry& entry : po.entries) {
    if (entry.fuzzy && !includeFuzzy) {
      ++result.fuzzyLeftOut;
      continue;
    }
    if (entry.plural) {
      warn(entry.line, "plural entry left out: a CRT file holds one translation per text");
      continue;
    }
    auto found = pairOfKey.find({entry.context, entry.id});
    if (found == pairOfKey.end()) {
      warn(entry.line, "not found: no text for " + KeyName(entry) + " in the CRT file");
      ++result.notFound;
      continue;
    }
    if (entry.translation.empty()) continue;
    std::string bytes;
    std::size_t bad = 0;
    if (!codePage.FromUtf8(entry.translation, bytes, bad)) {
      result.diagnostics.push_back({entry.translationLine, Severity::kError,
                                    UnwritableMessage(entry.translation, bad, codePage)});
      continue;
    }
    std::size_t i = found->second;
    if (bytes == DecodeNotation(crt.pairs[i].translation)) continue;
    result.translations[i] = EncodeNotation(bytes);
    changed[i] = true;
  }
  result.taken = static_cast<std::size_t>(std::count(changed.begin(), changed.end(), true));
  result.unchanged = crt.pairs.size() - result.taken;
  SortByLine(result.diagnostics);
  return result;
}
