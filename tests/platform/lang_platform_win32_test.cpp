// quotex-lang.exe where another process holds its files: the base's lock, or the CRT file kept
// open by another program; the refusals of Linux, on Windows's own locks.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/lang_platform.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

class LangExeTest : public ::testing::Test {
 protected:
  LangExeTest() { WriteBytes(dir_ / "main.clw", "  MESSAGE('Hello there')\r\n"); }

  // Runs quotex-lang.exe, built beside the tests' folder, with `arguments` in the test's folder;
  // its exit status, and what it wrote on standard output and standard error in `output_`.
  DWORD RunLang(const std::string& arguments) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const fs::path program = fs::path(self).parent_path().parent_path() / "quotex-lang.exe";
    const std::string log = logs_ / "output.txt";  // a pipe would need reading while it runs
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION process{};
    std::string command = "\"";  // built step by step: g++ 12 warns wrongly of a + chain here
    command.append(program.string()).append("\" ").append(arguments);
    DWORD status = 255;
    EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               dir_.path().string().c_str(), &startup, &process));
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    for (HANDLE handle : {process.hThread, process.hProcess, output}) CloseHandle(handle);
    output_ = ReadBytes(log);
    return status;
  }

  bool Said(const std::string& text) const { return output_.find(text) != std::string::npos; }

  ScopedTempDir dir_, logs_;
  std::string output_;
};

// Each time, the update that would take the new text is refused, and nothing is written.
TEST_F(LangExeTest, RefusesWhileAnotherCommandOrProgramHoldsTheFiles) {
  ASSERT_EQ(RunLang("update *.clw de"), 0u) << output_;
  WriteBytes(dir_ / "main.clw", "  MESSAGE('Hello again')\r\n");
  FileLock held;
  ASSERT_EQ(held.TryLock((dir_ / "DE.quotex-lock").c_str()), FileLock::Outcome::kLocked);
  EXPECT_EQ(RunLang("update *.clw de"), 1u);
  EXPECT_TRUE(
      Said("DE.CRT: note: waiting for another quotex-lang command on DE...\r\n"
           "DE.CRT: error: another quotex-lang command on DE is still at work; "))
      << output_;
  EXPECT_EQ(RunLang("update *.clw fr"), 0u) << output_;  // another base is free
  held.Unlock();
  const std::string crt = dir_ / "DE.CRT";
  HANDLE open = CreateFileA(crt.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(RunLang("update *.clw de"), 1u);
  EXPECT_TRUE(Said("DE.CRT: error: another program holds the file open")) << output_;
  CloseHandle(open);
  SetFileAttributesA(crt.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(RunLang("update *.clw de"), 1u);
  EXPECT_TRUE(Said("DE.CRT: error: the file is read-only; nothing was changed")) << output_;
  SetFileAttributesA(crt.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(dir_ / "DE.LST"), "Hello there\r\n");
  EXPECT_EQ(RunLang("update *.clw de"), 0u) << output_;
  EXPECT_FALSE(fs::exists(dir_.path() / "DE.quotex-lock"));
}

}  // namespace
