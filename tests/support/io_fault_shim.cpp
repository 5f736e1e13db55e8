// Preloaded into quotex by the end-to-end tests (LD_PRELOAD, Linux) to make its input fail as a
// failing disk or network share would:
// - QUOTEX_FAIL_READING=NAME: the file opened under NAME reads its first page, then fails with
//   EIO. The stream gets a descriptor of the process's own memory, placed at a copy of that page
//   after which nothing is mapped.
// - QUOTEX_FAIL_SEARCH=1: opening a directory for reading fails with EIO.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

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

extern "C" DIR* opendir(const char* name) {
  if (std::getenv("QUOTEX_FAIL_SEARCH") != nullptr) {
    errno = EIO;
    return nullptr;
  }
  return Next<DIR* (*)(const char*)>("opendir")(name);
}
