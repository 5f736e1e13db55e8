// POSIX: the directory is read whole and the matching names sorted the way the target
// platform's usual file system lists them (by their upper-cased bytes), so the same sources give
// the same outputs on every machine whatever order readdir has. The console is the controlling
// terminal.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace {

std::string UpperCased(std::string name) {
  for (char& c : name) c = UpperAscii(c);
  return name;
}

}  // namespace

struct DirectorySearch::State {
  // Each matching name after its upper-cased form, the sort key (std::string compares bytes as
  // unsigned values; equal keys are ordered by the names themselves).
  std::vector<std::pair<std::string, std::string>> names;
  std::size_t current = 0;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::First(const char* mask) {
  state_ = std::make_unique<State>();
  DIR* directory = opendir(".");
  if (directory == nullptr) return false;
  while (const dirent* entry = readdir(directory)) {
    if (MatchesMask(mask, entry->d_name))
      state_->names.emplace_back(UpperCased(entry->d_name), entry->d_name);
  }
  closedir(directory);
  std::sort(state_->names.begin(), state_->names.end());
  return !state_->names.empty();
}

bool DirectorySearch::Next() {
  return state_ != nullptr && ++state_->current < state_->names.size();
}

const char* DirectorySearch::Name() const {
  return state_->names[state_->current].second.c_str();
}

// File names tell case apart here, so the entry is opened under the name it has.
const char* DirectorySearch::OpenName() const {
  return Name();
}

void DirectorySearch::Close() {
  state_.reset();
}

void WriteToConsole(const char* text) {
  static const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return;
  std::size_t length = std::strlen(text);
  while (length > 0) {
    ssize_t written = write(terminal, text, length);
    if (written <= 0) return;  // progress is best effort
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

std::size_t DirectoryPartLength(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
}
