// Preloaded into quotex by the end-to-end tests (LD_PRELOAD, Linux) to make its input fail as a
// failing disk or network share would:
// - QUOTEX_FAIL_READING=NAME: the file NAME reads its first page, then fails with EIO. A stream
//   opened under NAME gets a descriptor of the process's own memory, placed at a copy of that
//   page after which nothing is mapped (the C library reads through calls of its own). A
//   descriptor of a file of that name (a Windows program under Wine reads through read()
//   itself) reads no further than the page, then fails.
// - QUOTEX_FAIL_SEARCH=1: opening a directory for reading fails with EIO.
// - QUOTEX_FAULT_AT=N with QUOTEX_FAULT=kill, fail or pause: the N-th call (from 1) that changes
//   the file system -- creating or truncating a file, writing to one through its descriptor,
//   renaming, linking or removing one, flushing one to the disk -- kills the process (SIGKILL, as
//   a power cut or a closed terminal would; a write is killed half done) or fails with EIO; or it
//   waits, having made the file QUOTEX_PAUSE_FILE, until that file is removed. A failing call
//   says so on standard error ("io_fault_shim: failed call N: NAME"). The other flushes are
//   skipped: a kill never loses what the system's cache holds, and the table runs faster.
// - QUOTEX_NO_LINKS=1: link() is refused with EPERM, as on a file system without hard links.

// The calls are defined here under their own names (fopen and fopen64 both), whatever the build
// asks of file offsets elsewhere.
#undef _FILE_OFFSET_BITS

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

template <typename Function>
Function Next(const char* symbol) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, symbol));
}

void FailAfterTheFirstPage(std::FILE* stream) {
  const long page = sysconf(_SC_PAGESIZE);
  void* memory =
      mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) std::abort();
  char* copy = static_cast<char*>(memory);
  if (pread(fileno(stream), copy, page, 0) != page) std::abort();  // the file must be longer
  munmap(copy + page, page);                                       // reading stops here with EIO
  int descriptor = open("/proc/self/mem", O_RDONLY);
  if (descriptor < 0 || lseek(descriptor, reinterpret_cast<off_t>(copy), SEEK_SET) < 0) {
    std::abort();
  }
  dup2(descriptor, fileno(stream));
  close(descriptor);
}

// Whether `descriptor` is open on a file whose name is in QUOTEX_FAIL_READING.
bool ReadingFails(int descriptor) {
  const char* failing = std::getenv("QUOTEX_FAIL_READING");
  if (failing == nullptr) return false;
  char link[64];
  char path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  ssize_t length = readlink(link, path, sizeof path - 1);
  if (length < 0) return false;
  path[length] = '\0';
  const char* slash = std::strrchr(path, '/');
  return std::strcmp(slash != nullptr ? slash + 1 : path, failing) == 0;
}

// How much of `count` bytes at `offset` may be read before the failure; -1 (and errno EIO) when
// none.
ssize_t ReadableBefore(off_t offset, std::size_t count) {
  const off_t page = sysconf(_SC_PAGESIZE);
  if (offset >= page) {
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(std::min<off_t>(static_cast<off_t>(count), page - offset));
}

bool FaultIs(const char* name) {
  const char* fault = std::getenv("QUOTEX_FAULT");
  return fault != nullptr && std::strcmp(fault, name) == 0;
}

// Makes QUOTEX_PAUSE_FILE and waits until it is gone (at most a minute).
void Pause() {
  const char* file = std::getenv("QUOTEX_PAUSE_FILE");
  if (file == nullptr) return;
  close(Next<int (*)(const char*, int, ...)>("open")(file, O_WRONLY | O_CREAT, 0600));
  for (int wait = 0; wait < 12000 && access(file, F_OK) == 0; ++wait) usleep(5000);
}

// Counts a call that changes the file system; true when it is the one that must fail (errno is
// then EIO). Kills the process instead, or pauses, when that is the fault asked for; `dying` is
// what the call gets done before the kill.
bool FaultHere(const char* call, const std::function<void()>& dying = {}) {
  static long count = 0;
  const char* at = std::getenv("QUOTEX_FAULT_AT");
  if (at == nullptr || ++count != std::atol(at)) return false;
  if (FaultIs("kill")) {
    if (dying) dying();
    raise(SIGKILL);
  }
  if (FaultIs("pause")) {
    Pause();
    return false;
  }
  char report[128];
  int length =
      std::snprintf(report, sizeof report, "io_fault_shim: failed call %ld: %s\n", count, call);
  if (write(2, report, static_cast<std::size_t>(length)) < 0) std::abort();
  errno = EIO;
  return true;
}

std::FILE* OpenStream(const char* symbol, const char* name, const char* mode) {
  if (std::strpbrk(mode, "wa+") != nullptr && FaultHere(symbol)) return nullptr;
  std::FILE* stream = Next<std::FILE* (*)(const char*, const char*)>(symbol)(name, mode);
  const char* failing = std::getenv("QUOTEX_FAIL_READING");
  if (stream != nullptr && failing != nullptr && std::strcmp(name, failing) == 0) {
    FailAfterTheFirstPage(stream);
  }
  return stream;
}

}  // namespace

extern "C" std::FILE* fopen(const char* name, const char* mode) {
  return OpenStream("fopen", name, mode);
}

extern "C" std::FILE* fopen64(const char* name, const char* mode) {
  return OpenStream("fopen64", name, mode);
}

extern "C" ssize_t read(int descriptor, void* buffer, std::size_t count) {
  if (ReadingFails(descriptor)) {
    ssize_t readable = ReadableBefore(lseek(descriptor, 0, SEEK_CUR), count);
    if (readable < 0) return -1;
    count = static_cast<std::size_t>(readable);
  }
  return Next<ssize_t (*)(int, void*, std::size_t)>("read")(descriptor, buffer, count);
}

extern "C" ssize_t pread64(int descriptor, void* buffer, std::size_t count, off_t offset) {
  if (ReadingFails(descriptor)) {
    ssize_t readable = ReadableBefore(offset, count);
    if (readable < 0) return -1;
    count = static_cast<std::size_t>(readable);
  }
  return Next<ssize_t (*)(int, void*, std::size_t, off_t)>("pread64")(descriptor, buffer, count,
                                                                      offset);
}

extern "C" DIR* opendir(const char* name) {
  if (std::getenv("QUOTEX_FAIL_SEARCH") != nullptr) {
    errno = EIO;
    return nullptr;
  }
  return Next<DIR* (*)(const char*)>("opendir")(name);
}

// The calls that change the file system, each counted by FaultHere before it is made.

template <typename Function, typename... Arguments>
int Counted(const char* symbol, Arguments... arguments) {
  if (FaultHere(symbol)) return -1;
  return Next<Function>(symbol)(arguments...);
}

extern "C" int rename(const char* from, const char* to) {
  return Counted<int (*)(const char*, const char*)>("rename", from, to);
}

extern "C" int link(const char* from, const char* to) {
  if (std::getenv("QUOTEX_NO_LINKS") != nullptr) {
    errno = EPERM;
    return -1;
  }
  return Counted<int (*)(const char*, const char*)>("link", from, to);
}

extern "C" int unlink(const char* name) {
  return Counted<int (*)(const char*)>("unlink", name);
}

extern "C" int remove(const char* name) {
  return Counted<int (*)(const char*)>("remove", name);
}

int Flush(const char* symbol, int descriptor) {
  if (FaultHere(symbol)) return -1;
  if (std::getenv("QUOTEX_FAULT_AT") != nullptr) return 0;
  return Next<int (*)(int)>(symbol)(descriptor);
}

extern "C" int fsync(int descriptor) {
  return Flush("fsync", descriptor);
}

extern "C" int fdatasync(int descriptor) {
  return Flush("fdatasync", descriptor);
}

// The C library's own streams write through calls of its own; what is written here is a file
// written through its descriptor, such as a copy. The standard streams are not counted.
extern "C" ssize_t write(int descriptor, const void* bytes, std::size_t count) {
  auto real = Next<ssize_t (*)(int, const void*, std::size_t)>("write");
  if (descriptor > STDERR_FILENO &&
      FaultHere("write", [&] { real(descriptor, bytes, count / 2); })) {
    return -1;
  }
  return real(descriptor, bytes, count);
}

namespace {

int OpenFile(const char* symbol, const char* name, int flags, va_list rest) {
  mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
  if ((flags & O_CREAT) != 0 && FaultHere(symbol)) return -1;
  return Next<int (*)(const char*, int, ...)>(symbol)(name, flags, mode);
}

}  // namespace

extern "C" int open(const char* name, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  int descriptor = OpenFile("open", name, flags, rest);
  va_end(rest);
  return descriptor;
}

extern "C" int open64(const char* name, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  int descriptor = OpenFile("open64", name, flags, rest);
  va_end(rest);
  return descriptor;
}
