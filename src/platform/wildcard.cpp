#include "platform/wildcard.h"

#include <cstring>

#include "common/ascii.h"

namespace {

// Iterative glob match with backtracking to the last star only: linear in practice, and never
// exponential whatever the mask holds.
bool MatchesPattern(const char* mask, std::size_t maskLength, const char* name) {
  std::size_t m = 0;
  const char* n = name;
  std::size_t starMask = 0;
  const char* starName = nullptr;
  while (*n != '\0') {
    if (m < maskLength && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < maskLength && (mask[m] == '?' || UpperAscii(mask[m]) == UpperAscii(*n))) {
      ++m;
      ++n;
    } else if (starName != nullptr) {
      m = starMask;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < maskLength && mask[m] == '*') ++m;
  return m == maskLength;
}

}  // namespace

bool MatchesMask(const char* mask, const char* name) {
  std::size_t length = std::strlen(mask);
  if (MatchesPattern(mask, length, name)) return true;
  // "NAME.*" stands for NAME with any extension, or none at all.
  if (length >= 2 && mask[length - 2] == '.' && mask[length - 1] == '*') {
    return MatchesPattern(mask, length - 2, name);
  }
  // "NAME." stands for NAME without an extension: "*." matches the names that hold no dot.
  if (length >= 1 && mask[length - 1] == '.') {
    return std::strchr(name, '.') == nullptr && MatchesPattern(mask, length - 1, name);
  }
  return false;
}
