#include "scan/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/failure.h"

namespace {

constexpr char kWriteError[] = "Error writing to file";
constexpr char kEndOfFileByte = 0x1A;

// A literal continued on the next line ends in this marker: its closing quote, a blank, the
// concatenation operator and the line-continuation bar, with nothing after it.
constexpr char kMarker[] = "' &|";
constexpr std::size_t kMarkerLength = sizeof kMarker - 1;
// Lines this short are never joined, whatever they end in.
constexpr std::size_t kLongestUnjoinedLine = 10;

// Whether one of the eight bytes of `word` equals `byte` (the classic test for a zero byte, made
// after the wanted byte has been turned into zero).
bool HoldsByte(std::uint64_t word, unsigned char byte) {
  constexpr std::uint64_t kLow = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  std::uint64_t zeroed = word ^ (kLow * byte);
  return ((zeroed - kLow) & ~zeroed & kHigh) != 0;
}

// The start of the line that holds position `at`: just after the last line feed before it, or
// `begin`. Steps back eight bytes at a time while they hold no line feed.
const char* StartOfLine(const char* begin, const char* at) {
  for (std::uint64_t word; at - begin >= 8; at -= 8) {
    std::memcpy(&word, at - 8, 8);
    if (HoldsByte(word, '\n')) break;
  }
  while (at > begin && at[-1] != '\n') --at;
  return at;
}

bool EndsInMarker(const char* line, std::size_t length) {
  return length > kLongestUnjoinedLine &&
         std::memcmp(line + length - kMarkerLength, kMarker, kMarkerLength) == 0;
}

// Joins the continuation lines of one logical line without recursion.
//
// Defined recursively, a logical line is its first physical line cut at the marker, followed by
// everything after the first quote of the *logical* line that comes next, cut to the buffer's
// capacity; the innermost line is joined first. Seen as a stream, every character of a
// continuation line enters its own level, then climbs level by level towards the first line:
// each level keeps at most `capacity` characters, and between two levels the characters up to
// and including the lower level's first quote are dropped. Levels that already passed their
// quote form one group with the level above, and a character climbs through a whole group at
// once, so only the remaining room of each group is kept. A character that meets a full level
// never climbs past it, and neither does any later one, so the line is final from then on.
class ContinuationJoin {
 public:
  ContinuationJoin(char* line, std::size_t length, std::size_t capacity)
      : line_(line), length_(length), capacity_(capacity) {
    rooms_.push_back(capacity - length);
  }

  // Adds the next continuation line, already cut at its marker if it has one.
  void Add(const char* text, std::size_t length) {
    if (final_) return;
    // Each level still waiting for its quote needs a character that climbed through the lowest
    // level to open it; more of them than that level can hold can never all be opened.
    if (rooms_.size() > capacity_ + 1) {
      final_ = true;
      return;
    }
    rooms_.push_back(capacity_);
    while (length > 0 && !final_) {
      std::size_t& room = rooms_.back();
      std::size_t window = std::min(room, length);
      if (rooms_.size() == 1) {  // this group reaches the first line
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

  std::size_t Length() const { return length_; }

 private:
  char* line_;
  std::size_t length_;
  std::size_t capacity_;
  std::vector<std::size_t> rooms_;  // remaining room of each group, first line's group first
  bool final_ = false;
};

}  // namespace

TextFile::~TextFile() {
  Close();  // a write error that shows only now is not reported
}

void TextFile::Open(const char* name, const char* mode) {
  Close();
  std::size_t size = std::strlen(name) + 1;
  name_ = std::make_unique_for_overwrite<char[]>(size);
  std::memcpy(name_.get(), name, size);
  writing_ = mode[0] == 'w';
  pos_ = end_ = 0;
  atEnd_ = false;
  stream_ = std::fopen(name, writing_ ? "wb" : "rb");
  if (stream_ == nullptr) return;
  // Reading and writing go through our own block, so the stream needs no buffer of its own.
  std::setvbuf(stream_, nullptr, _IONBF, 0);
  if (!block_) block_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
}

bool TextFile::Close() {
  if (stream_ == nullptr) return true;
  bool ok = true;
  if (writing_) ok = WriteBlock() && std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  return ok;
}

void TextFile::WriteLine(const char* text) {
  if (stream_ == nullptr || !writing_) throw Failure(kWriteError);
  for (;;) {
    const char* lineFeed = std::strchr(text, '\n');
    std::size_t length =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - text) : std::strlen(text);
    Put(text, length);
    Put("\r\n", 2);
    if (lineFeed == nullptr) return;
    text = lineFeed + 1;
  }
}

void TextFile::Put(const char* bytes, std::size_t length) {
  if (end_ + length > kBufferSize && !WriteBlock()) throw Failure(kWriteError);
  if (length > kBufferSize) {
    if (std::fwrite(bytes, 1, length, stream_) != length) throw Failure(kWriteError);
    return;
  }
  std::memcpy(block_.get() + end_, bytes, length);
  end_ += length;
}

bool TextFile::WriteBlock() {
  std::size_t length = end_;
  end_ = 0;
  return std::fwrite(block_.get(), 1, length, stream_) == length;
}

bool TextFile::Refill(std::size_t keep) {
  std::memmove(block_.get(), block_.get() + end_ - keep, keep);
  pos_ = 0;
  end_ = keep;
  if (atEnd_ || stream_ == nullptr) return false;
  std::size_t got = std::fread(block_.get() + keep, 1, kBufferSize - keep, stream_);
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  const char* stop =
      static_cast<const char*>(std::memchr(block_.get() + keep, kEndOfFileByte, got));
  if (stop != nullptr) {
    got = static_cast<std::size_t>(stop - (block_.get() + keep));
    atEnd_ = true;
  }
  end_ = keep + got;
  return got > 0;
}

std::size_t TextFile::ReadPiece(char* buffer, std::size_t limit) {
  std::size_t count = 0;
  while (count < limit) {
    if (pos_ == end_ && !Refill(0)) break;
    const char* start = block_.get() + pos_;
    std::size_t available = std::min(end_ - pos_, limit - count);
    const char* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available));
    std::size_t span =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - start) + 1 : available;
    const char* carriageReturn = static_cast<const char*>(std::memchr(start, '\r', span));
    if (carriageReturn == nullptr) {
      std::memcpy(buffer + count, start, span);
      count += span;
      pos_ += span;
      if (lineFeed != nullptr) break;
      continue;
    }
    std::size_t before = static_cast<std::size_t>(carriageReturn - start);
    std::memcpy(buffer + count, start, before);
    count += before;
    pos_ += before;
    if (pos_ + 1 == end_) Refill(1);  // the CR's partner may be in the next block
    if (pos_ + 1 < end_ && block_[pos_ + 1] == '\n') {
      buffer[count++] = '\n';
      pos_ += 2;
      break;
    }
    buffer[count++] = '\r';
    ++pos_;
  }
  buffer[count] = '\0';
  return count;
}

void TextFile::SkipLinesWithout(char mark) {
  if (stream_ == nullptr || writing_) return;
  for (;;) {
    if (pos_ == end_ && !Refill(0)) return;
    const char* start = block_.get() + pos_;
    std::size_t available = end_ - pos_;
    const char* found = static_cast<const char*>(std::memchr(start, mark, available));
    // A position just after a line feed always starts a piece, so the lines before it can go.
    const char* lineStart = StartOfLine(start, found != nullptr ? found : start + available);
    pos_ += static_cast<std::size_t>(lineStart - start);
    if (found != nullptr || pos_ != end_) return;
  }
}

bool TextFile::ReadPhysicalLine(char* buffer, std::size_t size, std::size_t& length) {
  if (stream_ == nullptr || writing_ || size < 2) return false;
  if (ReadPiece(buffer, size - 1) == 0) return false;
  // Measured as a C string: a NUL byte ends the line's text.
  length = std::strlen(buffer);
  if (length > 0 && buffer[length - 1] == '\n') buffer[--length] = '\0';
  return true;
}

bool TextFile::ReadLine(char* buffer, std::size_t size) {
  std::size_t length = 0;
  if (!ReadPhysicalLine(buffer, size, length)) return false;
  if (!EndsInMarker(buffer, length)) return true;
  length -= kMarkerLength;
  ContinuationJoin join(buffer, length, size - 1);
  std::vector<char> next(size);
  std::size_t nextLength = 0;
  while (ReadPhysicalLine(next.data(), size, nextLength)) {
    bool continued = EndsInMarker(next.data(), nextLength);
    if (continued) nextLength -= kMarkerLength;
    join.Add(next.data(), nextLength);
    if (!continued) break;
  }
  buffer[join.Length()] = '\0';
  return true;
}
