// The single-byte code pages Clarion sources are written in, and the conversion of their bytes
// to and from UTF-8. Every platform gives the same table: a byte counts as undefined where any
// of them leaves it out. An undefined byte still converts, to the private-use character
// U+F700 + byte (0x81 is U+F781), which no code page here maps to, so every byte comes back.
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

  // The character that stands for `byte` in UTF-8 text: the one it stands for, or for an
  // undefined byte its private-use character.
  char32_t Utf8CharacterOf(unsigned char byte) const;

  // Bytes to UTF-8; an undefined byte becomes its private-use character.
  std::string ToUtf8(std::string_view bytes) const;
  // UTF-8 to bytes, the private-use character of an undefined byte to that byte; false, with
  // the offset (in `utf8`) of the first invalid UTF-8 sequence or of the first character the
  // code page cannot hold.
  bool FromUtf8(std::string_view utf8, std::string& bytes, std::size_t& badOffset) const;

  // Whether `bytes` hold a word (a run of letters) that mixes Latin letters with Cyrillic or
  // Greek ones: how a text looks in another code page than its own (cp1252's 'Posici\xF3n' gets
  // a Cyrillic letter for its 0xF3 in cp1251). Never so in a code page of Latin letters only.
  bool MixesScriptsInAWord(std::string_view bytes) const;

 private:
  explicit CodePage(unsigned number);

  std::string name_;
  std::array<std::optional<char32_t>, 256> characters_;
  // The upper half backwards: (character, byte), sorted by character.
  std::vector<std::pair<char32_t, unsigned char>> bytes_;
};
