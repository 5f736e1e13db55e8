// The program's one failure type: raised by the output side, caught and reported by the run
// driver, which prints the message text as it stands.
#pragma once

#include <exception>

// The Failure raised when an output cannot be written completely.
inline constexpr char kWriteError[] = "Error writing to file";

class Failure : public std::exception {
 public:
  // The text must outlive the exception (a literal or a scratch buffer).
  explicit Failure(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
};
