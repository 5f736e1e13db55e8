// The executable under hostile and broken input: huge, binary and malformed source files,
// entries that are not files, and outputs that cannot be written (oversized arguments are with
// the command-line tests). Each run must end with the right status, messages and outputs; none
// may crash, hang or report success when an output was not written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "scan/scanner.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr std::size_t kPieceLength = 999;  // a longer physical line arrives in such pieces

struct Outputs {
  std::string bas;
  std::string crt;
  std::string lst;
};

std::string WithFirstTabAs(std::string text, char replacement) {
  std::size_t tab = text.find("<9>");
  if (tab != std::string::npos) text.replace(tab, 3, 1, replacement);
  return text;
}

// What the three output files hold for a catalogue of `texts`.
Outputs OutputsFor(const Texts& texts) {
  Outputs outputs;
  outputs.crt = "LANGUAGE GROUP\r\nItems      USHORT(" + std::to_string(texts.size()) + ")\r\n";
  for (const std::string& text : texts) {
    std::string listed = WithFirstTabAs(text, '~');
    outputs.bas += "\"" + listed + "\", \"\"\r\n";
    outputs.lst += listed + "\r\n";
    outputs.crt +=
        "           PSTRING('" + WithFirstTabAs(text, '\t') + "')\r\n           PSTRING('')\r\n";
  }
  outputs.crt += "   END\r\n";
  return outputs;
}

// Runs quotex over `mask` in `dir` with the outputs named "out", and expects a clean run that
// collected exactly `texts`.
void ExpectCollects(const ScopedTempDir& dir, const Texts& texts, const char* mask = "*.clw") {
  ProcessResult result = RunQuotex(dir.path(), {mask, "out"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, kBanner);
  Outputs expected = OutputsFor(texts);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.BAS"), expected.bas);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.CRT"), expected.crt);
  EXPECT_EQ(ReadBytes(dir.path() / "OUT.LST"), expected.lst);
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

TEST(BadInputTest, SmallMalformedFiles) {
  const struct {
    const char* name;
    std::string bytes;
    Texts expected;
  } cases[] = {
      {"empty file", "", {}},
      {"only NUL bytes", std::string(65536, '\0'), {}},
      {"NUL bytes end a line's text",
       "  MESSAGE('Before')\r\n\0\0  MESSAGE('Hidden')\r\n"s
       "  MESSAGE('Kept') \0 MESSAGE('Dropped')\r\n  MESSAGE('After')\r\n"s,
       {"Before", "Kept", "After"}},
      {"0x1A ends the file",
       "  MESSAGE('One')\r\n  MESSAGE('Two')\x1a  MESSAGE('Three')\r\n  MESSAGE('Four')\r\n",
       {"One", "Two"}},
      {"0x1A after the first read block",
       "  MESSAGE('One')\r\n" + std::string(300000, '\n') +
           "  MESSAGE('Two')\x1a  MESSAGE('Three')\r\n",
       {"One", "Two"}},
      {"CR-only line ends make one line",
       "  MESSAGE('One')\r  MESSAGE('Two')\r  Text = 'First\rSecond'\r",
       {"One", "Two", "First\rSecond"}},
      {"CR before CR LF stays",
       "  MESSAGE('Three')\r\r\n  Text = 'Four\r'\r\n",
       {"Three", "Four\r"}},
      {"only bytes 0x80-0xFF", HighBytes(1000), {}},
      {"bytes 0x80-0xFF in texts",
       "  MESSAGE('Caf\xe9 ouvert')\r\n  MESSAGE('Caf\xc9 ouvert')\r\n  T = '\xe9\xe8\xe0\xf1'\r\n"
       "  T = 'Gr\xfc\xdf Gott'\r\n  T = '\xc4\xd6'\r\n  T = 'Caf\xe9 ouvert'\r\n",
       {"Caf\xe9 ouvert", "Caf\xc9 ouvert", "Gr\xfc\xdf Gott"}},
      {"last line without line feed", "  MESSAGE('One')\r\n  MESSAGE('Last')", {"One", "Last"}},
      {"continued line at the end of the file", "  MESSAGE('Done') & '' &|", {"Done"}},
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

// The literal of the first line is continued over 999,999 lines; every continued line adds an
// empty literal, so the joined line is short and whole.
TEST(BadInputTest, MillionContinuedLinesInARow) {
  constexpr std::string_view kEmptyContinued = "          '' &|\r\n";
  std::string source = "  MESSAGE('Start ' &|\r\n";
  source.reserve(source.size() + 1'000'000 * kEmptyContinued.size() + 100);
  for (int i = 0; i < 999'998; ++i) source += kEmptyContinued;
  source += "          'end.')\r\n  MESSAGE('After the chain')\r\n";
  ScopedTempDir dir;
  WriteBytes(dir / "CHAIN.CLW", source);
  ExpectCollects(dir, {"Start end.", "After the chain"});
}

// Whatever random bytes hold, the executable collects what the scanner collects in-process.
TEST(BadInputTest, RandomBytes) {
  std::mt19937 random(20240607);
  std::string bytes(1 << 20, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(random() % 256);
    if (byte == '\x1a') byte = '\'';  // would end the file at once
  }
  ScopedTempDir dir;
  WriteBytes(dir / "RANDOM.CLW", bytes);
  ResetRunState();
  ScanFile((dir / "RANDOM.CLW").c_str());
  Texts texts = CatalogueTexts();
  ResetRunState();
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
// them is read, and the files around them are.
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
    EXPECT_EQ(result.output, std::string(kBanner) + "Error writing to file\n");
    if (c.full.size() == 1) {  // the BAS and LST files are real
      Outputs expected = OutputsFor(texts);
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
