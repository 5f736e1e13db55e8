// Fuzzes MatchesMask. The input is a mask, a NUL byte and a name (without a NUL byte, the input
// is both). Checked for every pair: case never matters; "*" matches every name; a mask without
// wildcards matches only its own name, ignoring case (and, ending in a dot, that name without
// the dot); and the answer equals that of a plain dynamic-programming matcher.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/wildcard.h"

namespace {

// The matcher's quadratic model is only run on inputs up to this size.
constexpr std::size_t kLargestInput = 1024;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
std::string Lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = LowerAscii(c);
  return result;
}
std::string Uppered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperAscii(c);
  return result;
}

// Row i of the table: whether the first i characters of the mask match the first j of the name.
FUZZ_MODEL bool ModelMatchesPattern(std::string_view mask, std::string_view name) {
  std::vector<char> row(name.size() + 1, false);
  std::vector<char> next(name.size() + 1, false);
  row[0] = true;
  for (char m : mask) {
    next[0] = m == '*' && row[0];
    for (std::size_t j = 1; j <= name.size(); ++j) {
      if (m == '*') {
        next[j] = row[j] || next[j - 1];
      } else {
        next[j] = (m == '?' || UpperAscii(m) == UpperAscii(name[j - 1])) && row[j - 1];
      }
    }
    row.swap(next);
  }
  return row[name.size()];
}

// A mask ending in ".*" also matches the name with no dot part at all, and one ending in a dot
// the names without a dot that the rest of the mask matches.
FUZZ_MODEL bool ModelMatchesMask(std::string_view mask, std::string_view name) {
  if (ModelMatchesPattern(mask, name)) return true;
  if (mask.ends_with(".*")) return ModelMatchesPattern(mask.substr(0, mask.size() - 2), name);
  return mask.ends_with('.') && name.find('.') == std::string_view::npos &&
         ModelMatchesPattern(mask.substr(0, mask.size() - 1), name);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return Uppered(a) == Uppered(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kLargestInput) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t separator = input.find('\0');
  std::string mask(input.substr(0, separator));
  std::string name(separator == std::string_view::npos ? input : input.substr(separator + 1));
  name = name.substr(0, name.find('\0'));

  bool matches = MatchesMask(mask.c_str(), name.c_str());
  FUZZ_CHECK(matches == ModelMatchesMask(mask, name));
  FUZZ_CHECK(MatchesMask(Lowered(mask).c_str(), Uppered(name).c_str()) == matches);
  FUZZ_CHECK(MatchesMask(Uppered(mask).c_str(), Lowered(name).c_str()) == matches);
  FUZZ_CHECK(MatchesMask("*", name.c_str()));
  if (mask.find_first_of("*?") == std::string::npos) {
    bool withoutExtension = mask.ends_with('.') && name.find('.') == std::string::npos &&
                            EqualIgnoringCase(mask.substr(0, mask.size() - 1), name);
    FUZZ_CHECK(matches == (EqualIgnoringCase(mask, name) || withoutExtension));
  }
  if (name.find_first_of("*?") == std::string::npos) {
    FUZZ_CHECK(MatchesMask(Lowered(name).c_str(), Uppered(name).c_str()));
  }
  return 0;
}
