// Fuzzes TextFile::ReadLine against a plain model of what it must deliver: the text-mode
// translation applied to the whole file, physical lines cut into pieces that fit the buffer,
// and each continued literal joined the recursive way, innermost line first, every level cut to
// the buffer. The first byte picks the buffer size (the program's 1000 bytes, or a small one so
// that short inputs reach the limits); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings.h"
#include "fuzz_check.h"
#include "fuzz_files.h"
#include "scan/text_file.h"

namespace {

constexpr std::string_view kMarker = "' &|";

// CR LF reads as LF, a lone CR stays, and 0x1A ends the file.
FUZZ_MODEL std::string TextModeBytes(std::string_view bytes) {
  std::string translated;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    translated += bytes[i];
  }
  return translated;
}

// The physical lines of a translated file as the standard line-reading call delivers them into
// a buffer of `size` bytes: pieces of at most size-1 characters, each cut at its LF and at its
// first NUL.
FUZZ_MODEL std::vector<std::string> PhysicalLines(std::string_view text, std::size_t size) {
  std::vector<std::string> lines;
  for (std::size_t position = 0; position < text.size();) {
    std::size_t length = std::min(size - 1, text.size() - position);
    std::size_t lineFeed = text.substr(position, length).find('\n');
    if (lineFeed != std::string_view::npos) length = lineFeed + 1;
    std::string_view piece = text.substr(position, length);
    position += length;
    piece = piece.substr(0, piece.find('\0'));
    if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
    lines.emplace_back(piece);
  }
  return lines;
}

bool IsContinued(std::string_view line) {
  return line.size() > 10 && line.ends_with(kMarker);
}

// Folds a chain of physical lines (each but the last continued) into one logical line: each
// line cut at its marker, followed by what comes after the first quote of the logical line that
// the rest of the chain makes, cut to the buffer.
FUZZ_MODEL std::string JoinChain(const std::vector<std::string>& lines, std::size_t first,
                                 std::size_t last, std::size_t size) {
  auto cut = [](std::string_view line) {
    return std::string(IsContinued(line) ? line.substr(0, line.size() - kMarker.size()) : line);
  };
  std::string joined = cut(lines[last]);
  for (std::size_t i = last; i-- > first;) {
    std::size_t quote = joined.find('\'');
    std::string outer = cut(lines[i]);
    if (quote != std::string::npos) outer += joined.substr(quote + 1);
    joined = outer.substr(0, size - 1);
  }
  return joined;
}

FUZZ_MODEL std::vector<std::string> ModelLogicalLines(std::string_view bytes, std::size_t size) {
  std::vector<std::string> physical = PhysicalLines(TextModeBytes(bytes), size);
  std::vector<std::string> logical;
  for (std::size_t first = 0; first < physical.size();) {
    std::size_t last = first;
    while (IsContinued(physical[last]) && last + 1 < physical.size()) ++last;
    logical.push_back(JoinChain(physical, first, last, size));
    first = last + 1;
  }
  return logical;
}

std::size_t BufferSize(std::uint8_t selector) {
  return selector % 2 == 0 ? kLineSize : 2 + selector / 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t bufferSize = BufferSize(data[0]);
  const std::filesystem::path source = fuzz::ScratchDirectory::Path() / "SOURCE.CLW";
  fuzz::WriteFile(source, data + 1, size - 1);

  std::vector<std::string> expected = ModelLogicalLines(
      std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), bufferSize);
  TextFile file;
  file.Open(source.c_str(), "rt");
  FUZZ_CHECK(file.IsOpen());
  std::vector<char> line(bufferSize + 1, '\x55');
  std::size_t delivered = 0;
  while (file.ReadLine(line.data(), bufferSize)) {
    FUZZ_CHECK(line[bufferSize] == '\x55');  // nothing written past the buffer
    FUZZ_CHECK(delivered < expected.size());
    FUZZ_CHECK(std::string_view(line.data()) == expected[delivered]);
    ++delivered;
  }
  FUZZ_CHECK(delivered == expected.size());
  FUZZ_CHECK(!file.ReadLine(line.data(), bufferSize));
  return 0;
}
