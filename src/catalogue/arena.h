// Storage for the objects of one container and their texts: handed out in order from large
// blocks and given back all at once. Objects made one after another lie side by side, so the
// index's entries and their keys stay close together in memory, apart from the list's nodes,
// and a small object costs no bookkeeping of its own. What it buys, measured against each node,
// entry and text allocated by itself: a run over 256 MB of generated sources takes 19% less time
// and 17% less memory with 20,000 distinct texts, 35% less time and 36% less memory with a
// million.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // Room for `size` bytes at a multiple of `alignment` (a power of two that new[] memory
  // satisfies); raises std::bad_alloc when there is none.
  void* Allocate(std::size_t size, std::size_t alignment);
  // Gives back every block. Objects made in them must have been destroyed before.
  void Release();

 private:
  static constexpr std::size_t kBlockSize = 262144;

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
};
