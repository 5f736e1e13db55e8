// quotex-lang's progress on the console: one line, written over in place, that leaves nothing of
// a longer line it replaces, and nothing at all once the work is done. Nothing is shown where
// there is no console.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

class ConsoleLine {
 public:
  ConsoleLine() = default;
  ConsoleLine(const ConsoleLine&) = delete;
  ConsoleLine& operator=(const ConsoleLine&) = delete;
  ~ConsoleLine() { Clear(); }

  // Shows `text` instead of what the line showed.
  void Show(std::string_view text);
  // Blanks the line, the cursor back at its start.
  void Clear();

 private:
  std::size_t shown_ = 0;  // the length of what the line shows
};

// The progress of work done in steps that may take a while: "Suggesting: 1200 of 125000 texts",
// shown once the work has taken a second, then a few times a second.
class StepProgress {
 public:
  // `what`: "Suggesting"; `steps`: "texts" and how many.
  StepProgress(std::string what, std::size_t total, std::string steps);

  void Done(std::size_t steps);

 private:
  std::string what_, steps_;
  std::size_t total_;
  std::chrono::steady_clock::time_point next_;  // when to show the progress again
  ConsoleLine line_;
};
