#include "common/settings.h"

#include <cstring>

RunSettings Settings;

bool SetOutputBaseName(const char* name) {
  std::size_t length = std::strlen(name);
  if (length > kMaxBaseNameLength) return false;
  std::memcpy(Settings.outputBaseName, name, length + 1);
  return true;
}
