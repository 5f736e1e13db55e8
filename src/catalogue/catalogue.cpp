#include "catalogue/catalogue.h"

#include <cstring>
#include <new>

#include "common/ascii.h"

// The index is constructed before the list, and so destroyed after it.
TextIndex Index;
TextList List;

StoredText::StoredText(Arena& arena, std::string_view text) : length_(text.size()) {
  char* copy = static_cast<char*>(arena.Allocate(text.size() + 1, 1));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  text_ = copy;
}

TextListNode* TextList::MakeNode(std::string_view text) {
  return new (arena_.Allocate(sizeof(TextListNode), alignof(TextListNode)))
      TextListNode(arena_, text);
}

void TextList::Append(TextListNode* node) {
  if (last_ == nullptr) {
    first_ = node;
  } else {
    last_->next = node;
  }
  last_ = cursor_ = node;
}

void TextList::SetTranslation(TextListNode* node, std::string_view translation) {
  node->translation = StoredText(arena_, translation).c_str();
}

std::size_t TextList::Count() const {
  std::size_t count = 0;
  for (const TextListNode* node = first_; node != nullptr; node = node->next) ++count;
  return count;
}

TextListNode* TextList::First() {
  return cursor_ = first_;
}

TextListNode* TextList::Next() {
  if (cursor_ != nullptr) cursor_ = cursor_->next;
  return cursor_;
}

void TextList::Clear() {
  while (first_ != nullptr) {
    TextListNode* next = first_->next;
    first_->~TextListNode();
    first_ = next;
  }
  last_ = cursor_ = nullptr;
  arena_.Release();
}

TextIndex::TextIndex() : buckets_(std::make_unique<std::vector<Slot>[]>(kBucketCount)) {}

std::uint32_t HashText(std::string_view text) {
  std::uint32_t h = 0;
  for (char c : text) {
    h = (h << 4) + static_cast<std::uint32_t>(static_cast<signed char>(c));
    std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h = (h & 0x0FFFFFFFu) ^ (g >> 24);
  }
  return h;
}

KeyedEntry* TextIndex::Find(std::string_view key) const {
  std::uint32_t hash = HashText(key);
  for (const Slot& slot : buckets_[hash % kBucketCount]) {
    if (slot.hash == hash && slot.entry->key.view() == key) return slot.entry;
  }
  return nullptr;
}

void TextIndex::Insert(std::string_view key) {
  KeyedEntry* entry =
      new (arena_.Allocate(sizeof(KeyedEntry), alignof(KeyedEntry))) KeyedEntry(arena_, key);
  std::uint32_t hash = HashText(key);
  // Should the bucket fail to grow, the entry stays unused in the arena; it holds nothing else.
  buckets_[hash % kBucketCount].push_back(Slot{hash, entry});
}

void TextIndex::Clear() {
  for (std::size_t bucket = 0; bucket < kBucketCount; ++bucket) {
    for (const Slot& slot : buckets_[bucket]) slot.entry->~KeyedEntry();
    buckets_[bucket].clear();
  }
  arena_.Release();
}

void AddText(std::string_view text) {
  if (Index.Find(text) != nullptr || !IsWordlike(text)) return;
  // The node is made before the entry is inserted and linked in only after it, so running out of
  // memory leaves the catalogue as it was.
  TextListNode* node = List.MakeNode(text);
  Index.Insert(text);
  List.Append(node);
}
