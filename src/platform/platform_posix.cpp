// POSIX: the directory is read whole and the matching names sorted the way the target
// platform's usual file system lists them (by their upper-cased bytes), so the same sources give
// the same outputs on every machine whatever order readdir has. The console is the controlling
// terminal; the code-page tables are iconv's (part of the C library).
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/ascii.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace {

std::string UpperCased(std::string name) {
  for (char& c : name) c = UpperAscii(c);
  return name;
}

}  // namespace

struct DirectorySearch::State {
  // Each matching name after its upper-cased form, the sort key (std::string compares bytes as
  // unsigned values; equal keys are ordered by the names themselves).
  std::vector<std::pair<std::string, std::string>> names;
  std::size_t current = 0;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::First(const char* mask) {
  state_ = std::make_unique<State>();
  DIR* directory = opendir(".");
  if (directory == nullptr) return false;
  while (const dirent* entry = readdir(directory)) {
    if (MatchesMask(mask, entry->d_name))
      state_->names.emplace_back(UpperCased(entry->d_name), entry->d_name);
  }
  closedir(directory);
  std::sort(state_->names.begin(), state_->names.end());
  return !state_->names.empty();
}

bool DirectorySearch::Next() {
  return state_ != nullptr && ++state_->current < state_->names.size();
}

const char* DirectorySearch::Name() const {
  return state_->names[state_->current].second.c_str();
}

// File names tell case apart here, so the entry is opened under the name it has.
const char* DirectorySearch::OpenName() const {
  return Name();
}

void DirectorySearch::Close() {
  state_.reset();
}

void WriteToConsole(const char* text) {
  static const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return;
  std::size_t length = std::strlen(text);
  while (length > 0) {
    ssize_t written = write(terminal, text, length);
    if (written <= 0) return;  // progress is best effort
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

std::size_t DirectoryPartLength(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
}

std::optional<FileIdentity> IdentityOf(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

bool RenameOver(const char* from, const char* to) {
  return rename(from, to) == 0;
}

bool RemoveFile(const char* path) {
  return unlink(path) == 0;
}

namespace {

// Flushes an open descriptor to the disk and closes it; false (errno kept) when either failed.
bool SyncAndClose(int descriptor) {
  bool synced = fsync(descriptor) == 0;
  int error = errno;
  bool closed = close(descriptor) == 0;
  if (!synced) errno = error;
  return synced && closed;
}

// Writes all of `length` bytes; false (errno set) when that failed.
bool WriteAll(int descriptor, const char* bytes, std::size_t length) {
  while (length > 0) {
    ssize_t written = write(descriptor, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies the file `from` to a new file `to` and makes sure the copy has reached the disk.
bool CopyFile(const char* from, const char* to) {
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool copied = out >= 0;
  char block[65536];
  while (copied) {
    ssize_t got = read(in, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    copied = WriteAll(out, block, static_cast<std::size_t>(got));
  }
  int error = errno;
  close(in);
  if (out < 0) {
    errno = error;
    return false;
  }
  if (!copied) {
    close(out);
    errno = error;
    return false;
  }
  return SyncAndClose(out);
}

}  // namespace

// A file system without hard links (FAT, some network shares) refuses them with EPERM or
// ENOTSUP; the copy serves the same purpose there.
bool LinkOrCopy(const char* from, const char* to) {
  if (link(from, to) == 0) return true;
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV &&
      errno != EMLINK) {
    return false;
  }
  return CopyFile(from, to);
}

// A descriptor opened for reading flushes the file's data like any other on Linux and the BSDs;
// opening it for writing could fail on a file whose permissions were already made read-only.
bool SyncFile(const char* path) {
  int descriptor = open(path, O_RDONLY | O_CLOEXEC);
  return descriptor >= 0 && SyncAndClose(descriptor);
}

bool SyncDirectoryOf(const char* path) {
  std::size_t length = DirectoryPartLength(path);
  const std::string directory = length == 0 ? std::string(".") : std::string(path, length);
  int descriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return descriptor >= 0 && SyncAndClose(descriptor);
}

bool IsReadOnly(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 && S_ISREG(status.st_mode) &&
         (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::string LastSystemError() {
  return std::strerror(errno != 0 ? errno : EIO);
}

struct BackgroundWork::Thread {
  std::thread thread;
};

BackgroundWork::BackgroundWork(std::function<void()> work) : work_(std::move(work)) {
  // The holder is made before the thread starts: a started thread that could not be held would
  // end the program (std::terminate) as the failed constructor gave it up.
  try {
    auto thread = std::make_unique<Thread>();
    thread->thread = std::thread([this] { Run(); });
    thread_ = std::move(thread);
  } catch (const std::exception&) {  // no memory, or no thread to be had
    Run();
  }
}

BackgroundWork::~BackgroundWork() {
  if (thread_) thread_->thread.join();
}

void BackgroundWork::Wait() {
  if (thread_) {
    thread_->thread.join();
    thread_.reset();
  }
  if (raised_) std::rethrow_exception(std::exchange(raised_, nullptr));
}

namespace {

// The converter of the code page asked for last: a code page's table is asked for byte by byte,
// and opening a converter for each of the 256 bytes took a tenth of a second.
class CodePageConverter {
 public:
  CodePageConverter() = default;
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;
  ~CodePageConverter() { Close(); }

  // The converter from `codePage` to UTF-32LE, in its initial state; none without one.
  iconv_t For(unsigned codePage) {
    if (codePage != codePage_) {
      Close();
      std::string name = "CP" + std::to_string(codePage);
      handle_ = iconv_open("UTF-32LE", name.c_str());
      codePage_ = codePage;
    }
    if (handle_ != kNone) iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    return handle_;
  }

 private:
  void Close() {
    if (handle_ != kNone) iconv_close(handle_);
    handle_ = kNone;
    codePage_ = 0;
  }

  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  unsigned codePage_ = 0;
  iconv_t handle_ = kNone;
};

}  // namespace

// iconv knows the code pages as "CP437" to "CP1258". Some of its converters (CP1255, CP1258)
// hold a character back in case a combining mark follows, hence the flushing call at the end.
bool CodePageToUnicode(unsigned codePage, unsigned char byte, char32_t& character) {
  static CodePageConverter converters;
  iconv_t converter = converters.For(codePage);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  char input[1] = {static_cast<char>(byte)};
  unsigned char output[8] = {};
  char* in = input;
  std::size_t inLeft = sizeof input;
  char* out = reinterpret_cast<char*>(output);
  std::size_t outLeft = sizeof output;
  bool converted =
      iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
      iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
  // Exactly one character must come out of the one byte.
  if (!converted || inLeft != 0 || outLeft != sizeof output - 4) return false;
  character = static_cast<char32_t>(output[0]) | static_cast<char32_t>(output[1]) << 8 |
              static_cast<char32_t>(output[2]) << 16 | static_cast<char32_t>(output[3]) << 24;
  return true;
}
