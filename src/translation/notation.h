// The content of a Clarion string literal (what stands between its quotes) and the single-byte
// characters it stands for: '' is one quote, <13,10> and <0Dh> are character codes, {n} repeats
// the character before it so that it stands n times in all, << and {{ are one < or {.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The characters `content` stands for. Anything malformed (a lone quote, a < or { that opens no
// valid code or repeat count, a repeat count at the start or right after another one) is kept
// as written, character by character, and never refused. A code group holding the value 0 is
// kept as written too, since a NUL cannot travel through the formats this feeds.
std::string DecodeNotation(std::string_view content);

// The content that stands for `characters`: quotes, < and { doubled, control characters (1 to
// 31 and 127) as codes with consecutive ones in one group (<13,10>), NUL as <0>, every other
// byte unchanged. DecodeNotation gives `characters` back whenever they hold no NUL.
std::string EncodeNotation(std::string_view characters);

struct NotationProblem {
  std::size_t offset;  // of the character that starts the malformed piece
  std::string message;
};

// The first thing that keeps `content` from being well-formed literal content, or none.
std::optional<NotationProblem> FindNotationProblem(std::string_view content);

// Repeat counts above this are malformed: a short text could otherwise stand for gigabytes.
constexpr unsigned kMaxRepeatCount = 999;
