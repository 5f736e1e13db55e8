#include "lang/base_files.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/ascii.h"
#include "lang/lang_error.h"
#include "platform/platform.h"

std::string ProjectName(std::string_view base) {
  std::string name(base);
  name.erase(0, DirectoryPartLength(name.c_str()));
  UpperCaseAscii(name.data());
  return name;
}

namespace {

[[noreturn]] void FailToRead(const std::string& name, int error) {
  throw LangError(name, std::string("cannot read: ") + std::strerror(error));
}

}  // namespace

bool ReadFileIfPresent(const std::string& name, std::string& bytes) {
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return false;
    FailToRead(name, errno);
  }
  bytes.clear();
  char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error != 0) FailToRead(name, error);
  return true;
}

std::string ReadExistingFile(const std::string& name) {
  std::string bytes;
  if (!ReadFileIfPresent(name, bytes)) {
    throw LangError(name, std::string("cannot read: ") + std::strerror(ENOENT));
  }
  return bytes;
}

namespace {

CrtDocument ReadGroup(const std::string& name, std::string_view bytes) {
  CrtDocument document = ReadCrt(bytes);
  if (document.structureErrors.empty()) return document;
  for (const Diagnostic& error : document.structureErrors) PrintDiagnostic(name, error);
  throw LangError(name, "not read as a LANGUAGE GROUP declaration; nothing was changed");
}

}  // namespace

CrtDocument ReadTranslatedFile(const std::string& name) {
  std::string bytes;
  if (!ReadFileIfPresent(name, bytes)) return CrtDocument{};
  return ReadGroup(name, bytes);
}

CrtDocument ReadRequiredTranslatedFile(const std::string& name) {
  return ReadGroup(name, ReadExistingFile(name));
}

void PrintDiagnostic(std::string_view file, const Diagnostic& diagnostic) {
  std::fprintf(stderr, "%s\n", FormatDiagnostic(file, diagnostic).c_str());
}

std::string LastErrorText() {
  return std::strerror(errno != 0 ? errno : EIO);
}

void OpenOutput(TextFile& file, const std::string& sibling, const std::string& finalName) {
  errno = 0;
  file.Open(sibling.c_str(), "wt");
  if (!file.IsOpen()) throw LangError(finalName, "cannot write: " + LastErrorText());
}

void CloseOutput(TextFile& file, const std::string& finalName) {
  errno = 0;
  if (!file.Close()) throw LangError(finalName, "cannot write: " + LastErrorText());
}

void PrintSummary(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
}

std::string ModificationTime(const std::string& name) {
  std::error_code error;
  auto written = std::filesystem::last_write_time(name, error);
  if (error) throw LangError(name, "cannot read: " + error.message());
  auto minutes = std::chrono::floor<std::chrono::minutes>(std::chrono::file_clock::to_sys(written));
  auto day = std::chrono::floor<std::chrono::days>(minutes);
  std::chrono::year_month_day date(day);
  std::chrono::hh_mm_ss time(minutes - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d+0000", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
  return text;
}
