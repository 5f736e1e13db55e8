// Win32: the directory search is the system's own find-first/find-next, so names, order and
// matching are whatever the file system gives; the console is the process's console device,
// written directly whatever standard output is redirected to; the code-page tables are the
// system's own.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <utility>

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

std::optional<FileIdentity> IdentityOf(const char* path) {
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

bool RenameOver(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) {
  return DeleteFileA(path) != 0;
}

bool SyncFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool flushed = FlushFileBuffers(file) != 0;
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!flushed) SetLastError(error);
  return flushed;
}

// FAT volumes and some network shares have no hard links; a copy serves the same purpose there.
bool LinkOrCopy(const char* from, const char* to) {
  if (CreateHardLinkA(to, from, nullptr)) return true;
  DWORD error = GetLastError();
  if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED &&
      error != ERROR_ACCESS_DENIED && error != ERROR_NOT_SAME_DEVICE) {
    return false;
  }
  return CopyFileA(from, to, FALSE) && SyncFile(to);
}

bool SyncDirectoryOf(const char*) {
  return true;
}

bool IsReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

struct BackgroundWork::Thread {
  HANDLE handle = nullptr;

  static unsigned __stdcall Start(void* work) {
    static_cast<BackgroundWork*>(work)->Run();
    return 0;
  }
};

BackgroundWork::BackgroundWork(std::function<void()> work) : work_(std::move(work)) {
  // The holder is made before the thread starts: a started thread that could not be held would
  // be left running on this object, which the failed constructor gives up.
  std::unique_ptr<Thread> thread;
  try {
    thread = std::make_unique<Thread>();
  } catch (const std::bad_alloc&) {
    Run();
    return;
  }
  // The C library's own thread start, so that its calls are safe on the new thread.
  auto handle = _beginthreadex(nullptr, 0, &Thread::Start, this, 0, nullptr);
  if (handle == 0) {
    Run();
    return;
  }
  thread->handle = reinterpret_cast<HANDLE>(handle);
  thread_ = std::move(thread);
}

BackgroundWork::~BackgroundWork() {
  if (!thread_) return;
  WaitForSingleObject(thread_->handle, INFINITE);
  CloseHandle(thread_->handle);
}

void BackgroundWork::Wait() {
  if (thread_) {
    WaitForSingleObject(thread_->handle, INFINITE);
    CloseHandle(thread_->handle);
    thread_.reset();
  }
  if (raised_) std::rethrow_exception(std::exchange(raised_, nullptr));
}

// The system's message for the last error of a Win32 call, or else of the C library.
std::string LastSystemError() {
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) return std::strerror(errno != 0 ? errno : EIO);
  char text[512] = {};
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                        text[length - 1] == ' ' || text[length - 1] == '.')) {
    text[--length] = '\0';
  }
  if (length == 0) return "system error " + std::to_string(error);
  return text;
}

// MB_ERR_INVALID_CHARS refuses the bytes the system's table leaves out; a code page the system
// does not have fails as a whole.
bool CodePageToUnicode(unsigned codePage, unsigned char byte, char32_t& character) {
  char input = static_cast<char>(byte);
  wchar_t output[2] = {};
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &input, 1, output, 2);
  if (length != 1 || (output[0] >= 0xD800 && output[0] <= 0xDFFF)) return false;
  character = static_cast<char32_t>(output[0]);
  return true;
}
