// Win32: the directory search is the system's own find-first/find-next, so names, order and
// matching are whatever the file system gives; the console is the process's console device,
// written directly whatever standard output is redirected to.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstring>

#include "common/ascii.h"
#include "platform/platform.h"

struct DirectorySearch::State {
  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }

  // Keeps the upper-cased form of the entry just found.
  void TakeEntry() {
    std::memcpy(openName, found.cFileName, sizeof openName);
    UpperCaseAscii(openName);
  }

  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA found = {};
  char openName[MAX_PATH] = {};
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::First(const char* mask) {
  state_ = std::make_unique<State>();
  state_->handle = FindFirstFileA(mask, &state_->found);
  if (state_->handle == INVALID_HANDLE_VALUE) return false;
  state_->TakeEntry();
  return true;
}

// The search ends with ERROR_NO_MORE_FILES; any other error ends it just the same.
bool DirectorySearch::Next() {
  if (state_ == nullptr || state_->handle == INVALID_HANDLE_VALUE) return false;
  if (!FindNextFileA(state_->handle, &state_->found)) return false;
  state_->TakeEntry();
  return true;
}

const char* DirectorySearch::Name() const {
  return state_->found.cFileName;
}

// File names do not tell case apart here, so the upper-cased name opens the same entry.
const char* DirectorySearch::OpenName() const {
  return state_->openName;
}

void DirectorySearch::Close() {
  state_.reset();
}

namespace {

HANDLE ConsoleDevice() {
  static const HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  return console;
}

}  // namespace

void WriteToConsole(const char* text) {
  HANDLE console = ConsoleDevice();
  if (console == INVALID_HANDLE_VALUE) return;
  DWORD length = static_cast<DWORD>(std::strlen(text));
  while (length > 0) {
    DWORD written = 0;
    if (!WriteConsoleA(console, text, length, &written, nullptr) || written == 0) return;
    text += written;
    length -= written;
  }
}

std::size_t DirectoryPartLength(const char* path) {
  std::size_t length = 0;
  for (std::size_t i = 0; path[i] != '\0'; ++i) {
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') length = i + 1;
  }
  return length;
}
