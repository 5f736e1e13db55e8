#include "lang/file_set.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "lang/lang_error.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// A name beside `target` that no other run picks: the name, a random tag, ".tmp".
std::string SiblingName(const std::string& target) {
  static std::mt19937 tags{std::random_device{}()};
  char tag[16];
  std::snprintf(tag, sizeof tag, ".%08x.tmp", static_cast<unsigned>(tags()));
  return target + tag;
}

std::string ReplacedPath(const std::string& finalName) {
  std::error_code error;
  if (!fs::is_symlink(finalName, error)) return finalName;
  fs::path target = fs::weakly_canonical(finalName, error);
  return error ? finalName : target.string();
}

}  // namespace

FileSet::~FileSet() {
  for (const Staged& file : staged_) std::remove(file.sibling.c_str());
}

std::string FileSet::Stage(const std::string& finalName) {
  std::string target = ReplacedPath(finalName);
  staged_.push_back(Staged{finalName, target, SiblingName(target)});
  return staged_.back().sibling;
}

void FileSet::StageRemoval(const std::string& finalName) {
  removals_.push_back(finalName);
}

void FileSet::Commit() {
  for (const Staged& file : staged_) {
    std::error_code error;
    fs::file_status old = fs::status(file.target, error);
    if (fs::exists(old)) fs::permissions(file.sibling, old.permissions(), error);
    if (!RenameOver(file.sibling.c_str(), file.target.c_str())) {
      throw LangError(file.finalName, "cannot replace it with '" + file.sibling + "'");
    }
  }
  staged_.clear();
  for (const std::string& name : removals_) {
    std::error_code error;
    fs::remove(name, error);
    if (error) throw LangError(name, "cannot remove it: " + error.message());
  }
  removals_.clear();
}
