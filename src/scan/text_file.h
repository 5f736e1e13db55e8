// One open text file with its name: read as logical lines (continued literals joined) or written
// line by line. Lines are joined as quotex joins them, or, after JoinAsCompiled(), as the
// compiler joins wrapped texts (scan/wrapped_text.h). The text-mode translation is done here over
// binary streams, so every platform reads and writes the same bytes: CR LF reads as LF, a lone CR
// stays, 0x1A ends the file, and every LF written goes out as CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

class TextFile {
 public:
  // Size of the block through which every open file is read or written.
  static constexpr std::size_t kBufferSize = 262144;

  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  virtual ~TextFile();

  // Opens `name` with mode "rt" (read) or "wt" (write). A failed open leaves the file closed and
  // reports nothing; the caller asks IsOpen().
  void Open(const char* name, const char* mode);
  bool IsOpen() const { return stream_ != nullptr; }
  const char* Name() const { return name_.get(); }

  // Reads the lines from now on as the compiler joins wrapped texts, not only where a line ends
  // exactly in quotex's marker.
  void JoinAsCompiled() { asCompiled_ = true; }

  // Delivers the next logical line, at most size-1 characters, NUL-terminated and without its
  // line end. False at end of file, on a read error, or when the file is not open.
  bool ReadLine(char* buffer, std::size_t size);
  // Whether reading stopped at an error before the end of the file: the lines delivered before
  // it are all there is.
  bool ReadFailed() const { return readFailed_; }

  // Passes over the lines ahead that do not hold the byte `mark`, so that the next ReadLine
  // delivers the first line that may hold it; every line after that comes as it would have
  // come. It passes over fewer lines where a line does not end within the read block.
  void SkipLinesWithout(char mark);

  // Counts the lines read from now on, so that LineNumber() can tell them.
  void CountLines() { countLines_ = true; }
  // The number (from 1) of the physical line on which the last logical line delivered started;
  // the pieces of a line cut for its length all keep its number.
  std::size_t LineNumber() const { return lineNumber_; }
  // After JoinAsCompiled(): whether the physical line before the last logical line delivered may
  // continue a statement onto it: it holds a '|', or it is no longer at hand to tell.
  bool LineBeforeMayContinue() const;
  // The number of the physical line that the character at `offset` of the last logical line
  // comes from; LineNumber() but where a line joined as the compiler joins it began.
  std::size_t LineNumberAt(std::size_t offset) const {
    std::size_t number = lineNumber_;
    for (const auto& [start, line] : joinedLines_) {
      if (start > offset) break;
      number = line;
    }
    return number;
  }

  // Writes `text` and a line end; raises Failure "Error writing to file" when that fails.
  void WriteLine(const char* text);

  // Flushes and closes the file; false when a buffered write or the close failed. A closed
  // file stays closed.
  bool Close();

 private:
  // Reads one physical piece as the standard line-reading call does on a text stream: up to and
  // including the next LF, at most `limit` characters. Returns the number of characters stored
  // (the buffer is NUL-terminated after them); 0 only at end of file.
  std::size_t ReadPiece(char* buffer, std::size_t limit);
  // Reads the next piece as a line: cut at its LF, measured as a C string.
  bool ReadPhysicalLine(char* buffer, std::size_t size, std::size_t& length);
  // ReadLine after JoinAsCompiled().
  bool ReadCompiledLine(char* buffer, std::size_t size);
  // Adds bytes to the write block, writing the block out first when they do not fit; raises
  // Failure "Error writing to file" when writing fails.
  void Put(const char* bytes, std::size_t length);
  // Writes out the write block and empties it; false when that failed.
  bool WriteBlock();
  // Refills the read block, keeping the `keep` unread bytes at its end. False when no new byte
  // could be read.
  bool Refill(std::size_t keep);

  std::FILE* stream_ = nullptr;
  std::unique_ptr<char[]> name_;
  bool writing_ = false;

  // Read block: bytes [pos_, end_) are read from the file but not yet delivered. Write block:
  // bytes [0, end_) are waiting to be written to the file.
  std::unique_ptr<char[]> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;  // end of file, a 0x1A byte, or a read error was met
  bool readFailed_ = false;
  bool countLines_ = false;
  std::size_t lineEnds_ = 0;  // line feeds passed so far (those skipped only while counting)
  std::size_t lineNumber_ = 0;

  // Joining as the compiler does: a line read to see whether it continued a text, and did not,
  // waits here to be delivered next.
  bool asCompiled_ = false;
  std::vector<char> ahead_;
  std::size_t aheadLength_ = 0;
  std::size_t aheadNumber_ = 0;  // its line number; 0: none waits
  // Where each line joined on begins in the last logical line, and its line number.
  std::vector<std::pair<std::size_t, std::size_t>> joinedLines_;
  // Where the last logical line began in the read block, while the block has not been refilled
  // since (refills_ counts them); none where it was read ahead.
  std::size_t refills_ = 0;
  std::size_t lineStart_ = 0;
  std::size_t lineStartRefills_ = SIZE_MAX;
};
