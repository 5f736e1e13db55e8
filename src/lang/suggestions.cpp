#include "lang/suggestions.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>
#include <stdexcept>

// Ratios are compared exactly, as fractions: with M the common subsequence and S = |a| + |b|,
// the ratio 2M/S reaches the threshold 4/5 when 5M >= 2S, and M1/S1 beats M2/S2 when
// M1*S2 > M2*S1. Candidates are shorter than 2^31 characters and a query that can reach the
// threshold at most half as long again, so the products stay below 2^64.
//
// The bounds that rule a candidate out before its LCS is computed, each an exact upper bound:
// - length: M <= min(|a|, |b|);
// - characters: M <= the sum over byte values of the smaller of the two counts;
// - character pairs: a pair of adjacent characters of `a` (i, i+1) is kept in `b` unless the
//   alignment of a longest common subsequence drops i or i+1 (each dropped character of `a`
//   breaks at most two pairs) or puts characters of `b` between them (each inserted character of
//   `b` breaks at most one). With D = |a| - M dropped and I = |b| - M inserted characters, the
//   two texts share at least (|a| - 1) - 2D - I = 3M - S - 1 pairs, counting a pair that occurs
//   k times as k distinct keys (the pair, and its number of occurrences before it in the text).
//   At the threshold M >= ceil(2S/5), so a pair of lengths needs T(|a|, |b|) = 3*ceil(2S/5) -
//   S - 1 shared keys. Where T > 0, prefix filtering applies: order all keys by a global order
//   (fewest candidates first); two key sets sharing T keys share one among the first |X| - T + 1
//   keys of each. So each candidate is indexed by the first keys it needs for the smallest T of
//   any query length, and a query looks up its own first keys for the smallest T of the
//   candidate lengths it can match. Lengths where T <= 0 (a few characters) are compared whole.

namespace {

constexpr std::uint32_t kNoOrder = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMaxCandidateLength = (std::size_t{1} << 31) - 1;

// The lengths a text of length `a` can reach the threshold with: 3*min >= 2*max.
std::size_t ShortestMatch(std::size_t a) { return (2 * a + 2) / 3; }
std::size_t LongestMatch(std::size_t a) { return a + a / 2; }

// The keys two texts of these lengths share at least when their ratio reaches the threshold;
// zero or less means the pair bound rules nothing out.
long long SharedKeysNeeded(std::size_t a, std::size_t b) {
  long long s = static_cast<long long>(a + b);
  long long m = (2 * s + 4) / 5;
  return 3 * m - s - 1;
}

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
// bit-parallel method of Allison and Dix as Hyyro writes it. Bit i of V stands for position i
// of the pattern and is 0 where a row of the LCS table steps up. For each character x of the
// text, with U = V & Match[x]:
//   V = (V + U) | (V - U)
// The addition carries the lowest matching bit of every run of ones up to the run's end, which
// turns the first match after each step into the new step; V - U (= V & ~U, since U is a subset
// of V) keeps the other ones. The carry crosses from each word into the next, so the pattern
// may be any length; bits past its end stay 1. The zeros of V count the LCS.
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
  std::uint64_t common = 2, total = 5;  // M and S: ratio 0.8
  std::uint32_t order = kNoOrder;       // ties with the threshold count as reaching it
  std::uint32_t position = kNoOrder;

  // Whether M common characters out of S, for the candidate at `order`, come before it.
  bool LosesTo(std::uint64_t m, std::uint64_t s, std::uint32_t candidateOrder) const {
    std::uint64_t left = m * total, right = common * s;
    return left > right || (left == right && candidateOrder < order);
  }
};

SuggestionIndex::SuggestionIndex(const std::vector<SuggestionCandidate>& candidates)
    : queryCounts_(256), spare_(256) {
  if (candidates.size() >= kNoOrder) throw std::length_error("too many candidate texts");
  std::vector<std::uint32_t> byLength(candidates.size());
  std::iota(byLength.begin(), byLength.end(), 0u);
  std::stable_sort(byLength.begin(), byLength.end(), [&](std::uint32_t x, std::uint32_t y) {
    return candidates[x].characters.size() < candidates[y].characters.size();
  });
  std::size_t totalLength = 0;
  for (const SuggestionCandidate& candidate : candidates) {
    if (candidate.characters.size() > kMaxCandidateLength) {
      throw std::length_error("candidate text too long");
    }
    totalLength += candidate.characters.size();
  }
  characters_.reserve(totalLength);
  for (std::uint32_t order : byLength) {
    const SuggestionCandidate& candidate = candidates[order];
    starts_.push_back(characters_.size());
    lengths_.push_back(static_cast<std::uint32_t>(candidate.characters.size()));
    order_.push_back(order);
    payloads_.push_back(candidate.payload);
    characters_ += candidate.characters;
  }
  seen_.assign(candidates.size(), 0);

  // The distinct keys and how many candidates hold each; the global order is by that count.
  std::vector<std::uint64_t> all, keys;
  for (const SuggestionCandidate& candidate : candidates) {
    PairKeys(candidate.characters, keys);
    all.insert(all.end(), keys.begin(), keys.end());
  }
  std::sort(all.begin(), all.end());
  std::vector<std::uint32_t> holders;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i == 0 || all[i] != all[i - 1]) {
      keys_.push_back(all[i]);
      holders.push_back(0);
    }
    ++holders.back();
  }
  std::vector<std::uint64_t>().swap(all);
  if (keys_.size() >= kNoOrder) throw std::length_error("too many candidate texts");
  std::vector<std::uint32_t> byHolders(keys_.size());
  std::iota(byHolders.begin(), byHolders.end(), 0u);
  std::stable_sort(byHolders.begin(), byHolders.end(),
                   [&](std::uint32_t x, std::uint32_t y) { return holders[x] < holders[y]; });
  ranks_.resize(keys_.size());
  for (std::uint32_t rank = 0; rank < byHolders.size(); ++rank) ranks_[byHolders[rank]] = rank;

  // Each candidate's indexed prefix: the keys it shares with any query that can match it.
  auto forEachIndexedKey = [&](std::uint32_t position, auto&& use) {
    std::size_t b = lengths_[position];
    long long needed = std::numeric_limits<long long>::max();
    for (std::size_t a = ShortestMatch(b); a <= LongestMatch(b); ++a) {
      needed = std::min(needed, SharedKeysNeeded(a, b));
    }
    PairKeys(std::string_view(characters_).substr(starts_[position], b), keys);
    std::vector<std::uint32_t> indexes;
    for (std::uint64_t key : keys) {
      indexes.push_back(
          static_cast<std::uint32_t>(std::lower_bound(keys_.begin(), keys_.end(), key) - keys_.begin()));
    }
    std::sort(indexes.begin(), indexes.end(),
              [&](std::uint32_t x, std::uint32_t y) { return ranks_[x] < ranks_[y]; });
    long long prefix = static_cast<long long>(indexes.size()) - std::max(needed, 1LL) + 1;
    for (long long i = 0; i < prefix; ++i) use(indexes[static_cast<std::size_t>(i)]);
  };
  postingStarts_.assign(keys_.size() + 1, 0);
  for (std::uint32_t position = 0; position < lengths_.size(); ++position) {
    forEachIndexedKey(position, [&](std::uint32_t key) { ++postingStarts_[key + 1]; });
  }
  std::partial_sum(postingStarts_.begin(), postingStarts_.end(), postingStarts_.begin());
  postings_.resize(postingStarts_.back());
  std::vector<std::uint32_t> filled(postingStarts_.begin(), postingStarts_.end() - 1);
  for (std::uint32_t position = 0; position < lengths_.size(); ++position) {
    forEachIndexedKey(position, [&](std::uint32_t key) { postings_[filled[key]++] = position; });
  }
}

std::size_t SuggestionIndex::MemoryBytes() const {
  auto bytes = [](const auto& vector) { return vector.capacity() * sizeof(vector[0]); };
  return characters_.capacity() + bytes(starts_) + bytes(lengths_) + bytes(order_) +
         bytes(payloads_) + bytes(keys_) + bytes(ranks_) + bytes(postingStarts_) +
         bytes(postings_) + bytes(seen_) + bytes(matchMasks_) + bytes(lcsVector_) +
         bytes(queryCounts_) + bytes(spare_) + bytes(gathered_);
}

std::optional<Suggestion> SuggestionIndex::Find(std::string_view query) {
  std::size_t a = query.size();
  if (lengths_.empty() || a > kMaxCandidateLength) return std::nullopt;
  if (a == 0) {  // only an empty candidate matches, the first one in order
    if (lengths_[0] != 0) return std::nullopt;
    return Suggestion{payloads_[0], 1.0};
  }
  if (++queryNumber_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    queryNumber_ = 1;
  }
  auto positionOf = [&](std::size_t length) {
    return static_cast<std::uint32_t>(
        std::lower_bound(lengths_.begin(), lengths_.end(), length) - lengths_.begin());
  };
  std::uint32_t first = positionOf(ShortestMatch(a)), end = positionOf(LongestMatch(a) + 1);
  if (first == end) return std::nullopt;

  // Lengths where the pair bound rules nothing out are taken whole; the others through the
  // index, with the fewest shared keys any of them needs.
  gathered_.clear();
  long long needed = std::numeric_limits<long long>::max();
  for (std::size_t b = ShortestMatch(a); b <= LongestMatch(a); ++b) {
    long long keysNeeded = SharedKeysNeeded(a, b);
    if (keysNeeded > 0) {
      needed = std::min(needed, keysNeeded);
      continue;
    }
    for (std::uint32_t p = positionOf(b); p < lengths_.size() && lengths_[p] == b; ++p) {
      seen_[p] = queryNumber_;
      gathered_.push_back(p);
    }
  }
  std::vector<std::uint64_t> keys;
  PairKeys(query, keys);
  if (needed <= static_cast<long long>(keys.size())) {
    // Keys no candidate holds come first in the global order: they use up places of the prefix.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranked;  // rank + 1 (0: unknown), key
    for (std::uint64_t key : keys) {
      auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
      auto index = static_cast<std::uint32_t>(found - keys_.begin());
      bool known = found != keys_.end() && *found == key;
      ranked.emplace_back(known ? ranks_[index] + 1 : 0, index);
    }
    std::sort(ranked.begin(), ranked.end());
    std::size_t prefix = keys.size() - static_cast<std::size_t>(needed) + 1;
    std::vector<std::uint32_t> lists;
    for (std::size_t i = 0; i < prefix; ++i) {
      if (ranked[i].first != 0) lists.push_back(ranked[i].second);
    }
    for (std::uint32_t key : lists) {
      auto listBegin = postings_.begin() + postingStarts_[key];
      auto listEnd = postings_.begin() + postingStarts_[key + 1];
      for (auto p = std::lower_bound(listBegin, listEnd, first); p != listEnd && *p < end; ++p) {
        if (seen_[*p] == queryNumber_) continue;
        seen_[*p] = queryNumber_;
        gathered_.push_back(*p);
      }
    }
  }
  if (gathered_.empty()) return std::nullopt;

  PrepareQuery(query);
  Best best;
  for (std::uint32_t position : gathered_) Consider(position, query, best);
  FinishQuery(query);
  if (best.position == kNoOrder) return std::nullopt;
  return Suggestion{payloads_[best.position], Ratio(best.common, best.total)};
}

void SuggestionIndex::PrepareQuery(std::string_view query) {
  words_ = (query.size() + 63) / 64;
  if (matchMasks_.size() < 256 * words_) matchMasks_.resize(256 * words_);
  SetMatchMasks(query, words_, matchMasks_.data());
  for (char c : query) ++queryCounts_[static_cast<unsigned char>(c)];
  spare_ = queryCounts_;
}

void SuggestionIndex::FinishQuery(std::string_view query) {
  for (char c : query) {
    unsigned char byte = static_cast<unsigned char>(c);
    std::fill_n(matchMasks_.begin() + static_cast<std::ptrdiff_t>(byte * words_), words_, 0);
    queryCounts_[byte] = 0;
    spare_[byte] = 0;
  }
}

void SuggestionIndex::Consider(std::uint32_t position, std::string_view query, Best& best) {
  std::uint64_t a = query.size(), b = lengths_[position], total = a + b;
  std::uint32_t order = order_[position];
  if (!best.LosesTo(std::min(a, b), total, order)) return;

  // The character bound, given up as soon as too many of the candidate's characters are
  // missing from the query to reach the best so far.
  std::string_view candidate = std::string_view(characters_).substr(starts_[position], b);
  std::uint64_t needed = (best.common * total + best.total - 1) / best.total;
  std::uint64_t missing = 0, allowed = b - std::min(b, needed), looked = 0;
  for (char c : candidate) {
    std::uint32_t& spare = spare_[static_cast<unsigned char>(c)];
    ++looked;
    if (spare > 0) {
      --spare;
    } else if (++missing > allowed) {
      break;
    }
  }
  for (char c : candidate.substr(0, looked)) {
    spare_[static_cast<unsigned char>(c)] = queryCounts_[static_cast<unsigned char>(c)];
  }
  if (!best.LosesTo(looked - missing + (b - looked), total, order)) return;

  std::uint64_t common = LcsLength(matchMasks_.data(), words_, candidate, lcsVector_);
  if (best.LosesTo(common, total, order)) best = Best{common, total, order, position};
}
