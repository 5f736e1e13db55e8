#include "catalogue/arena.h"

#include <cstdint>

void* Arena::Allocate(std::size_t size, std::size_t alignment) {
  std::size_t padding =
      (alignment - reinterpret_cast<std::uintptr_t>(next_) % alignment) % alignment;
  if (next_ == nullptr || padding + size > room_) {
    // Something larger than a block gets a block of its own; the current block stays in use.
    if (size > kBlockSize) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      return blocks_.back().get();
    }
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
    next_ = blocks_.back().get();
    room_ = kBlockSize;
    padding = 0;
  }
  void* memory = next_ + padding;
  next_ += padding + size;
  room_ -= padding + size;
  return memory;
}

void Arena::Release() {
  blocks_.clear();
  next_ = nullptr;
  room_ = 0;
}
