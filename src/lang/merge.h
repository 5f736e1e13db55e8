// How `update` carries translations over to the texts found in the sources now: each text takes
// the translation the old CRT file gave it, or else the one kept for it among the obsolete
// texts; translated texts no longer found are kept as obsolete, so no translation is ever lost.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "translation/crt_reader.h"

struct MergedTranslations {
  std::vector<std::string> translations;  // one for each current text, in order
  std::vector<CrtPair> obsolete;          // the obsolete texts afterwards (text and translation)
  std::size_t translated = 0;             // current texts with a translation
  std::size_t added = 0;                  // current texts the old file did not list
  std::size_t dropped = 0;                // texts of the old file no longer found
};

// `current`: the texts found now, as the CRT file holds them, in order of first appearance.
// `old`: the old CRT file's pairs; `obsolete`: the pairs kept from earlier updates. Texts are
// matched byte for byte; where a text is listed twice, its first translation that is not empty
// counts. The obsolete texts afterwards are the earlier ones not found again, in their order
// (with the old CRT file's translation where it gives one), then the translated texts of the
// old file no longer found, in its order.
MergedTranslations MergeTranslations(const std::vector<std::string>& current,
                                     const std::vector<CrtPair>& old,
                                     const std::vector<CrtPair>& obsolete);
