#include "scan/continuation_join.h"

#include <algorithm>
#include <cstring>

ContinuationJoin::ContinuationJoin(char* line, std::size_t length, std::size_t capacity)
    : line_(line), length_(length), capacity_(capacity) {
  rooms_.push_back(capacity - length);
}

void ContinuationJoin::Add(const char* text, std::size_t length) {
  if (final_) return;
  // Every level still waiting for its quote is opened by a quote that has climbed through all
  // the levels above it, the newest one included; more waiting levels than a level holds
  // characters can never all be opened. This bounds the memory kept.
  if (rooms_.size() > capacity_ + 1) {
    final_ = true;
    return;
  }
  rooms_.push_back(capacity_);
  while (length > 0 && !final_) {
    std::size_t& room = rooms_.back();
    std::size_t window = std::min(room, length);
    if (rooms_.size() == 1) {  // this group is the first line's
      std::memcpy(line_ + length_, text, window);
      length_ += window;
      room -= window;
      final_ = window < length;
      return;
    }
    const char* quote = static_cast<const char*>(std::memchr(text, '\'', window));
    if (quote == nullptr) {
      room -= window;
      final_ = window < length;
      return;
    }
    std::size_t used = static_cast<std::size_t>(quote - text) + 1;
    room -= used;
    text += used;
    length -= used;
    std::size_t merged = std::min(room, rooms_[rooms_.size() - 2]);
    rooms_.pop_back();
    rooms_.back() = merged;
  }
}
