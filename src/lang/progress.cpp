#include "lang/progress.h"

#include <utility>

#include "platform/platform.h"

void ConsoleLine::Show(std::string_view text) {
  std::string line = "\r";
  line += text;
  if (text.size() < shown_) line.append(shown_ - text.size(), ' ');
  shown_ = text.size();
  WriteToConsole(line.c_str());
}

void ConsoleLine::Clear() {
  if (shown_ == 0) return;
  std::string blanks(shown_ + 2, ' ');
  blanks.front() = blanks.back() = '\r';
  WriteToConsole(blanks.c_str());
  shown_ = 0;
}

StepProgress::StepProgress(std::string what, std::size_t total, std::string steps)
    : what_(std::move(what)),
      steps_(std::move(steps)),
      total_(total),
      next_(std::chrono::steady_clock::now() + std::chrono::seconds(1)) {}

void StepProgress::Done(std::size_t steps) {
  auto now = std::chrono::steady_clock::now();
  if (now < next_) return;
  next_ = now + std::chrono::milliseconds(200);
  line_.Show(what_ + ": " + std::to_string(steps) + " of " + std::to_string(total_) + " " + steps_);
}
