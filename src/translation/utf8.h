// UTF-8 as the PO format carries it: strict decoding (no overlong forms, no surrogates, nothing
// beyond U+10FFFF) and encoding.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The character whose sequence starts at `at`, and `at` moved past it; none (and `at`
// unchanged) when no valid sequence starts there.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& at);

void AppendUtf8(std::string& text, char32_t character);

// The offset of the first byte that starts no valid sequence, or npos.
std::size_t FindInvalidUtf8(std::string_view text);

// "U+00E9" and the like.
std::string CodePointName(char32_t character);
