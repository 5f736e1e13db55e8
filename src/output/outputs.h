// The three output files: the BAS file (pairs of text and translation), the CRT file (a
// LANGUAGE GROUP declaration) and the LST file (the bare list), all named from the output base
// name and written from the catalogue in its order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scan/text_file.h"

extern TextFile BasFile;
extern TextFile CrtFile;
extern TextFile LstFile;

// Formats into the next of a rotating pool of scratch buffers and returns it. A result stays
// intact through the next 99 calls; one longer than a buffer holds is cut.
const char* FormatScratch(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The name an output file is created under: the base name's directory part as given (on a file
// system that tells case apart, an upper-cased directory may not exist), its file part
// upper-cased, then "." and the extension. `out/texts` gives out/TEXTS.CRT.
std::string OutputFileName(std::string_view base, std::string_view extension);

// The first two lines of a CRT file: the GROUP line, with the group's label and attributes, and
// the label of the count. A program that includes the file names them.
struct CrtHeader {
  std::string group = "LANGUAGE GROUP";
  std::string countLabel = "Items";
};

// Upper-cases the output base name in place and creates or empties the three files; raises
// Failure "Can not write to '%s'" naming the first one that could not be opened.
void OpenOutputs();

// Writes the catalogue to the three files; raises Failure "Error writing to file" when a line
// cannot be written. The CRT file starts with `header`.
void WriteOutputs();
void WriteOutputs(const CrtHeader& header);

// The lines of the formats, one text at a time, for every program that writes them. Texts and
// translations are written as they stand: converting a text's first "<9>" is the caller's
// business, and neither may hold a NUL or a line feed. Any length is written whole.

// The GROUP line and the count line ("Items      USHORT(2)": the label padded to ten columns
// and a blank, then the count).
void WriteCrtHeader(TextFile& crt, std::size_t count, const CrtHeader& header = CrtHeader());
// The text's PSTRING line and its translation's.
void WriteCrtPair(TextFile& crt, std::string_view crtText, std::string_view translation);
// "   END".
void WriteCrtEnd(TextFile& crt);
// "text", "translation"
void WriteBasPair(TextFile& bas, std::string_view basText, std::string_view translation);

// Flushes and closes the three files; raises Failure "Error writing to file" when any of them
// could not be completely written.
void CloseOutputs();

// A text as the CRT file holds it: as much of it as a line holds, its first "<9>" a tab.
std::string CrtText(const char* text);

// Replaces the first "<9>" of a text (a tab in the language's notation) with `replacement`.
void ConvertTab(char* text, char replacement);
