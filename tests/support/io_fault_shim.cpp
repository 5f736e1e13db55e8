// Preloaded into quotex by the end-to-end tests (LD_PRELOAD, Linux) to make its input fail as a
// failing disk or network share would:
// - QUOTEX_FAIL_READING=NAME: the file NAME reads its first page, then fails with EIO. A stream
//   opened under NAME gets a descriptor of the process's own memory, placed at a copy of that
//   page after which nothing is mapped (the C library reads through calls of its own). A
//   descriptor of a file of that name (a Windows program under Wine reads through read()
//   itself) reads no further than the page, then fails.
// - QUOTEX_FAIL_SEARCH=1: opening a directory for reading fails with EIO.

// The calls are defined here under their own names (fopen and fopen64 both), whatever the build
// asks of file offsets elsewhere.
#undef _FILE_OFFSET_BITS

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

std::FILE* OpenStream(const char* symbol, const char* name, const char* mode) {
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
