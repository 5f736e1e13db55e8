// Reads a CRT file (a LANGUAGE GROUP declaration of text and translation pairs) as a person may
// have edited it: the layout quotex writes and whatever else the language allows for it. The
// same reader reads the file of obsolete translations, which has the same layout.
//
// Accepted: LF or CR LF line ends, a 0x1A byte as the end of the file, blank lines, comment
// lines and trailing ! comments, keywords in any letter case, blanks between any two tokens,
// . for END, GROUP attributes (GROUP,PRE(LNG)). Column 1 holds a label, as in the language:
// the GROUP line needs one (any name), the USHORT and PSTRING lines may carry one, and a line
// that starts with PSTRING or USHORT in column 1 is refused, since that word would be the label.
// END, a reserved word, may stand in column 1.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/outputs.h"
#include "translation/diagnostic.h"

struct CrtPair {
  std::string text;         // the first PSTRING's content, exactly as written between its quotes
  std::string translation;  // the second PSTRING's content, exactly as written
  std::size_t textLine = 0, translationLine = 0;
  std::size_t textColumn = 0, translationColumn = 0;  // 1-based, of the content's first byte
};

struct CrtDocument {
  std::vector<CrtPair> pairs;
  std::size_t groupLine = 0;   // 0 when there is no GROUP line
  std::size_t itemsLine = 0;   // 0 when there is no USHORT line
  std::size_t itemsCount = 0;  // its value
  // The group's label and attributes and the count's label, as written (for a file without
  // them, quotex's own).
  CrtHeader header;
  // What keeps the file from being read as the group's lines: a line that is none of them, no
  // GROUP line, no END, a text without its translation line, lines after END. In line order.
  std::vector<Diagnostic> structureErrors;
};

// The content of a PSTRING is read from its opening quote over doubled quotes to the closing
// one. When what follows that is not ")" (blanks and a comment allowed), the content runs to the
// last quote of the line that is followed so, and a translation holding a lone quote is still
// read for check to report. Contents hold neither a NUL nor a line feed.
CrtDocument ReadCrt(std::string_view bytes);
