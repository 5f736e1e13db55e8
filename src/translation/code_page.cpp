#include "translation/code_page.h"

#include <algorithm>

#include "common/ascii.h"
#include "platform/lang_platform.h"
#include "translation/utf8.h"

namespace {

// Undefined bytes travel through UTF-8 as U+F700 + byte.
constexpr char32_t kUndefinedByteBase = 0xF700;

constexpr unsigned kCodePages[] = {437,  850,  852,  866,  1250, 1251, 1252,
                                   1253, 1254, 1255, 1256, 1257, 1258};

// The code page `name` stands for, or 0.
unsigned CodePageNumber(std::string_view name) {
  for (unsigned number : kCodePages) {
    std::string digits = std::to_string(number);
    bool isWindows = number >= 1250;
    if (SameIgnoringAsciiCase(name, "cp" + digits) ||
        (isWindows && SameIgnoringAsciiCase(name, "windows-" + digits))) {
      return number;
    }
  }
  return 0;
}

// Bytes that some platform's table lacks although the code page's published table defines
// them: glibc leaves out cp1255's 0xCA, which Windows maps.
struct Supplement {
  unsigned codePage;
  unsigned char byte;
  char32_t character;
};
constexpr Supplement kSupplements[] = {{1255, 0xCA, 0x05BA}};

bool PlatformCharacter(unsigned codePage, unsigned char byte, char32_t& character) {
  if (CodePageToUnicode(codePage, byte, character)) return true;
  for (const Supplement& supplement : kSupplements) {
    if (supplement.codePage == codePage && supplement.byte == byte) {
      character = supplement.character;
      return true;
    }
  }
  return false;
}

// Undefined bytes come out of Windows as C1 controls or private-use characters, where iconv
// refuses them; both count as undefined. A byte of the lower half must stand for itself.
bool IsPortableMapping(unsigned char byte, char32_t character) {
  if (byte < 0x80) return character == byte;
  bool isC1Control = character >= 0x80 && character <= 0x9F;
  bool isPrivateUse = character >= 0xE000 && character <= 0xF8FF;
  return character >= 0x80 && !isC1Control && !isPrivateUse;
}

}  // namespace

std::optional<CodePage> CodePage::Named(std::string_view name) {
  unsigned number = CodePageNumber(name);
  if (number == 0) return std::nullopt;
  CodePage codePage(number);
  if (!codePage.CharacterOf('A')) return std::nullopt;  // the platform has no such table
  return codePage;
}

std::string CodePage::KnownNames() {
  std::string names;
  for (unsigned number : kCodePages) {
    if (!names.empty()) names += ", ";
    names += "cp" + std::to_string(number);
  }
  return names;
}

// Two bytes standing for one character would not convert back; the later one counts as
// undefined so that the conversions stay each other's inverse.
CodePage::CodePage(unsigned number) : name_("cp" + std::to_string(number)) {
  for (unsigned value = 0; value < 256; ++value) {
    auto byte = static_cast<unsigned char>(value);
    char32_t character;
    if (!PlatformCharacter(number, byte, character) || !IsPortableMapping(byte, character))
      continue;
    if (byte >= 0x80) {
      auto taken = std::find_if(bytes_.begin(), bytes_.end(), [character](const auto& entry) {
        return entry.first == character;
      });
      if (taken != bytes_.end()) continue;
      bytes_.emplace_back(character, byte);
    }
    characters_[byte] = character;
  }
  std::sort(bytes_.begin(), bytes_.end());
}

std::optional<char32_t> CodePage::CharacterOf(unsigned char byte) const {
  return characters_[byte];
}

char32_t CodePage::Utf8CharacterOf(unsigned char byte) const {
  return characters_[byte].value_or(kUndefinedByteBase + byte);
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80 && characters_[byte] == char32_t{byte}) {
      utf8 += c;  // most characters: ASCII, which every code page keeps
    } else {
      AppendUtf8(utf8, Utf8CharacterOf(byte));
    }
  }
  return utf8;
}

bool CodePage::FromUtf8(std::string_view utf8, std::string& bytes, std::size_t& badOffset) const {
  bytes.clear();
  bytes.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t start = at;
    std::optional<char32_t> character = DecodeUtf8(utf8, at);
    std::optional<unsigned char> byte;
    if (character && *character < 0x80 && characters_[*character]) {
      byte = static_cast<unsigned char>(*character);
    } else if (character && *character >= kUndefinedByteBase &&
               *character < kUndefinedByteBase + 256 &&
               !characters_[*character - kUndefinedByteBase]) {
      byte = static_cast<unsigned char>(*character - kUndefinedByteBase);
    } else if (character) {
      auto found = std::lower_bound(bytes_.begin(), bytes_.end(),
                                    std::pair<char32_t, unsigned char>(*character, 0));
      if (found != bytes_.end() && found->first == *character) byte = found->second;
    }
    if (!byte) {
      badOffset = start;
      return false;
    }
    bytes.push_back(static_cast<char>(*byte));
  }
  return true;
}

namespace {

enum class Script { kNone, kLatin, kGreekOrCyrillic };

// The script of a letter, or none for a character that is no letter of those scripts.
Script ScriptOf(char32_t c) {
  bool latin = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
  if (latin) return Script::kLatin;
  if ((c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x52F)) return Script::kGreekOrCyrillic;
  return Script::kNone;
}

}  // namespace

bool CodePage::MixesScriptsInAWord(std::string_view bytes) const {
  bool latin = false, other = false;
  for (char byte : bytes) {
    Script script = ScriptOf(Utf8CharacterOf(static_cast<unsigned char>(byte)));
    if (script == Script::kNone) {
      latin = other = false;
      continue;
    }
    (script == Script::kLatin ? latin : other) = true;
    if (latin && other) return true;
  }
  return false;
}
