// The text catalogue: every distinct text the scanner accepted, in order of first appearance.
// The list keeps the order; the index answers quickly whether a text was seen before. Both hold
// their own copy of every text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "catalogue/arena.h"

// A copy of a text, NUL-terminated, stored in the arena of the container that holds it.
class StoredText {
 public:
  StoredText(Arena& arena, std::string_view text);
  const char* c_str() const { return text_; }
  std::string_view view() const { return {text_, length_}; }

 private:
  const char* text_;
  std::size_t length_;
};

class TextListNode {
 public:
  TextListNode(Arena& arena, std::string_view text) : text(arena, text) {}
  virtual ~TextListNode() = default;

  TextListNode* next = nullptr;
  StoredText text;
  // Its translation as the CRT file holds it: none (an empty one) unless the list was given one.
  const char* translation = "";
};

// The texts in the order they were first met. The list owns its nodes and their texts.
class TextList {
 public:
  TextList() = default;
  TextList(const TextList&) = delete;
  TextList& operator=(const TextList&) = delete;
  virtual ~TextList() { Clear(); }

  // Makes a node holding a copy of `text`, not linked in yet.
  TextListNode* MakeNode(std::string_view text);
  // Links a node made by MakeNode after the last one.
  void Append(TextListNode* node);
  // Gives a node of the list a copy of `translation`.
  void SetTranslation(TextListNode* node, std::string_view translation);
  // The number of nodes, found by walking the list.
  std::size_t Count() const;
  // The walk: First() puts the cursor on the first node, Next() moves it on; both return the
  // cursor's node, or none at the end.
  TextListNode* First();
  TextListNode* Next();
  // Destroys every node; the list is empty afterwards.
  void Clear();

 private:
  Arena arena_;
  TextListNode* first_ = nullptr;
  TextListNode* last_ = nullptr;
  TextListNode* cursor_ = nullptr;
};

class KeyedEntry {
 public:
  KeyedEntry(Arena& arena, std::string_view key) : key(arena, key) {}
  virtual ~KeyedEntry() = default;

  StoredText key;
};

// A hash table of texts with a fixed number of buckets that never grows. Each bucket holds its
// entries in insertion order, in one array together with their keys' hashes, so a lookup
// compares the hashes side by side and touches an entry only when its hash matches: with tens of
// entries per bucket, a chain of linked entries would cost a cache miss for every one of them.
// The index owns its entries and their keys.
class TextIndex {
 public:
  static constexpr std::size_t kBucketCount = 10007;

  TextIndex();
  TextIndex(const TextIndex&) = delete;
  TextIndex& operator=(const TextIndex&) = delete;
  ~TextIndex() { Clear(); }

  // The entry whose key equals `key` byte for byte, or none.
  KeyedEntry* Find(std::string_view key) const;
  // Adds an entry holding a copy of `key` after the last one of its key's bucket, without
  // looking for an equal key. When it fails, the index is as it was.
  void Insert(std::string_view key);
  // Destroys every entry and leaves every bucket empty.
  void Clear();

 private:
  struct Slot {
    std::uint32_t hash;
    KeyedEntry* entry;
  };

  Arena arena_;
  std::unique_ptr<std::vector<Slot>[]> buckets_;
};

// The ELF hash with every byte taken as a signed 8-bit value.
std::uint32_t HashText(std::string_view text);
inline std::size_t BucketOf(std::string_view text) {
  return HashText(text) % TextIndex::kBucketCount;
}

// The catalogue of the run.
extern TextIndex Index;
extern TextList List;

// Offers a candidate text: it is added when it is wordlike and not in the catalogue yet.
void AddText(std::string_view text);
