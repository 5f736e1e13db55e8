#include "lang/suggestions.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <unordered_map>

#include "common/ascii.h"

// Ratios are compared exactly, as fractions: with M the common subsequence and S = |a| + |b|,
// the ratio 2M/S reaches the threshold 4/5 when 5M >= 2S, and M1/S1 beats M2/S2 when
// M1*S2 > M2*S1. Texts are shorter than 2^28 characters, so the products stay far below 2^64.
//
// The bounds that rule a candidate out before its LCS is computed, each an upper bound of M:
// - length: M <= min(|a|, |b|);
// - characters: M <= the sum over classes of characters of the smaller of the two texts'
//   counts in the class (each common character pairs one of `a` with one of `b` of its class);
// - character pairs: a pair of adjacent characters of `a` (i, i+1) is kept in `b` unless the
//   alignment of a longest common subsequence drops i or i+1 (each dropped character of `a`
//   breaks at most two pairs) or puts characters of `b` between them (each inserted character of
//   `b` breaks at most one). With D = |a| - M dropped and I = |b| - M inserted characters, the
//   two texts share at least (|a| - 1) - 2D - I = 3M - S - 1 pairs, counting a pair that occurs
//   k times as k distinct keys (the pair, and its number of occurrences before it in the text).
//   A ratio of at least 2m/s needs M >= ceil(mS/s), so the pair of lengths shares at least
//   T = 3*ceil(mS/s) - S - 1 keys. Where T > 0, prefix filtering applies: with all keys in one
//   global order (held by the fewest candidates first), two key sets sharing T keys share one
//   among the first |X| - T + 1 keys of each. So each candidate is indexed under its first keys
//   for the smallest T of any query length at the threshold, and a query looks up its own first
//   keys for the smallest T of the lengths it can match at the best ratio found so far. Lengths
//   where T <= 0 at the threshold (texts of a few characters) are compared whole.

namespace {

constexpr std::uint32_t kNoOrder = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMaxLength = (std::size_t{1} << 28) - 1;

// A ratio 2M/S as M common characters out of S, both texts' lengths together.
struct Fraction {
  std::uint64_t common, total;
};
constexpr Fraction kThreshold{2, 5};

// The fewest common characters that reach `ratio` out of `total`.
std::uint64_t CommonNeeded(std::uint64_t total, Fraction ratio) {
  return (ratio.common * total + ratio.total - 1) / ratio.total;
}

// The lengths a text of length `a` can reach `ratio` with, the shorter text having every
// character in common: min * (S - M) >= M * max.
std::size_t ShortestMatch(std::size_t a, Fraction ratio) {
  std::uint64_t rest = ratio.total - ratio.common;
  return static_cast<std::size_t>((ratio.common * a + rest - 1) / rest);
}
std::size_t LongestMatch(std::size_t a, Fraction ratio) {
  return static_cast<std::size_t>(a * (ratio.total - ratio.common) / ratio.common);
}

// The keys two texts of these lengths share at least when they reach `ratio`; zero or less
// means the pair bound rules nothing out.
long long SharedKeysNeeded(std::size_t a, std::size_t b, Fraction ratio) {
  auto total = static_cast<long long>(a + b);
  return 3 * static_cast<long long>(CommonNeeded(a + b, ratio)) - total - 1;
}

// How many of its first keys in the global order a text of length `a` with `keys` keys is
// indexed under, or looked up by, so that every text of a length it can reach `ratio` with that
// needs shared keys shares one of them.
std::size_t PrefixLength(std::size_t a, std::size_t keys, Fraction ratio) {
  long long fewest = std::numeric_limits<long long>::max();
  for (std::size_t b = ShortestMatch(a, ratio); b <= LongestMatch(a, ratio); ++b) {
    long long needed = SharedKeysNeeded(a, b, ratio);
    if (needed > 0) fewest = std::min(fewest, needed);
  }
  if (fewest > static_cast<long long>(keys)) return 0;
  return keys - static_cast<std::size_t>(fewest) + 1;
}

// The class of each character for the character bound: letters without regard to case, a
// frequent one with a rare one (so that no class holds two frequent ones), the blank, the
// characters above 127, and everything else.
constexpr std::array<unsigned char, 256> kClassOf = [] {
  constexpr std::string_view kByFrequency = "etaoinshrdlcumwfgypbvkjxqz";
  std::array<unsigned char, 256> classes{};
  for (std::size_t c = 0; c < 256; ++c) classes[c] = c >= 128 ? 14 : 15;
  classes[' '] = 13;
  for (std::size_t letter = 0; letter < kByFrequency.size(); ++letter) {
    auto inClass = static_cast<unsigned char>(letter < 13 ? letter : 25 - letter);
    classes[static_cast<unsigned char>(kByFrequency[letter])] = inClass;
    classes[static_cast<unsigned char>(kByFrequency[letter] - 'a' + 'A')] = inClass;
  }
  return classes;
}();

// The keys of a text's adjacent pairs: the two bytes in the low 16 bits, above them how often
// the same pair occurred earlier in the text. In no particular order.
void PairKeys(std::string_view text, std::vector<std::uint64_t>& keys) {
  keys.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    keys.push_back(static_cast<std::uint64_t>(static_cast<unsigned char>(text[i - 1])) << 8 |
                   static_cast<unsigned char>(text[i]));
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t i = 1, run = 0; i < keys.size(); ++i) {
    run = (keys[i] & 0xFFFF) == (keys[i - 1] & 0xFFFF) ? run + 1 : 0;
    keys[i] |= static_cast<std::uint64_t>(run) << 16;
  }
}

// For each byte value, the bits of the positions of `pattern` that hold it, `words` 64-bit
// words per value. `masks` must hold 256 * words zero words.
void SetMatchMasks(std::string_view pattern, std::size_t words, std::uint64_t* masks) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    masks[static_cast<unsigned char>(pattern[i]) * words + i / 64] |= std::uint64_t{1} << (i % 64);
  }
}

// The length of a longest common subsequence of the pattern of the masks and `text`, by the
// bit-parallel method of Allison and Dix as Hyyro writes it, a row of the LCS table at a time:
// bit i of V is 0 where the row steps up at position i of the pattern, so the zeros count the
// LCS of the text read so far. Each zero ends a stretch of ones below it (the topmost stretch
// runs off the end); reading a character x moves it down to the lowest position of its stretch
// that holds x, if any. With U = V & Match[x]:
//   V = (V + U) | (V - U)
// V + U carries the lowest match of each stretch up through it onto its zero, and V - U (which
// is V & ~U, U being part of V) puts back the ones the carry cleared, all but that lowest match.
// The carry crosses from each word into the next, so the pattern may be any length; off the
// last word it is dropped, which makes the new zero of the topmost stretch. Bits past the end
// of the pattern never match and stay ones.
std::size_t LcsLength(const std::uint64_t* masks, std::size_t words, std::string_view text,
                      std::vector<std::uint64_t>& v) {
  v.assign(words, ~std::uint64_t{0});
  for (char c : text) {
    const std::uint64_t* match = masks + static_cast<unsigned char>(c) * words;
    std::uint64_t carry = 0;
    for (std::size_t w = 0; w < words; ++w) {
      std::uint64_t old = v[w];
      std::uint64_t u = old & match[w];
      std::uint64_t sum = old + u;
      std::uint64_t carryOut = sum < old;
      sum += carry;
      carryOut |= sum < carry;
      v[w] = sum | (old & ~u);
      carry = carryOut;
    }
  }
  std::size_t zeros = 0;
  for (std::uint64_t word : v) zeros += static_cast<std::size_t>(std::popcount(~word));
  return zeros;
}

double Ratio(std::size_t common, std::size_t total) {
  return total == 0 ? 1.0 : 2.0 * static_cast<double>(common) / static_cast<double>(total);
}

}  // namespace

double SimilarityRatio(std::string_view a, std::string_view b) {
  if (a.size() > b.size()) std::swap(a, b);  // the shorter one as the pattern: fewer words
  std::size_t words = (a.size() + 63) / 64;
  std::vector<std::uint64_t> masks(256 * words);
  SetMatchMasks(a, words, masks.data());
  std::vector<std::uint64_t> v;
  return Ratio(LcsLength(masks.data(), words, b, v), a.size() + b.size());
}

// The best candidate so far, or the threshold before there is one.
struct SuggestionIndex::Best {
  Fraction ratio = kThreshold;
  std::uint32_t order = kNoOrder;  // ties with the threshold count as reaching it
  std::uint32_t position = kNoOrder;

  // Whether M common characters out of S, for the candidate at `order`, come before it.
  bool LosesTo(std::uint64_t m, std::uint64_t s, std::uint32_t candidateOrder) const {
    std::uint64_t left = m * ratio.total, right = ratio.common * s;
    return left > right || (left == right && candidateOrder < order);
  }
};

SuggestionIndex::SuggestionIndex(const std::vector<SuggestionCandidate>& candidates,
                                 std::size_t queries)
    : queryWork_(
          std::clamp(kAllQueriesWork / std::max<std::size_t>(queries, 1), kLeastWork, kMostWork)) {
  std::size_t count = candidates.size(), totalLength = 0;
  for (const SuggestionCandidate& candidate : candidates) {
    if (candidate.characters.size() > kMaxLength) throw std::length_error("text too long");
    totalLength += candidate.characters.size();
  }
  if (count >= kNoOrder || totalLength > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("too many candidate texts");
  }
  std::vector<std::uint32_t> byLength(count);
  std::iota(byLength.begin(), byLength.end(), 0u);
  std::stable_sort(byLength.begin(), byLength.end(), [&](std::uint32_t x, std::uint32_t y) {
    return candidates[x].characters.size() < candidates[y].characters.size();
  });
  characters_.reserve(totalLength);
  starts_.reserve(count);
  lengths_.reserve(count);
  order_ = byLength;
  payloads_.reserve(count);
  classCounts_.assign(count * kClasses, 0);
  for (std::uint32_t order : byLength) {
    std::string_view text = candidates[order].characters;
    unsigned char* classes = classCounts_.data() + starts_.size() * kClasses;
    for (char c : text) {
      unsigned char& inClass = classes[kClassOf[static_cast<unsigned char>(c)]];
      if (inClass < 255) ++inClass;
    }
    starts_.push_back(static_cast<std::uint32_t>(characters_.size()));
    lengths_.push_back(static_cast<std::uint32_t>(text.size()));
    payloads_.push_back(candidates[order].payload);
    characters_ += text;
  }
  seen_.assign(count, 0);

  // The keys of every candidate, in the order of their positions, each as the number of its
  // distinct key in the order first met; then as its place among the distinct keys sorted.
  // Most keys are a pair's first occurrence in its text: those are numbered in a table by the
  // pair, the others in a map.
  std::vector<std::uint32_t> keyStarts(count + 1), keyNumbers;
  std::vector<std::uint32_t> numberOfPair(std::size_t{1} << 16, kNoOrder);
  std::unordered_map<std::uint64_t, std::uint32_t> numberOfKey;
  std::vector<std::uint64_t> keys;
  for (std::uint32_t position = 0; position < count; ++position) {
    PairKeys(std::string_view(characters_).substr(starts_[position], lengths_[position]), keys);
    for (std::uint64_t key : keys) {
      auto number = static_cast<std::uint32_t>(keys_.size());
      std::uint32_t& known =
          key <= 0xFFFF ? numberOfPair[key] : numberOfKey.try_emplace(key, kNoOrder).first->second;
      if (known == kNoOrder) {
        known = number;
        keys_.push_back(key);
      }
      keyNumbers.push_back(known);
    }
    keyStarts[position + 1] = static_cast<std::uint32_t>(keyNumbers.size());
  }
  std::vector<std::uint32_t>().swap(numberOfPair);
  std::unordered_map<std::uint64_t, std::uint32_t>().swap(numberOfKey);
  std::vector<std::uint32_t> sorted(keys_.size()), placeOf(keys_.size());
  std::iota(sorted.begin(), sorted.end(), 0u);
  std::sort(sorted.begin(), sorted.end(),
            [&](std::uint32_t x, std::uint32_t y) { return keys_[x] < keys_[y]; });
  for (std::uint32_t place = 0; place < sorted.size(); ++place) placeOf[sorted[place]] = place;
  std::sort(keys_.begin(), keys_.end());
  // How many candidates hold each key (a text holds a key once); the global order is by that.
  std::vector<std::uint32_t> held(keys_.size()), byHolders(keys_.size());
  for (std::uint32_t& number : keyNumbers) ++held[number = placeOf[number]];
  std::iota(byHolders.begin(), byHolders.end(), 0u);
  std::stable_sort(byHolders.begin(), byHolders.end(),
                   [&](std::uint32_t x, std::uint32_t y) { return held[x] < held[y]; });
  ranks_.resize(keys_.size());
  for (std::uint32_t rank = 0; rank < byHolders.size(); ++rank) ranks_[byHolders[rank]] = rank;

  // Each candidate under its first keys, its keys sorted by rank: the lists one after the
  // other, in the order of the keys, each in the order of the positions.
  for (std::uint32_t& number : keyNumbers) number = ranks_[number];
  std::vector<std::uint32_t> listStarts(keys_.size() + 1), prefixes(count);
  for (std::uint32_t position = 0; position < count; ++position) {
    auto first = keyNumbers.begin() + keyStarts[position];
    auto last = keyNumbers.begin() + keyStarts[position + 1];
    std::sort(first, last);
    prefixes[position] = static_cast<std::uint32_t>(
        PrefixLength(lengths_[position], static_cast<std::size_t>(last - first), kThreshold));
    for (auto rank = first; rank != first + prefixes[position]; ++rank) {
      ++listStarts[byHolders[*rank] + 1];
    }
  }
  std::partial_sum(listStarts.begin(), listStarts.end(), listStarts.begin());
  std::vector<std::uint32_t> lists(listStarts.back()), next(listStarts.begin(), listStarts.end() - 1);
  for (std::uint32_t position = 0; position < count; ++position) {
    auto first = keyNumbers.begin() + keyStarts[position];
    for (auto rank = first; rank != first + prefixes[position]; ++rank) {
      lists[next[byHolders[*rank]]++] = position;
    }
  }
  // Each list as the differences of its ascending positions, 7 bits a byte with the high bit on
  // all bytes but a number's last: mostly one or two bytes instead of four.
  postingStarts_.reserve(keys_.size() + 1);
  auto checkedSize = [&] {
    if (postings_.size() > std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("too many candidate texts");
    }
    return static_cast<std::uint32_t>(postings_.size());
  };
  for (std::size_t key = 0; key < keys_.size(); ++key) {
    postingStarts_.push_back(checkedSize());
    std::uint32_t previous = 0;
    for (std::uint32_t i = listStarts[key]; i < listStarts[key + 1]; ++i) {
      std::uint32_t position = lists[i];
      std::uint32_t difference = position - previous;
      previous = position;
      for (; difference >= 0x80; difference >>= 7) {
        postings_.push_back(static_cast<unsigned char>(difference | 0x80));
      }
      postings_.push_back(static_cast<unsigned char>(difference));
    }
  }
  postingStarts_.push_back(checkedSize());
  postings_.shrink_to_fit();
}

std::size_t SuggestionIndex::MemoryBytes() const {
  auto bytes = [](const auto& vector) { return vector.capacity() * sizeof(vector[0]); };
  return sizeof(*this) + characters_.capacity() + bytes(starts_) + bytes(lengths_) + bytes(order_) +
         bytes(payloads_) + bytes(classCounts_) + bytes(keys_) + bytes(ranks_) +
         bytes(postingStarts_) + bytes(postings_) + bytes(seen_) + bytes(matchMasks_) +
         bytes(lcsVector_);
}

std::optional<Suggestion> SuggestionIndex::Find(std::string_view query) {
  std::size_t a = query.size();
  if (a > kMaxLength) throw std::length_error("text too long");
  if (lengths_.empty()) return std::nullopt;
  if (a == 0) {  // only an empty candidate matches, the first one in order
    if (lengths_[0] != 0) return std::nullopt;
    return Suggestion{payloads_[0], 1.0};
  }
  if (++queryNumber_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    queryNumber_ = 1;
  }
  auto positionOf = [&](std::size_t length) {
    return static_cast<std::uint32_t>(std::lower_bound(lengths_.begin(), lengths_.end(), length) -
                                      lengths_.begin());
  };
  Best best;
  std::uint32_t first = positionOf(ShortestMatch(a, best.ratio));
  std::uint32_t end = positionOf(LongestMatch(a, best.ratio) + 1);
  if (first == end) return std::nullopt;
  PrepareQuery(query);

  // Texts that are all alike (250,000 that differ in a number) pass every bound: the work of a
  // query is bounded, and it keeps the best of the candidates met by then.
  std::size_t work = 0;
  auto spent = [&](std::size_t cost) { return (work += cost) > queryWork_; };

  // Lengths where the pair bound rules nothing out are compared whole.
  for (std::size_t b = ShortestMatch(a, kThreshold); b <= LongestMatch(a, kThreshold); ++b) {
    if (SharedKeysNeeded(a, b, kThreshold) > 0) continue;
    for (std::uint32_t p = positionOf(b); p < lengths_.size() && lengths_[p] == b; ++p) {
      seen_[p] = queryNumber_;
      if (spent(kComparisonWork)) return Found(best);
      Consider(p, query, best);
    }
  }

  // The others through the index: the lists of the query's first keys in the global order, as
  // many as the best so far leaves needed. Keys no candidate holds come first in that order, so
  // they use up places without a list.
  std::vector<std::uint64_t> keys;
  PairKeys(query, keys);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranked;  // rank + 1 (0: unknown), key
  for (std::uint64_t key : keys) {
    auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
    auto index = static_cast<std::uint32_t>(found - keys_.begin());
    bool known = found != keys_.end() && *found == key;
    ranked.emplace_back(known ? ranks_[index] + 1 : 0, index);
  }
  std::sort(ranked.begin(), ranked.end());
  std::size_t prefix = PrefixLength(a, keys.size(), best.ratio);
  for (std::size_t i = 0; i < prefix; ++i) {
    if (ranked[i].first == 0) continue;
    std::uint32_t key = ranked[i].second;
    const unsigned char* p = postings_.data() + postingStarts_[key];
    const unsigned char* listEnd = postings_.data() + postingStarts_[key + 1];
    for (std::uint32_t position = 0; p != listEnd;) {
      std::uint32_t difference = 0;
      for (unsigned shift = 0;; shift += 7) {
        difference |= static_cast<std::uint32_t>(*p & 0x7F) << shift;
        if ((*p++ & 0x80) == 0) break;
      }
      position += difference;
      if (spent(1)) return Found(best);
      if (position < first) continue;
      if (position >= end) break;
      if (seen_[position] == queryNumber_) continue;
      seen_[position] = queryNumber_;
      // Met first at key i, the candidate holds none of the keys before it (it would be in
      // their lists), so it shares at most the keys from i on.
      if (static_cast<long long>(i) + SharedKeysNeeded(a, lengths_[position], best.ratio) >
          static_cast<long long>(keys.size())) {
        continue;
      }
      if (spent(kComparisonWork)) return Found(best);
      if (!Consider(position, query, best)) continue;
      // A better best needs a closer length and more shared keys.
      prefix = PrefixLength(a, keys.size(), best.ratio);
      first = positionOf(ShortestMatch(a, best.ratio));
      end = positionOf(LongestMatch(a, best.ratio) + 1);
    }
  }
  return Found(best);
}

std::optional<Suggestion> SuggestionIndex::Found(const Best& best) const {
  if (best.position == kNoOrder) return std::nullopt;
  return Suggestion{payloads_[best.position], Ratio(best.ratio.common, best.ratio.total)};
}

void SuggestionIndex::PrepareQuery(std::string_view query) {
  words_ = (query.size() + 63) / 64;
  matchMasks_.assign(256 * words_, 0);
  SetMatchMasks(query, words_, matchMasks_.data());
  std::array<std::size_t, kClasses> classes{};
  for (char c : query) ++classes[kClassOf[static_cast<unsigned char>(c)]];
  queryClassExcess_ = 0;
  for (std::size_t k = 0; k < kClasses; ++k) {
    queryClasses_[k] = static_cast<unsigned char>(std::min<std::size_t>(classes[k], 255));
    queryClassExcess_ += classes[k] - queryClasses_[k];
  }
}

bool SuggestionIndex::Consider(std::uint32_t position, std::string_view query, Best& best) {
  std::uint64_t a = query.size(), b = lengths_[position], total = a + b;
  std::uint32_t order = order_[position];
  if (!excluded_.empty() && excluded_[position]) return false;
  if (!best.LosesTo(std::min(a, b), total, order)) return false;

  // The character bound. A count of 255 may stand for more: the query's counts above 255 are
  // added whole.
  const unsigned char* counts = classCounts_.data() + position * kClasses;
  unsigned inClasses = 0;  // a loop the compiler turns into a few vector instructions
  for (std::size_t k = 0; k < kClasses; ++k) inClasses += std::min(queryClasses_[k], counts[k]);
  if (!best.LosesTo(inClasses + queryClassExcess_, total, order)) return false;

  std::string_view candidate = std::string_view(characters_).substr(starts_[position], b);
  std::uint64_t common = LcsLength(matchMasks_.data(), words_, candidate, lcsVector_);
  if (!best.LosesTo(common, total, order)) return false;
  best = Best{{common, total}, order, position};
  return true;
}

void SuggestionIndex::Exclude(const std::vector<bool>& excluded) {
  excluded_.assign(payloads_.size(), false);
  for (std::size_t position = 0; position < payloads_.size(); ++position) {
    excluded_[position] = payloads_[position] < excluded.size() && excluded[payloads_[position]];
  }
}

namespace {

// The CRT file writes the first tab of a text as the character and the others as <9>, so a piece
// and the text it is part of may write the same tab either way.
std::string TabsAsCodes(std::string_view text) {
  std::string written;
  written.reserve(text.size());
  for (char c : text) {
    if (c == '\t') {
      written += "<9>";
    } else {
      written += c;
    }
  }
  return written;
}

}  // namespace

PieceTranslations::PieceTranslations(const std::vector<Piece>& pieces) {
  for (const Piece& piece : pieces) {
    if (piece.text.empty() || piece.translation.empty()) continue;
    std::string_view text = piece.text;
    if (text.find('\t') != std::string_view::npos) text = tabsAsCodes_.emplace_back(TabsAsCodes(text));
    sorted_.emplace_back(text, piece.translation);
  }
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  auto equal = [](const auto& a, const auto& b) { return a.first == b.first; };
  sorted_.erase(std::unique(sorted_.begin(), sorted_.end(), equal), sorted_.end());
}

void PieceTranslations::PiecesStarting(std::string_view text,
                                       std::vector<std::size_t>& found) const {
  found.clear();
  // The last piece not after the first `limit` characters of the text either begins the text or
  // shares fewer characters with it than any piece that lies between; so no piece longer than
  // what it shares begins the text, and the search goes on below that.
  for (std::size_t limit = text.size(); limit > 0;) {
    std::string_view head = text.substr(0, limit);
    auto after = std::upper_bound(sorted_.begin(), sorted_.end(), head,
                                  [](std::string_view h, const auto& e) { return h < e.first; });
    if (after == sorted_.begin()) break;
    std::string_view piece = std::prev(after)->first;
    std::size_t common = static_cast<std::size_t>(
        std::mismatch(piece.begin(), piece.end(), head.begin(), head.end()).first - piece.begin());
    if (common == piece.size()) {
      found.push_back(static_cast<std::size_t>(std::prev(after) - sorted_.begin()));
      --common;
    }
    limit = common;
  }
  std::reverse(found.begin(), found.end());
}

std::optional<std::string> PieceTranslations::Join(std::string_view text) const {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  constexpr std::size_t kNoText = kNone - 1;  // a step over characters without a letter
  std::string written = TabsAsCodes(text);
  // How each position of the text is first reached: from where, and over which piece.
  struct Step {
    std::size_t from = kNone;
    std::size_t piece = kNone;
  };
  std::vector<Step> reached(written.size() + 1);
  reached[0].from = 0;
  std::vector<std::size_t> found;
  for (std::size_t at = 0; at < written.size(); ++at) {
    if (reached[at].from == kNone) continue;
    PiecesStarting(std::string_view(written).substr(at), found);
    for (std::size_t piece : found) {
      Step& step = reached[at + sorted_[piece].first.size()];
      if (step.from == kNone) step = Step{at, piece};
    }
    if (reached[at].piece == kNoText) continue;  // two runs without a letter are one
    for (std::size_t end = at; end < written.size() && !IsAsciiLetter(written[end]);) {
      Step& step = reached[++end];
      if (step.from == kNone) step = Step{at, kNoText};
    }
  }
  if (reached.back().from == kNone) return std::nullopt;
  std::vector<std::size_t> ends;  // of the steps, the last first
  bool translated = false;
  for (std::size_t at = written.size(); at > 0; at = reached[at].from) {
    ends.push_back(at);
    translated = translated || reached[at].piece != kNoText;
  }
  if (ends.size() < 2 || !translated) return std::nullopt;
  std::string joined;
  for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
    const Step& step = reached[*end];
    if (step.piece == kNoText) {
      joined.append(written, step.from, *end - step.from);
    } else {
      joined += sorted_[step.piece].second;
    }
  }
  return joined;
}

std::size_t LetterCount(std::string_view characters) {
  return static_cast<std::size_t>(std::count_if(characters.begin(), characters.end(), [](char c) {
    return IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 128;
  }));
}

std::string LooseForm(std::string_view characters) {
  std::string loose;
  for (char c : characters) {
    if (IsAsciiLetter(c) || IsAsciiDigit(c) || static_cast<unsigned char>(c) >= 128) {
      loose += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return loose;
}

namespace {

std::vector<SuggestionCandidate> LongOnes(const std::vector<SuggestionCandidate>& candidates) {
  std::vector<SuggestionCandidate> longOnes;
  for (const SuggestionCandidate& candidate : candidates) {
    if (LetterCount(candidate.characters) >= kShortTextLetters) longOnes.push_back(candidate);
  }
  return longOnes;
}

}  // namespace

Suggester::Suggester(const std::vector<SuggestionCandidate>& candidates, std::size_t queries)
    : candidates_(candidates), index_(LongOnes(candidates), queries) {
  for (std::size_t i = 0; i < candidates_.size(); ++i) {
    std::string loose = LooseForm(candidates_[i].characters);
    if (!loose.empty()) byLooseForm_.emplace_back(std::hash<std::string>()(loose), i);
  }
  std::sort(byLooseForm_.begin(), byLooseForm_.end());
}

void Suggester::Exclude(const std::vector<bool>& excluded) {
  excluded_ = excluded;
  index_.Exclude(excluded);
}

std::optional<Suggestion> Suggester::Find(std::string_view query) {
  const std::string loose = LooseForm(query);
  if (!loose.empty()) {
    std::optional<Suggestion> best;
    std::size_t hash = std::hash<std::string>()(loose);
    for (auto same = std::lower_bound(byLooseForm_.begin(), byLooseForm_.end(),
                                      std::pair<std::size_t, std::size_t>(hash, 0));
         same != byLooseForm_.end() && same->first == hash; ++same) {
      std::size_t i = same->second;
      if (LooseForm(candidates_[i].characters) != loose) continue;  // another with its hash
      std::size_t payload = candidates_[i].payload;
      if (payload < excluded_.size() && excluded_[payload]) continue;
      double ratio = SimilarityRatio(query, candidates_[i].characters);
      if (!best || ratio > best->ratio) best = Suggestion{candidates_[i].payload, ratio};
    }
    if (best) return best;  // else all of them were left out
  }
  if (LetterCount(query) < kShortTextLetters) return std::nullopt;
  return index_.Find(query);
}
