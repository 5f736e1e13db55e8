// Run settings: written once by the run driver before the first file is scanned, read by the
// scanner and the output writer afterwards.
#pragma once

#include <cstddef>

// Line buffers hold at most this many characters and a terminator.
constexpr std::size_t kLineSize = 1000;
constexpr std::size_t kMaxLineLength = kLineSize - 1;

// The output base name holds at most this many characters and a terminator.
constexpr std::size_t kMaxBaseNameLength = 103;

struct RunSettings {
  char outputBaseName[kMaxBaseNameLength + 1] = {};
  bool messagesOnly = false;
  // quotex-lang's: wrapped texts are read as the compiler joins them (scan/wrapped_text.h), not
  // only where a line ends in quotex's marker.
  bool wrappedAsCompiled = false;
};

extern RunSettings Settings;

// Copies a base name of at most kMaxBaseNameLength characters; false (and nothing changed)
// when it is longer.
bool SetOutputBaseName(const char* name);
