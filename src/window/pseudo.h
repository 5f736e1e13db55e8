// Pseudo-translations, for testing a program's layouts before any translator starts: each text
// made longer, its letters accented, and wrapped in markers, keeping what the program needs.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "translation/code_page.h"

class PseudoTranslator {
 public:
  // Lengthens texts by `expandPercent` on average over the texts of an application.
  PseudoTranslator(const CodePage& codePage, int expandPercent);

  // The pseudo-translation of a text as the CRT file holds it: its letters replaced by accented
  // look-alikes that the code page holds (Save gives Sâvé in cp1252), then wrapped in markers
  // and lengthened by padding, short texts more than long ones: [Sâvé===]. Kept as they are:
  // the letter of an accelerator ("&S"), the language's codes (<13,10>), repeat counts and
  // escapes ("''", "<<", "{{"), pictures (@n10.2, to the next blank), leading blanks, and
  // trailing ones with a final ':', '...' or '?' (outside the markers). The result holds at
  // most the 255 characters of a PSTRING; it is empty, as for a text left untranslated, where
  // the text with its markers would hold more, or where the text is not well-formed content.
  std::string Translate(std::string_view text) const;

  // Whether a translation that is not empty may be one Translate made: after its leading blanks,
  // it starts with the opening marker. Any other is a translator's work.
  static bool IsPseudoTranslation(std::string_view translation);

 private:
  std::array<char, 128> lookAlikes_;  // for each ASCII character, what stands for it
  int expandPercent_;
};
