// The text catalogue: every distinct text the scanner accepted, in order of first appearance.
// The list keeps the order; the index answers quickly whether a text was seen before. Both hold
// their own copy of every text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// A heap copy of a text, NUL-terminated, owned by whoever holds it.
class OwnedText {
 public:
  explicit OwnedText(std::string_view text);
  const char* c_str() const { return text_.get(); }
  std::string_view view() const { return {text_.get(), length_}; }

 private:
  std::unique_ptr<char[]> text_;
  std::size_t length_;
};

class TextListNode {
 public:
  explicit TextListNode(std::string_view text) : text(text) {}
  virtual ~TextListNode() = default;

  TextListNode* next = nullptr;
  OwnedText text;
};

// The texts in the order they were first met.
class TextList {
 public:
  TextList() = default;
  TextList(const TextList&) = delete;
  TextList& operator=(const TextList&) = delete;
  virtual ~TextList() { Clear(); }

  // Takes ownership of the node and links it after the last one.
  void Append(std::unique_ptr<TextListNode> node);
  // The number of nodes, found by walking the list.
  std::size_t Count() const;
  // The walk: First() puts the cursor on the first node, Next() moves it on; both return the
  // cursor's node, or none at the end.
  TextListNode* First();
  TextListNode* Next();
  // Destroys every node; the list is empty afterwards.
  void Clear();

 private:
  TextListNode* first_ = nullptr;
  TextListNode* last_ = nullptr;
  TextListNode* cursor_ = nullptr;
};

class KeyedEntry {
 public:
  explicit KeyedEntry(std::string_view key) : key(key) {}
  virtual ~KeyedEntry() = default;

  KeyedEntry* next = nullptr;
  OwnedText key;
};

// A hash table of texts with a fixed number of buckets that never grows.
class TextIndex {
 public:
  static constexpr std::size_t kBucketCount = 10007;

  TextIndex();
  TextIndex(const TextIndex&) = delete;
  TextIndex& operator=(const TextIndex&) = delete;
  ~TextIndex() { Clear(); }

  // The entry whose key equals `key` byte for byte, or none.
  KeyedEntry* Find(std::string_view key) const;
  // Adds the entry after the last one of its key's bucket, without looking for an equal key.
  void Insert(std::unique_ptr<KeyedEntry> entry);
  // Destroys every entry and leaves every bucket empty.
  void Clear();

 private:
  std::unique_ptr<KeyedEntry*[]> buckets_;
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
