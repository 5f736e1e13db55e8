// The line filter and literal extraction: decides, line by line and literal by literal, which
// single-quoted literals of a source file are texts meant for people, and reports them to the
// scan's observer (for quotex: AddText).
#pragma once

#include <cstddef>
#include <string_view>

class TextFile;

// Scans one source file. Anything but a regular file (a directory, a pipe, a device) yields
// nothing. False when the file could not be opened or read to its end; the lines read before a
// read error are scanned.
bool ScanFile(const char* fileName);

// Whether ScanFile reads the entry `fileName` at all: only a regular file is read.
bool IsScannable(const char* fileName);

// Scans one logical line (NUL-terminated) as ScanFile does.
void ScanLine(const char* line);

// Takes the literal whose opening quote is at line[quote] and reports its text or texts to the
// observer. Returns the position just after its closing quote, or the end of the line when the
// literal is not closed there.
std::size_t ExtractLiteral(const char* line, std::size_t quote);

// Where a text that the scan found stands.
struct TextPlace {
  // The physical line (from 1) on which its text starts: where its logical line starts, or,
  // with lines joined as the compiler joins them, where its literal opens.
  std::size_t line;
  const char* code;      // the logical line, NUL-terminated
  std::size_t quote;     // where its literal's opening quote stands in `code`
  std::size_t start;     // the physical line (from 1) on which its logical line starts
  const TextFile* file;  // being scanned; none where no file is
};

// What a scan reports: each file it is about to scan and every text it finds there, in scan
// order. quotex's observer, the one set unless another is, offers each text to the catalogue
// (AddText), which keeps the wordlike ones once; the tools that show translators where a text is
// used set one that notes where each stands, and keeps what it needs of them.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // Whether OnText needs the line numbers: they cost a count of the line ends of every file.
  virtual bool NeedsLines() const { return false; }
  // A file of the search is about to be scanned; `name` as the search found it.
  virtual void OnFile(const char* /*name*/) {}
  // A text the scan found, wordlike or not.
  virtual void OnText(std::string_view text, const TextPlace& place) = 0;
};

// Sets the observer of the scans that follow; none sets quotex's back.
void SetScanObserver(ScanObserver* observer);
ScanObserver& CurrentScanObserver();
