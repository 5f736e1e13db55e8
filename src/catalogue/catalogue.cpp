#include "catalogue/catalogue.h"

#include <cstring>

#include "common/ascii.h"

// The index is constructed before the list, and so destroyed after it.
TextIndex Index;
TextList List;

OwnedText::OwnedText(std::string_view text)
    : text_(std::make_unique<char[]>(text.size() + 1)), length_(text.size()) {
  std::memcpy(text_.get(), text.data(), text.size());
  text_[text.size()] = '\0';
}

void TextList::Append(std::unique_ptr<TextListNode> node) {
  TextListNode* added = node.release();
  if (last_ == nullptr) {
    first_ = added;
  } else {
    last_->next = added;
  }
  last_ = cursor_ = added;
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
  // Iteratively: a recursive teardown of a long list would exhaust the stack.
  while (first_ != nullptr) {
    TextListNode* next = first_->next;
    delete first_;
    first_ = next;
  }
  last_ = cursor_ = nullptr;
}

TextIndex::TextIndex() : buckets_(std::make_unique<KeyedEntry*[]>(kBucketCount)) {}

std::uint32_t HashText(std::string_view text) {
  std::uint32_t h = 0;
  for (char c : text) {
    h = (h << 4) +
        static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h = (h & 0x0FFFFFFFu) ^ (g >> 24);
  }
  return h;
}

KeyedEntry* TextIndex::Find(std::string_view key) const {
  for (KeyedEntry* entry = buckets_[BucketOf(key)]; entry != nullptr; entry = entry->next) {
    if (entry->key.view() == key) return entry;
  }
  return nullptr;
}

void TextIndex::Insert(std::unique_ptr<KeyedEntry> entry) {
  KeyedEntry** link = &buckets_[BucketOf(entry->key.view())];
  while (*link != nullptr) link = &(*link)->next;
  *link = entry.release();
}

void TextIndex::Clear() {
  for (std::size_t bucket = 0; bucket < kBucketCount; ++bucket) {
    while (buckets_[bucket] != nullptr) {
      KeyedEntry* next = buckets_[bucket]->next;
      delete buckets_[bucket];
      buckets_[bucket] = next;
    }
  }
}

void AddText(std::string_view text) {
  if (Index.Find(text) != nullptr || !IsWordlike(text)) return;
  // Both copies are made before either is linked in, so running out of memory leaves the
  // catalogue as it was.
  auto node = std::make_unique<TextListNode>(text);
  auto entry = std::make_unique<KeyedEntry>(text);
  List.Append(std::move(node));
  Index.Insert(std::move(entry));
}
