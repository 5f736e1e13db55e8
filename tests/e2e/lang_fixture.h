// The files quotex-lang reads and writes, made from their pairs of text and translation in the
// layout quotex writes.
#pragma once

#include <string>
#include <utility>
#include <vector>

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A CRT (or OBS) file holding `pairs`.
inline std::string Crt(const Pairs& pairs) {
  std::string crt = "LANGUAGE GROUP\r\nItems      USHORT(" + std::to_string(pairs.size()) + ")\r\n";
  for (const auto& [text, translation] : pairs) {
    crt += "           PSTRING('" + text + "')\r\n";
    crt += "           PSTRING('" + translation + "')\r\n";
  }
  return crt + "   END\r\n";
}

// A BAS file holding `pairs`.
inline std::string Bas(const Pairs& pairs) {
  std::string bas;
  for (const auto& [text, translation] : pairs)
    bas += "\"" + text + "\", \"" + translation + "\"\r\n";
  return bas;
}
