// Win32: the lock is an exclusive open of a file that the system removes when it is closed; the
// code-page tables are the system's own; work on the side runs on a thread the C library starts.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "platform/lang_platform.h"

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

// FAT volumes and some network shares have no hard links.
LinkOutcome LinkFile(const char* from, const char* to) {
  if (CreateHardLinkA(to, from, nullptr)) return LinkOutcome::kLinked;
  DWORD error = GetLastError();
  bool noLinks = error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
                 error == ERROR_ACCESS_DENIED || error == ERROR_NOT_SAME_DEVICE;
  return noLinks ? LinkOutcome::kNoLinks : LinkOutcome::kFailed;
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

// The system's copy keeps the file's attributes.
bool CopyToNewFile(const char* from, const char* to) {
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

// Replacing a file takes the right to delete it, which a program that opened it without
// sharing that right withholds (an editor or a compiler that has it open, say).
bool IsHeldOpen(const char* path) {
  HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
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

struct FileLock::State {
  HANDLE handle;
};

FileLock::FileLock() = default;

FileLock::~FileLock() {
  Unlock();
}

// Opened with no sharing, the file cannot be opened again until it is closed; the system removes
// it then, whether the process closes it or ends. A file that is still there but refused to
// everyone is about to go: another command has just let go of it.
FileLock::Outcome FileLock::TryLock(const char* path) {
  Unlock();
  HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    state_ = std::make_unique<State>(State{handle});
    return Outcome::kLocked;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION) return Outcome::kHeld;
  if (error == ERROR_ACCESS_DENIED) {
    bool there = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    SetLastError(error);
    return there ? Outcome::kHeld : Outcome::kUnwritable;
  }
  bool unwritable = error == ERROR_WRITE_PROTECT || error == ERROR_PATH_NOT_FOUND;
  return unwritable ? Outcome::kUnwritable : Outcome::kFailed;
}

bool FileLock::Unlock() {
  if (!state_) return true;
  CloseHandle(state_->handle);
  state_.reset();
  return true;
}

void WaitMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
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
