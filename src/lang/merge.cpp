#include "lang/merge.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

using Translations = std::unordered_map<std::string_view, std::string_view>;

// Each text's first translation that is not empty; texts with none map to an empty one.
Translations FirstTranslations(const std::vector<TranslatedText>& pairs) {
  Translations translations;
  for (const TranslatedText& pair : pairs) {
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
                                     const std::vector<TranslatedText>& old,
                                     const std::vector<TranslatedText>& obsolete) {
  const Translations oldTranslations = FirstTranslations(old);
  const Translations keptTranslations = FirstTranslations(obsolete);
  const std::unordered_set<std::string_view> found(current.begin(), current.end());

  MergedTranslations merged;
  for (const std::string& text : current) {
    std::string_view translation = Lookup(oldTranslations, text);
    if (translation.empty()) translation = Lookup(keptTranslations, text);
    merged.translations.emplace_back(translation);
    if (!translation.empty()) ++merged.translated;
    if (!oldTranslations.contains(text)) ++merged.added;
  }

  std::unordered_set<std::string_view> listed;
  auto keep = [&](std::string_view text, std::string_view translation) {
    if (translation.empty() || found.contains(text) || !listed.insert(text).second) return;
    merged.obsolete.push_back(TranslatedText{std::string(text), std::string(translation)});
  };
  for (const TranslatedText& pair : obsolete) {
    std::string_view newer = Lookup(oldTranslations, pair.text);
    keep(pair.text, newer.empty() ? Lookup(keptTranslations, pair.text) : newer);
  }
  for (const TranslatedText& pair : old) keep(pair.text, Lookup(oldTranslations, pair.text));

  std::unordered_set<std::string_view> gone;
  for (const TranslatedText& pair : old) {
    if (!found.contains(pair.text) && gone.insert(pair.text).second) ++merged.dropped;
  }
  return merged;
}
