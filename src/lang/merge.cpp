#include "lang/merge.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

using Translations = std::unordered_map<std::string_view, std::string_view>;

// Each text's first translation that is not empty; texts with none map to an empty one.
Translations FirstTranslations(const std::vector<CrtPair>& pairs) {
  Translations translations;
  translations.reserve(pairs.size());
  for (const CrtPair& pair : pairs) {
    std::string_view& translation = translations[pair.text];
    if (translation.empty()) translation = pair.translation;
  }
  return translations;
}

std::string_view Lookup(const Translations& translations, std::string_view text) {
  auto found = translations.find(text);
  return found == translations.end() ? std::string_view() : found->second;
}

}  // namespace

MergedTranslations MergeTranslations(const std::vector<std::string>& current,
                                     const std::vector<CrtPair>& old,
                                     const std::vector<CrtPair>& obsolete) {
  const Translations oldTranslations = FirstTranslations(old);
  const Translations keptTranslations = FirstTranslations(obsolete);

  MergedTranslations merged;
  merged.translations.reserve(current.size());
  std::unordered_set<std::string_view> found(current.begin(), current.end());
  for (const std::string& text : current) {
    auto inOld = oldTranslations.find(text);
    std::string_view translation = inOld == oldTranslations.end() ? "" : inOld->second;
    if (translation.empty()) translation = Lookup(keptTranslations, text);
    merged.translations.emplace_back(translation);
    if (!translation.empty()) ++merged.translated;
    if (inOld == oldTranslations.end()) ++merged.added;
  }

  for (const auto& [text, translation] : oldTranslations) {
    if (!found.contains(text)) ++merged.dropped;
  }

  // Each obsolete text once, and none that was found: `listed` starts with the found ones.
  std::unordered_set<std::string_view>& listed = found;
  auto keep = [&](std::string_view text, std::string_view translation) {
    if (translation.empty() || !listed.insert(text).second) return;
    merged.obsolete.push_back(CrtPair{std::string(text), std::string(translation)});
  };
  for (const CrtPair& pair : obsolete) {
    std::string_view newer = Lookup(oldTranslations, pair.text);
    keep(pair.text, newer.empty() ? Lookup(keptTranslations, pair.text) : newer);
  }
  for (const CrtPair& pair : old) keep(pair.text, Lookup(oldTranslations, pair.text));
  return merged;
}
