// Joins the continuation lines of one logical line, as the line reader needs it, in memory that
// stays bounded however many lines a literal is continued over.
//
// The rule, as defined recursively: a logical line is its first physical line cut at its
// continuation marker, followed by everything after the first quote of the logical line that
// comes next, the whole cut to the buffer's capacity; so the innermost line is joined first.
// Read that way, a million continued lines would need a million buffers at once. Here the lines
// come one at a time, first to last, and only one number per level is kept.
//
// Every character of a continuation line enters the level of its own line and climbs level by
// level towards the first line. A level keeps at most `capacity` characters, and its characters
// up to and including its first quote stay where they are: only those after it climb on. A level
// that has passed its first quote lets everything through, so it joins the level below into one
// group, whose room is the smaller of the two. The first line's group writes into the line.
//
// A worked example (each physical line shown already cut at its marker):
//
//     first line   M('A    rooms: [C-4]       (C is the capacity)
//     next line    xx      [C-4, C-2]     no quote: "xx" stays in level 1, which waits
//     next line    'B      [C-4, C-3]     level 2 keeps its quote and joins level 1; "B"
//                                         stays there, for level 1 still waits for its quote
//     last line    'C')    [C-6]          level 3 keeps its quote and joins; "C'" stays in
//                                         level 1, whose first quote it holds; the rest, ")",
//                                         reaches the line. Level 1 now holds xxBC') and
//                                         the line M('A): C-6 is the lesser room
//
// The line is M('A) and so is the recursive reading: the last line is 'C'), the one before it
// 'B + C') = 'BC'), the one before that xx + BC') = xxBC'), and the first M('A + ).
//
// A character that meets a full level never gets past it, and neither does any that comes
// later: the line is final from then on, and the lines that follow are read and dropped.
#pragma once

#include <cstddef>
#include <vector>

class ContinuationJoin {
 public:
  // Joins onto `line`, which holds `length` characters (the first line, cut at its marker) and
  // has room for `capacity` characters.
  ContinuationJoin(char* line, std::size_t length, std::size_t capacity);

  // Adds the next continuation line, already cut at its marker if it has one.
  void Add(const char* text, std::size_t length);

  // The length of the line joined so far.
  std::size_t Length() const { return length_; }

 private:
  char* line_;
  std::size_t length_;
  std::size_t capacity_;
  std::vector<std::size_t> rooms_;  // the remaining room of each group, the first line's first
  bool final_ = false;
};
