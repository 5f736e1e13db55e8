// The failure of a quotex-lang command that concerns one file as a whole (it cannot be read,
// parsed or written): reported as "FILE: error: MESSAGE", and the command ends with status 1.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

class LangError : public std::runtime_error {
 public:
  LangError(std::string file, const std::string& message)
      : std::runtime_error(message), file_(std::move(file)) {}
  const std::string& File() const { return file_; }

 private:
  std::string file_;
};
