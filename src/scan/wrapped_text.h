// Wrapped texts read as the compiler builds them: string literals joined by '&', with nothing
// but blanks, tabs and line breaks marked by '|' between them, are one text. This is the one
// place that says so. quotex-lang reads every source through it, and whatever must see a text as
// quotex-lang's CRT file holds it (a control's text in a WINDOW, say) reads through it too:
//
//     TextFile file;                          // the plain way: whole files
//     file.Open(name, "rt");
//     file.JoinAsCompiled();
//     file.CountLines();                      // for LineNumberAt: where a literal opens
//     while (file.ReadLine(line, kLineSize)) ...
//
// or, for lines held in memory, WrappedTextJoin below, which TextFile uses.
//
// A logical line read this way holds each wrapped text as one literal, its content exactly what
// the scan takes from it; the rest of the lines it was joined from stand around it as written:
//
//     PROMPT('Go to the ' & |        ! first
//            'first page'),AT(8,8),USE(?Go)
//
// reads as PROMPT('Go to the first page'),AT(8,8),USE(?Go). The rule, literal by literal:
// - after a literal's closing quote come blanks and tabs, '&', blanks and tabs, and another
//   literal: the two are one (the quotes and what stands between them go);
// - where the line ends instead, in '|' after the '&' or before it (blanks and tabs around it, a
//   '!' comment after it), the next line must begin (after blanks and tabs) with the literal, or
//   with the '&' and the literal when the '&' was not on the line before; then the line is cut
//   at the closing quote and the next one joined from just after its opening quote, so that the
//   join goes on over any number of lines;
// - anything else after a literal (a name, a call, a comma, a line with no literal) ends its
//   text: 'Hello ' & Name & '!' stays two texts, and a line that does not continue the text
//   begins the next logical line.
// A '!' outside a literal begins a comment, whose quotes are no literals. A logical line holds at
// most the buffer's capacity: a text that would run past it is cut there, like any line, and the
// lines that continue it are read and dropped.
//
// quotex itself joins a line only where it ends exactly in "' &|" (TextFile's default), and keeps
// that form's quirks; quotex-lang reads sources as the compiler does, so its CRT file can differ
// from quotex's on wrapped texts.
#pragma once

#include <cstddef>
#include <vector>

class WrappedTextJoin {
 public:
  // Starts a logical line from `line`, a physical line of `length` characters, in a buffer with
  // room for `capacity` characters; the logical line is built there. Literals joined on the line
  // itself are joined at once.
  WrappedTextJoin(char* line, std::size_t length, std::size_t capacity);

  // Whether the line read so far ends in a text that the next line may continue.
  bool Wrapped() const { return wrapped_; }

  // Joins `next`, the physical line after the last one, when it continues the text, and says
  // whether it did; when it does not, nothing is changed and it begins the next logical line.
  // `next` is changed in place when it is joined.
  bool Continue(char* next, std::size_t length);

  // The length of the logical line so far.
  std::size_t Length() const { return length_; }

  // Where, in the logical line, the text of each line joined on begins, in the order joined.
  const std::vector<std::size_t>& JoinedAt() const { return joinedAt_; }

 private:
  // Appends `text`, as much of it as there is room for; false when not all of it fitted.
  bool Append(const char* text, std::size_t length);

  char* line_;
  std::size_t length_;
  std::size_t capacity_;
  bool wrapped_ = false;
  bool ampersand_ = false;      // the wrapped text's '&' stands before the line break
  std::size_t cut_ = 0;         // where a joined line will cut the logical line: the closing quote
  bool final_ = false;          // a text ran past the capacity: nothing more is joined on
  std::vector<std::size_t> joinedAt_;
};
