// The single-byte code pages Clarion sources are written in, and the conversion of their bytes
// to and from UTF-8. Every platform gives the same table: a byte counts as undefined where any
// of them leaves it out.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CodePage {
 public:
  // cp437, cp850, cp852, cp866 and cp1250 to cp1258 (windows-1250 to windows-1258 too), in any
  // letter case; none for another name or when the platform lacks the code page.
  static std::optional<CodePage> Named(std::string_view name);
  // The names Named() knows, for messages: "cp437, cp850, ...".
  static std::string KnownNames();

  std::string_view Name() const { return name_; }

  // The character `byte` stands for; none when the code page does not define it.
  std::optional<char32_t> CharacterOf(unsigned char byte) const;

  // Bytes to UTF-8; false, with the offset of the first byte the code page does not define.
  bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badOffset) const;
  // UTF-8 to bytes; false, with the offset (in `utf8`) of the first invalid UTF-8 sequence or
  // of the first character the code page cannot hold.
  bool FromUtf8(std::string_view utf8, std::string& bytes, std::size_t& badOffset) const;

 private:
  explicit CodePage(unsigned number);

  std::string name_;
  std::array<std::optional<char32_t>, 256> characters_;
  // The upper half backwards: (character, byte), sorted by character.
  std::vector<std::pair<char32_t, unsigned char>> bytes_;
};
