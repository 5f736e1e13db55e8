// The line filter and literal extraction: decides, line by line and literal by literal, which
// single-quoted literals of a source file are texts meant for people, and hands them to AddText.
#pragma once

#include <cstddef>
#include <string_view>

// Scans one source file. Anything but a regular file (a directory, a pipe, a device) yields
// nothing. False when the file could not be opened or read to its end; the lines read before a
// read error are scanned.
bool ScanFile(const char* fileName);

// Scans one logical line (NUL-terminated) as ScanFile does.
void ScanLine(const char* line);

// Takes the literal whose opening quote is at line[quote] and offers its text or texts to
// AddText. Returns the position just after its closing quote, or the end of the line when the
// literal is not closed there.
std::size_t ExtractLiteral(const char* line, std::size_t quote);

// Where a text that the scan found stands.
struct TextPlace {
  std::size_t line;   // the physical line (from 1) on which its logical line starts
  const char* code;   // the logical line, NUL-terminated
  std::size_t quote;  // where its literal's opening quote stands in `code`
};

// Told of every text the scan would offer the catalogue, in scan order, with where it stands:
// for the tools that show translators where a text is used. While an observer is set, the texts
// go to it instead, and the catalogue is left as it is: the observer keeps what it needs, and
// leaves out what is not wordlike, as the catalogue does. The line numbers cost a count of the
// line ends of every file, so they are counted only while an observer is set.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // A file of the search is about to be scanned; `name` as the search found it.
  virtual void OnFile(const char* name) = 0;
  // A text the scan found, wordlike or not.
  virtual void OnText(std::string_view text, const TextPlace& place) = 0;
};

// Sets the observer of the scans that follow; none (the default) turns it off.
void SetScanObserver(ScanObserver* observer);
ScanObserver* CurrentScanObserver();
