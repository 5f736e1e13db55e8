#include "output/outputs.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "common/failure.h"
#include "common/settings.h"
#include "platform/platform.h"

TextFile BasFile;
TextFile CrtFile;
TextFile LstFile;

namespace {

constexpr int kScratchCount = 100;
constexpr std::size_t kScratchSize = 2048;
char scratch[kScratchCount][kScratchSize];
int nextScratch = 0;

constexpr char kTabNotation[] = "<9>";
constexpr std::size_t kTabNotationLength = sizeof kTabNotation - 1;

// The name a file is created under: the directory part as given (on a file system that tells
// case apart, an upper-cased directory may not exist), the rest as in `upperName`.
const char* CreationName(const char* givenBase, const char* upperName) {
  std::size_t directoryLength = DirectoryPartLength(givenBase);
  return FormatScratch("%.*s%s", static_cast<int>(directoryLength), givenBase,
                       upperName + directoryLength);
}

// Copies a text into a line buffer (as much of it as a line holds), converted for one file.
void PrepareLine(char (&work)[kLineSize], const char* text, char tabReplacement) {
  const void* end = std::memchr(text, '\0', kMaxLineLength);
  std::size_t length = end != nullptr
                           ? static_cast<std::size_t>(static_cast<const char*>(end) - text)
                           : kMaxLineLength;
  std::memcpy(work, text, length);
  work[length] = '\0';
  ConvertTab(work, tabReplacement);
}

// The line `before`, the converted text, `after`: made by hand rather than through
// FormatScratch, since it is made for every text.
const char* FrameLine(char (&line)[kLineSize + 32], std::string_view before, const char* work,
                      std::string_view after) {
  std::size_t length = std::strlen(work);
  std::memcpy(line, before.data(), before.size());
  std::memcpy(line + before.size(), work, length);
  std::memcpy(line + before.size() + length, after.data(), after.size());
  line[before.size() + length + after.size()] = '\0';
  return line;
}

}  // namespace

const char* FormatScratch(const char* format, ...) {
  char* buffer = scratch[nextScratch];
  nextScratch = (nextScratch + 1) % kScratchCount;
  va_list values;
  va_start(values, format);
  std::vsnprintf(buffer, kScratchSize, format, values);
  va_end(values);
  return buffer;
}

void ConvertTab(char* text, char replacement) {
  char* found = std::strstr(text, kTabNotation);
  if (found == nullptr) return;
  *found = replacement;
  std::memmove(found + 1, found + kTabNotationLength, std::strlen(found + kTabNotationLength) + 1);
}

void OpenOutputs() {
  char givenBase[kMaxBaseNameLength + 1];
  std::memcpy(givenBase, Settings.outputBaseName, sizeof givenBase);
  UpperCaseAscii(Settings.outputBaseName);
  const char* names[] = {
      FormatScratch("%s.BAS", Settings.outputBaseName),
      FormatScratch("%s.CRT", Settings.outputBaseName),
      FormatScratch("%s.LST", Settings.outputBaseName),
  };
  TextFile* files[] = {&BasFile, &CrtFile, &LstFile};
  for (int i = 0; i < 3; ++i) files[i]->Open(CreationName(givenBase, names[i]), "wt");
  for (int i = 0; i < 3; ++i) {
    if (!files[i]->IsOpen()) throw Failure(FormatScratch("Can not write to '%s'", names[i]));
  }
}

void WriteOutputs() {
  CrtFile.WriteLine("LANGUAGE GROUP");
  char count[24] = {};
  std::to_chars(count, count + sizeof count - 1, List.Count());
  CrtFile.WriteLine(FormatScratch("Items      USHORT(%s)", count));
  char work[kLineSize];
  char line[kLineSize + 32];
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    const char* text = node->text.c_str();
    PrepareLine(work, text, '~');  // the BAS and the LST line convert alike
    BasFile.WriteLine(FrameLine(line, "\"", work, "\", \"\""));
    LstFile.WriteLine(work);
    PrepareLine(work, text, '\t');
    CrtFile.WriteLine(FrameLine(line, "           PSTRING('", work, "')"));
    CrtFile.WriteLine("           PSTRING('')");
  }
  CrtFile.WriteLine("   END");
}

void CloseOutputs() {
  bool ok = BasFile.Close();
  ok = CrtFile.Close() && ok;
  ok = LstFile.Close() && ok;
  if (!ok) throw Failure(kWriteError);
}
