// POSIX: the lock is flock's, held by the open file; the code-page tables are iconv's (part of
// the C library); work on the side is a std::thread.
#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "platform/lang_platform.h"
#include "platform/platform.h"

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

// A file system without hard links (FAT, some network shares) refuses them with EPERM or
// ENOTSUP, and Linux's protected hard links refuse a link to another user's file with EPERM.
LinkOutcome LinkFile(const char* from, const char* to) {
  if (link(from, to) == 0) return LinkOutcome::kLinked;
  bool noLinks = errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EXDEV ||
                 errno == EMLINK;
  return noLinks ? LinkOutcome::kNoLinks : LinkOutcome::kFailed;
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

// Copies what is left to read of `in` to `out`; false (errno set) when that failed.
bool CopyBytes(int in, int out) {
  char block[65536];
  for (;;) {
    ssize_t got = read(in, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    if (!WriteAll(out, block, static_cast<std::size_t>(got))) return false;
  }
}

}  // namespace

bool CopyToNewFile(const char* from, const char* to) {
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat status;
  int out = fstat(in, &status) == 0 ? open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600) : -1;
  bool copied = out >= 0 && CopyBytes(in, out) && fchmod(out, status.st_mode & 0777) == 0;
  int error = errno;
  close(in);
  if (copied) return SyncAndClose(out);
  if (out >= 0) close(out);
  errno = error;
  return false;
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

bool IsHeldOpen(const char*) {
  return false;
}

std::string LastSystemError() {
  return std::strerror(errno != 0 ? errno : EIO);
}

struct FileLock::State {
  int descriptor;
  std::string path;
};

FileLock::FileLock() = default;

FileLock::~FileLock() {
  Unlock();
}

// The lock belongs to the open file, not to its name: a command that is letting go removes the
// name first, so the file a waiting command locks may have no name any more, and then it must
// open the name afresh. Reading is all flock needs, and all another user may be allowed. The
// name is never followed elsewhere (a link there would make a file outside the folder), and a
// pipe there must not keep the open waiting for a writer.
FileLock::Outcome FileLock::TryLock(const char* path) {
  Unlock();
  for (;;) {
    int descriptor = open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (descriptor < 0) {
      if (errno == ELOOP || errno == EISDIR) return Outcome::kNotAFile;
      bool unwritable = errno == EACCES || errno == EROFS || errno == EPERM || errno == ENOENT ||
                        errno == ENOTDIR;
      return unwritable ? Outcome::kUnwritable : Outcome::kFailed;
    }
    struct stat opened;
    bool known = fstat(descriptor, &opened) == 0;
    if (!known || !S_ISREG(opened.st_mode)) {
      int error = errno;
      close(descriptor);
      errno = error;
      return known ? Outcome::kNotAFile : Outcome::kFailed;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
      int error = errno;
      close(descriptor);
      errno = error;
      return error == EWOULDBLOCK ? Outcome::kHeld : Outcome::kFailed;
    }
    struct stat named;
    if (lstat(path, &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino) {
      state_ = std::make_unique<State>(State{descriptor, path});
      return Outcome::kLocked;
    }
    close(descriptor);
  }
}

bool FileLock::Unlock() {
  if (!state_) return true;
  bool removed = unlink(state_->path.c_str()) == 0;
  int error = errno;
  close(state_->descriptor);
  state_.reset();
  errno = error;
  return removed;
}

void WaitMilliseconds(unsigned milliseconds) {
  timespec wait{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

namespace {

// The converter of the code page asked for last: a code page's table is asked for byte by byte,
// and opening a converter for each of the 256 bytes took a tenth of a second. Each thread has
// its own, since a converter keeps the state of a conversion between calls.
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
  thread_local CodePageConverter converters;
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
