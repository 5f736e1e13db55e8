// The executable under hostile and broken input: huge, binary and random source files, entries
// that are not files, sources that cannot be read, symbolic links, and outputs that cannot be
// written (oversized arguments are with the command-line tests, broken line ends and bytes with
// the line reader's). Each run must end with the right status, messages and outputs; none may
// crash, hang or report success when a source was not read or an output not written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/settings.h"
#include "e2e/e2e_fixture.h"
#include "fuzz/outputs_model.h"
#include "fuzz/scanner_model.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPieceLength = 999;  // a longer physical line arrives in such pieces

// Expects the three outputs named "out" in `dir` to hold exactly `texts`.
void ExpectOutputs(const ScopedTempDir& dir, const Texts& texts) {
  fuzz::OutputFiles expected = fuzz::ModelOutputs(texts);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.BAS"), expected.bas);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.CRT"), expected.crt);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.LST"), expected.lst);
}

// Runs quotex over `mask` in `dir` with the outputs named "out", and expects a clean run that
// collected exactly `texts`.
void ExpectCollects(const ScopedTempDir& dir, const Texts& texts, const char* mask = "*.clw") {
  ProcessResult result = RunQuotex(dir.path(), {mask, "out"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, kBanner);
  ExpectOutputs(dir, texts);
}

// Places `text` into `line` at `position`.
void Place(std::string& line, std::size_t position, std::string_view text) {
  line.replace(position, text.size(), text);
}

// Every byte from 0x80 to 0xFF, `rounds` times over.
std::string HighBytes(int rounds) {
  std::string bytes;
  for (int round = 0; round < rounds; ++round) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) bytes += static_cast<char>(byte);
  }
  return bytes;
}

// Bytes of 0x80 and above are neither letters nor line ends: they stay in the texts, unchanged
// in all three outputs, and hash as signed values without harm.
TEST(BadInputTest, BytesAbove0x7F) {
  const struct {
    const char* name;
    std::string bytes;
    Texts expected;
  } cases[] = {
      {"only bytes 0x80-0xFF", HighBytes(1000), {}},
      {"bytes 0x80-0xFF in texts",
       "  MESSAGE('Caf\xe9 ouvert')\r\n  MESSAGE('Caf\xc9 ouvert')\r\n  T = '\xe9\xe8\xe0\xf1'\r\n"
       "  T = 'Gr\xfc\xdf Gott'\r\n  T = '\xc4\xd6'\r\n  T = 'Caf\xe9 ouvert'\r\n",
       {"Caf\xe9 ouvert", "Caf\xc9 ouvert", "Gr\xfc\xdf Gott"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    WriteBytes(dir / "A.CLW", c.bytes);
    ExpectCollects(dir, c.expected);
  }
}

// A line of 10 MiB without any line feed arrives in pieces of 999 characters; literals on both
// sides of a piece boundary are found whole.
TEST(BadInputTest, TenMegabyteLineWithoutLineFeed) {
  std::string line(10 << 20, ' ');
  Place(line, 0, "'First'");
  Place(line, kPieceLength - 7, "'Alpha'");
  Place(line, kPieceLength, "'Beta'");
  Place(line, 5000 * kPieceLength, "'Middle'");
  Place(line, line.size() - 6, "'Last'");
  ScopedTempDir dir;
  WriteBytes(dir / "LONG.CLW", line);
  ExpectCollects(dir, {"First", "Alpha", "Beta", "Middle", "Last"});
}

// Whatever random bytes hold, the executable collects what the plain models of the reader and
// the scanner say it must.
TEST(BadInputTest, RandomBytes) {
  std::mt19937 random(20240607);
  std::string bytes(1 << 20, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(random() % 256);
    if (byte == '\x1a') byte = '\'';  // would end the file at once
  }
  ScopedTempDir dir;
  WriteBytes(dir / "RANDOM.CLW", bytes);
  Texts texts = fuzz::ModelScan(bytes, false, kLineSize);
  EXPECT_GT(texts.size(), 100u);
  ExpectCollects(dir, texts);
}

TEST(BadInputTest, TenThousandFiles) {
  ScopedTempDir dir;
  Texts expected = {"Shared text"};
  for (int i = 0; i < 10'000; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%05d", i);
    expected.push_back(std::string("Text ") + number);
    WriteBytes(dir / (std::string("F") + number + ".CLW"),
               "  MESSAGE('Shared text')\r\n  MESSAGE('Text " + std::string(number) + "')\r\n");
  }
  ExpectCollects(dir, expected);
}

// Opening a named pipe for reading waits for a writer. While a run goes on, this opens the pipe
// for writing whenever a reader has it open (so such a reader meets end of file at once instead
// of waiting for ever) and remembers that one did.
class PipeWatch {
 public:
  explicit PipeWatch(fs::path pipe) : pipe_(std::move(pipe)), thread_([this] { Watch(); }) {}
  ~PipeWatch() { Stop(); }

  // Ends the watch; true when a reader had the pipe open.
  bool Stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    return opened_;
  }

 private:
  void Watch() {
    while (!done_) {
      int writer = open(pipe_.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) {
        opened_ = true;
        close(writer);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  fs::path pipe_;
  std::atomic<bool> done_ = false;
  std::atomic<bool> opened_ = false;
  std::thread thread_;
};

// The mask "*" matches the directory's own entries, a named pipe and a subdirectory too: none of
// them is read, none is reported, and the files around them are read.
TEST(BadInputTest, PipeAndDirectoryMatchingTheMask) {
  ScopedTempDir dir;
  WriteBytes(dir / "A.CLW", "  MESSAGE('Before the pipe')\r\n");
  ASSERT_EQ(mkfifo((dir / "B.CLW").c_str(), 0600), 0);
  fs::create_directory(dir.path() / "C.CLW");
  WriteBytes(dir / "C.CLW/INSIDE.CLW", "  MESSAGE('Inside')\r\n");
  WriteBytes(dir / "D.CLW", "  MESSAGE('After the directory')\r\n");
  PipeWatch watch(dir.path() / "B.CLW");
  ExpectCollects(dir, {"Before the pipe", "After the directory"}, "*");
  EXPECT_FALSE(watch.Stop()) << "the named pipe was opened";
}

// A link to a source file is scanned as that file; one to a directory, one that leads nowhere
// and one that leads to itself yield nothing, without a word.
TEST(BadInputTest, SymbolicLinksAmongTheSources) {
  ScopedTempDir dir;
  fs::create_directory(dir.path() / "sub");
  WriteBytes(dir / "sub/REAL.TXT", "  MESSAGE('Through a link')\r\n");
  WriteBytes(dir / "A.CLW", "  MESSAGE('Plain file')\r\n");
  fs::create_symlink("sub/REAL.TXT", dir.path() / "B.CLW");
  fs::create_symlink("sub", dir.path() / "C.CLW");
  fs::create_symlink("missing.txt", dir.path() / "D.CLW");
  fs::create_symlink("E.CLW", dir.path() / "E.CLW");
  WriteBytes(dir / "F.CLW", "  MESSAGE('Plain file')\r\n  MESSAGE('Last file')\r\n");
  ExpectCollects(dir, {"Plain file", "Through a link", "Last file"});
}

// A source before and after the one that cannot be read: the run goes on, writes the outputs
// with every text that was read, then names the file, as the progress line shows it, and ends
// with status 1.
void ExpectNamedAsUnread(const ScopedTempDir& dir, const Texts& texts,
                         const ProcessOptions& options = {}) {
  WriteBytes(dir / "A.CLW", "  MESSAGE('Before it')\r\n");
  WriteBytes(dir / "z.clw", "  MESSAGE('After it')\r\n");
  ProcessResult result = RunQuotex(dir.path(), {"*.clw", "out"}, options);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, kBanner + CannotRead("UNREAD.CLW"));
  Texts expected = {"Before it"};
  expected.insert(expected.end(), texts.begin(), texts.end());
  expected.push_back("After it");
  ExpectOutputs(dir, expected);
}

// /proc/sys/vm/drop_caches is a regular file that nobody may open for reading, not even root.
TEST(BadInputTest, SourceThatCannotBeOpened) {
  const char* kUnopenable = "/proc/sys/vm/drop_caches";
  int descriptor = open(kUnopenable, O_RDONLY);
  if (descriptor >= 0) close(descriptor);
  if (descriptor >= 0 || errno != EACCES) GTEST_SKIP() << kUnopenable << " can be read here";
  ScopedTempDir dir;
  fs::create_symlink(kUnopenable, dir.path() / "unread.clw");
  ExpectNamedAsUnread(dir, {});
}

// /proc/self/mem opens, and reading at its start fails with EIO.
TEST(BadInputTest, SourceWhoseFirstReadFails) {
  char byte;
  int descriptor = open("/proc/self/mem", O_RDONLY);
  bool fails = descriptor >= 0 && read(descriptor, &byte, 1) < 0 && errno == EIO;
  if (descriptor >= 0) close(descriptor);
  if (!fails) GTEST_SKIP() << "/proc/self/mem does not fail at its start here";
  ScopedTempDir dir;
  fs::create_symlink("/proc/self/mem", dir.path() / "unread.clw");
  ExpectNamedAsUnread(dir, {});
}

// A read error in the middle of a source (as on a failing network share): the texts of the
// part read before it are kept, those after it are missing, and the file is named.
TEST(BadInputTest, SourceWhoseReadFailsInTheMiddle) {
  ProcessOptions options;
  if (!WithIoFaults({"QUOTEX_FAIL_READING=unread.clw"}, options)) GTEST_SKIP() << kNoIoFaultShim;
  const std::size_t kFirstPage = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  constexpr std::size_t kLineLength = 64;  // lines of this length, CR LF included, fill a page
  std::string source;
  Texts firstPage;
  for (int i = 0; source.size() < 2 * kFirstPage; ++i) {
    bool before = source.size() < kFirstPage;
    std::string text =
        (before ? "Read before the error " : "Lost after the error ") + std::to_string(i);
    if (before) firstPage.push_back(text);
    std::string line = "  MESSAGE('" + text + "')";
    source += line + std::string(kLineLength - 2 - line.size(), ' ') + "\r\n";
  }
  ScopedTempDir dir;
  WriteBytes(dir / "unread.clw", source);
  ExpectNamedAsUnread(dir, firstPage, options);
}

// Outputs that lead to a full device: the failure is reported whether it shows when the
// buffered lines are flushed at the end (a small run) or while writing (more lines than a stream
// buffer holds), and the outputs that could be written are complete.
TEST(BadInputTest, OutputsOnAFullDevice) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const struct {
    const char* name;
    std::vector<const char*> full;  // extensions of the outputs that lead to /dev/full
    int textCount;
  } cases[] = {
      {"all outputs, small run", {"BAS", "CRT", "LST"}, 3},
      {"all outputs, more than 256 KiB", {"BAS", "CRT", "LST"}, 10'000},
      {"the CRT file only, small run", {"CRT"}, 3},
      {"the LST file only, more than 256 KiB", {"LST"}, 10'000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    std::string source;
    Texts texts;
    for (int i = 0; i < c.textCount; ++i) {
      texts.push_back("A text long enough to fill the buffers sooner, number " + std::to_string(i));
      source += "  MESSAGE('" + texts.back() + "')\r\n";
    }
    WriteBytes(dir / "A.CLW", source);
    for (const char* extension : c.full) {
      fs::create_symlink("/dev/full", dir.path() / (std::string("OUT.") + extension));
    }
    ProcessResult result = RunQuotex(dir.path(), {"*.clw", "out"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, std::string(kBanner) + kWriteError);
    if (c.full.size() == 1) {  // the BAS and LST files are real
      fuzz::OutputFiles expected = fuzz::ModelOutputs(texts);
      std::string bas = ReadBytes(dir.path() / "OUT.BAS");
      if (c.textCount < 100) {
        EXPECT_EQ(bas, expected.bas);
        EXPECT_EQ(ReadBytes(dir.path() / "OUT.LST"), expected.lst);
      } else {  // the lines written before the failed one stay
        EXPECT_TRUE(!bas.empty() && bas.ends_with("\r\n") && expected.bas.starts_with(bas));
      }
    }
    for (const char* extension : c.full) {
      EXPECT_TRUE(fs::is_symlink(dir.path() / (std::string("OUT.") + extension)));
    }
  }
}

}  // namespace
