// A plain model of the three output files that a catalogue of texts makes, for the fuzz targets
// and the tests to check the writer against: every line ends in CR LF, and the first "<9>" of a
// text becomes a tilde in the BAS and LST lines and a tab in the CRT line.
#pragma once

#include <string>
#include <vector>

#include "fuzz_check.h"

namespace fuzz {

struct OutputFiles {
  std::string bas;
  std::string crt;
  std::string lst;
};

FUZZ_MODEL inline std::string WithFirstTabAs(std::string text, char replacement) {
  std::size_t tab = text.find("<9>");
  if (tab != std::string::npos) text.replace(tab, 3, 1, replacement);
  return text;
}

FUZZ_MODEL inline OutputFiles ModelOutputs(const std::vector<std::string>& texts) {
  OutputFiles files;
  files.crt = "LANGUAGE GROUP\r\nItems      USHORT(" + std::to_string(texts.size()) + ")\r\n";
  for (const std::string& text : texts) {
    std::string listed = WithFirstTabAs(text, '~');
    files.bas += "\"" + listed + "\", \"\"\r\n";
    files.lst += listed + "\r\n";
    files.crt +=
        "           PSTRING('" + WithFirstTabAs(text, '\t') + "')\r\n           PSTRING('')\r\n";
  }
  files.crt += "   END\r\n";
  return files;
}

}  // namespace fuzz
