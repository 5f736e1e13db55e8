// Fuzzes TextFile::ReadLine, alone or after SkipLinesWithout, against the plain model of what it
// must deliver. The first byte picks the buffer size (the program's 1000 bytes, or a small one
// so that short inputs reach the limits), whether lines without a quote are passed over and
// whether lines are joined as quotex or as the compiler joins them; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings.h"
#include "fuzz_check.h"
#include "fuzz_files.h"
#include "reader_model.h"
#include "scan/text_file.h"

namespace {

// The first byte's lowest bit picks the program's buffer or a small one of 2 to 33 bytes; the
// next-to-highest joins lines as the compiler does; the highest makes every ReadLine follow a
// SkipLinesWithout.
std::size_t BufferSize(std::uint8_t selector) {
  return (selector & 1) != 0 ? 2 + ((selector >> 1) & 31) : kLineSize;
}
bool JoinsAsCompiled(std::uint8_t selector) {
  return (selector & 0x40) != 0;
}
bool SkipsLinesWithoutQuote(std::uint8_t selector) {
  return (selector & 0x80) != 0;
}

bool HoldsQuote(std::string_view line) {
  return line.find('\'') != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t bufferSize = BufferSize(data[0]);
  bool skips = SkipsLinesWithoutQuote(data[0]);
  const std::filesystem::path source = fuzz::ScratchDirectory::Path() / "SOURCE.CLW";
  fuzz::WriteFile(source, data + 1, size - 1);

  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  bool asCompiled = JoinsAsCompiled(data[0]);
  std::vector<std::string> expected = asCompiled ? fuzz::ModelCompiledLines(bytes, bufferSize)
                                                 : fuzz::ModelLogicalLines(bytes, bufferSize);
  TextFile file;
  file.Open(source.c_str(), "rt");
  FUZZ_CHECK(file.IsOpen());
  if (asCompiled) file.JoinAsCompiled();
  std::vector<char> line(bufferSize + 1, '\x55');
  // The delivered lines are the model's, less (when skipping) some that hold no quote.
  std::size_t next = 0;
  for (;;) {
    if (skips) file.SkipLinesWithout('\'');
    if (!file.ReadLine(line.data(), bufferSize)) break;
    FUZZ_CHECK(line[bufferSize] == '\x55');  // nothing written past the buffer
    std::string_view delivered(line.data());
    while (skips && next < expected.size() && expected[next] != delivered &&
           !HoldsQuote(expected[next])) {
      ++next;
    }
    FUZZ_CHECK(next < expected.size() && expected[next] == delivered);
    ++next;
  }
  for (; next < expected.size(); ++next) FUZZ_CHECK(skips && !HoldsQuote(expected[next]));
  FUZZ_CHECK(!file.ReadLine(line.data(), bufferSize));
  return 0;
}
