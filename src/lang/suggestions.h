// Suggestions for texts without a translation: the similarity of two texts, an index of the
// texts that have one which finds the most similar of them without comparing every pair, the
// rules of what a translator is offered, and the translations of the pieces a wrapped text was
// once collected in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// 2*M / (|a| + |b|), where M is the length of a longest common subsequence of the two byte
// strings (each byte one character of the code page); 1.0 for two empty strings.
double SimilarityRatio(std::string_view a, std::string_view b);

// The lowest ratio at which a text is offered as a suggestion.
constexpr double kSuggestionThreshold = 0.8;

struct SuggestionCandidate {
  std::string_view characters;  // what it is compared by; the index keeps a copy
  std::size_t payload;          // handed back when it is the suggestion
};

struct Suggestion {
  std::size_t payload;
  double ratio;  // as SimilarityRatio gives it; 1.0 only for the same characters
};

// The candidates, in the order given, prepared for Find. A query gets the candidate with the
// highest ratio of at least kSuggestionThreshold, the earliest one among equals: exactly what
// comparing it with every candidate would give. Only candidates that can reach the threshold by
// their length, their characters and their pairs of adjacent characters are compared (the .cpp
// gives the bounds). The work of a query is bounded: where more candidates than its share of the
// work allows pass the bounds, as among many texts that differ only in a number, it gets the
// best of those it met. Texts must be shorter than 2^28 characters (std::length_error
// otherwise).
class SuggestionIndex {
 public:
  // `queries`: how many queries the work is shared among (see kAllQueriesWork).
  explicit SuggestionIndex(const std::vector<SuggestionCandidate>& candidates,
                           std::size_t queries = 1);

  // Not const: it keeps scratch space between queries, so one index serves one thread.
  std::optional<Suggestion> Find(std::string_view query);

  // Leaves out of every later Find the candidates whose payload p has excluded[p] set.
  void Exclude(const std::vector<bool>& excluded);

  std::size_t Size() const { return lengths_.size(); }
  // The bytes the index holds (its copy of the candidates included), for the benchmark.
  std::size_t MemoryBytes() const;

 private:
  static constexpr std::size_t kClasses = 16;  // of characters, counted for a cheap bound
  // The work a query may do: a candidate read from the index counts 1, one compared counts
  // kComparisonWork (a comparison of two texts of 40 characters takes about as long as reading
  // that many candidates, some 4 ns each). The queries share kAllQueriesWork (about five
  // seconds), each at least kLeastWork and at most kMostWork. 16,000 texts of a release against
  // 5,000 obsolete ones (bench/suggestions) get exactly what comparing every pair gives; 125,000
  // against 125,000 that differ only in a number took 37 s with the most work for each.
  static constexpr std::size_t kComparisonWork = 32;
  static constexpr std::size_t kAllQueriesWork = std::size_t{1} << 29;
  static constexpr std::size_t kLeastWork = std::size_t{1} << 11;
  static constexpr std::size_t kMostWork = std::size_t{1} << 16;
  std::size_t queryWork_;
  struct Best;
  std::optional<Suggestion> Found(const Best& best) const;
  // Makes the candidate at `position` the best when it is; true when it did.
  bool Consider(std::uint32_t position, std::string_view query, Best& best);
  void PrepareQuery(std::string_view query);

  // Candidates sorted by length, then by their order: the `position` of the members below.
  std::string characters_;              // their characters, one after the other
  std::vector<std::uint32_t> starts_;   // per position, into characters_
  std::vector<std::uint32_t> lengths_;  // per position, ascending
  std::vector<std::uint32_t> order_;    // per position, the candidate's place in the given order
  std::vector<std::size_t> payloads_;   // per position
  std::vector<unsigned char> classCounts_;  // kClasses per position, up to 255
  std::vector<bool> excluded_;              // per position; empty while none is

  // The inverted index of character pairs: for each distinct key (a pair and the number of the
  // times it occurred before in the same text), sorted by key, the positions of the candidates
  // whose indexed prefix holds it, ascending. Keys rank by how few candidates hold them.
  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> ranks_;
  std::vector<std::uint32_t> postingStarts_;  // per key, and one past the last
  std::vector<unsigned char> postings_;       // the lists, compressed

  // Scratch space of a query.
  std::vector<std::uint32_t> seen_;  // per position: the number of the query that saw it last
  std::uint32_t queryNumber_ = 0;
  std::vector<std::uint64_t> matchMasks_;  // per byte value, the query's positions holding it
  std::size_t words_ = 0;                  // 64-bit words per mask
  std::vector<std::uint64_t> lcsVector_;   // the bit vector of the LCS computation
  std::array<unsigned char, kClasses> queryClasses_{};  // up to 255
  std::size_t queryClassExcess_ = 0;                    // what the 255s leave out
};

// A wrapped text (literals joined over lines) was collected in pieces before quotex-lang read it
// as the compiler does, and a CRT file made then may hold the pieces translated. This offers such
// a text the translations of its pieces, joined in order. Texts are compared as the CRT file
// holds them (Clarion notation), a tab and <9> alike.
class PieceTranslations {
 public:
  struct Piece {
    std::string_view text;
    std::string_view translation;
  };
  // The translated texts that may be pieces; of two equal texts, the first one's translation.
  // The texts and translations must outlive it.
  explicit PieceTranslations(const std::vector<Piece>& pieces);
  PieceTranslations(const PieceTranslations&) = delete;  // its texts point into its own
  PieceTranslations& operator=(const PieceTranslations&) = delete;
  PieceTranslations(PieceTranslations&&) = default;
  PieceTranslations& operator=(PieceTranslations&&) = default;

  // The translations of the pieces `text` is made of, joined: translated texts, one after the
  // other, and characters without a letter ('<13,10>', ' - '), which no scan collects and which
  // stay as they are; at least two pieces, one of them translated. None when it is not so made.
  // ('Save?' is 'Save' and '?': a piece of a wrapped text or not, the joined translations are
  // what it needs.)
  std::optional<std::string> Join(std::string_view text) const;

 private:
  // The pieces that `text` begins with, shortest first.
  void PiecesStarting(std::string_view text, std::vector<std::size_t>& found) const;

  std::vector<std::pair<std::string_view, std::string_view>> sorted_;  // text, translation
  std::deque<std::string> tabsAsCodes_;  // the texts of sorted_ that hold a tab, <9> for it
};

// Texts of fewer letters than this are near only where they differ in letter case, accelerators,
// punctuation or blanks: among short texts a letter more or less makes another word ('Cel' and
// 'Ce', 'Planning' and 'AAPlanning').
constexpr std::size_t kShortTextLetters = 10;

// The letters of `characters`: ASCII ones and every byte above 127 (the code pages' letters).
std::size_t LetterCount(std::string_view characters);

// What a translation follows of its text however it is written: its letters, in lower case, and
// digits, without accelerators, punctuation and blanks. Two texts with the same loose form differ
// only in those.
std::string LooseForm(std::string_view characters);

// What a text without a translation is offered: of the candidates with the same loose form, the
// most similar (the earliest among equals), however little alike they are ('P&RINT SETUP...' and
// 'P&rint Setup...'); else, where it and the candidate have kShortTextLetters letters or more,
// the one the index finds. The candidates' characters must outlive it.
class Suggester {
 public:
  // `queries`: how many texts will be looked for, which share the index's work.
  Suggester(const std::vector<SuggestionCandidate>& candidates, std::size_t queries);

  std::optional<Suggestion> Find(std::string_view query);
  // As SuggestionIndex::Exclude.
  void Exclude(const std::vector<bool>& excluded);

 private:
  std::vector<SuggestionCandidate> candidates_;
  // The hashes of the candidates' loose forms, each with the candidate's number, in order.
  std::vector<std::pair<std::size_t, std::size_t>> byLooseForm_;
  SuggestionIndex index_;       // of the candidates that are not short
  std::vector<bool> excluded_;  // per payload
};
