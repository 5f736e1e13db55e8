#include "output/outputs.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
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

// The pieces joined into one line. The line is kept from call to call, so that writing a text
// allocates nothing once the longest line has been seen.
const char* JoinLine(std::initializer_list<std::string_view> pieces) {
  static std::string line;
  line.clear();
  for (std::string_view piece : pieces) line += piece;
  return line.c_str();
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

std::string OutputFileName(std::string_view base, std::string_view extension) {
  std::string name(base);
  for (std::size_t i = DirectoryPartLength(name.c_str()); i < name.size(); ++i) {
    name[i] = UpperAscii(name[i]);
  }
  return name.append(".").append(extension);
}

void OpenOutputs() {
  const std::string givenBase = Settings.outputBaseName;
  UpperCaseAscii(Settings.outputBaseName);
  const char* extensions[] = {"BAS", "CRT", "LST"};
  TextFile* files[] = {&BasFile, &CrtFile, &LstFile};
  for (int i = 0; i < 3; ++i)
    files[i]->Open(OutputFileName(givenBase, extensions[i]).c_str(), "wt");
  // The message names the file with its directory part upper-cased too.
  for (int i = 0; i < 3; ++i) {
    if (!files[i]->IsOpen()) {
      throw Failure(
          FormatScratch("Can not write to '%s.%s'", Settings.outputBaseName, extensions[i]));
    }
  }
}

void WriteOutputs() {
  WriteOutputs(CrtHeader());
}

void WriteOutputs(const CrtHeader& header) {
  WriteCrtHeader(CrtFile, List.Count(), header);
  char work[kLineSize];
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    const char* text = node->text.c_str();
    PrepareLine(work, text, '~');  // the BAS and the LST line convert alike
    WriteBasPair(BasFile, work, node->translation);
    LstFile.WriteLine(work);
    PrepareLine(work, text, '\t');
    WriteCrtPair(CrtFile, work, node->translation);
  }
  WriteCrtEnd(CrtFile);
}

std::string CrtText(const char* text) {
  char work[kLineSize];
  PrepareLine(work, text, '\t');
  return work;
}

void WriteCrtHeader(TextFile& crt, std::size_t count, const CrtHeader& header) {
  constexpr std::size_t kLabelColumns = 10;
  crt.WriteLine(header.group.c_str());
  char digits[24] = {};
  std::to_chars(digits, digits + sizeof digits - 1, count);
  std::size_t padding =
      header.countLabel.size() < kLabelColumns ? kLabelColumns - header.countLabel.size() + 1 : 1;
  crt.WriteLine(JoinLine({header.countLabel, std::string(padding, ' '), "USHORT(", digits, ")"}));
}

void WriteCrtPair(TextFile& crt, std::string_view crtText, std::string_view translation) {
  crt.WriteLine(JoinLine({"           PSTRING('", crtText, "')"}));
  crt.WriteLine(JoinLine({"           PSTRING('", translation, "')"}));
}

void WriteCrtEnd(TextFile& crt) {
  crt.WriteLine("   END");
}

void WriteBasPair(TextFile& bas, std::string_view basText, std::string_view translation) {
  bas.WriteLine(JoinLine({"\"", basText, "\", \"", translation, "\""}));
}

void CloseOutputs() {
  bool ok = BasFile.Close();
  ok = CrtFile.Close() && ok;
  ok = LstFile.Close() && ok;
  if (!ok) throw Failure(kWriteError);
}
