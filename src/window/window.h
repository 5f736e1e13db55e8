// The WINDOW and APPLICATION structures of Clarion sources: each window's controls with their
// texts, positions (AT, in dialog units) and fonts, as the source declares them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/font_metrics.h"

// AT(x,y,width,height): each part a number, or none where it is left out or computed at run
// time.
struct Position {
  std::optional<int> x, y, width, height;
};

struct Control {
  std::string kind;   // BUTTON, PROMPT, ... as the language's keyword, in upper case
  std::string use;    // what USE(...) names: ?OK, CON:LastName; empty without one
  // The text of the control as the literal's content stands in the source (what the CRT file
  // holds); none for a control without one, or with a picture, or whose text is computed.
  std::optional<std::string> text;
  Position at;
  Font font;  // its FONT, with what it leaves out taken from the control around it or the window
  int angle = 0;  // ANGLE(...): how far its text is turned, in tenths of a degree, 0 to 3599
  std::size_t line = 0;
  // The attributes given without a value or whose value is not needed (ICON, LEFT, BOXED,
  // FULL, HIDE...), in upper case.
  std::vector<std::string> flags;
  // The structure it stands in (a SHEET, TAB, GROUP, OPTION, MENUBAR, MENU or TOOLBAR), as an
  // index into the window's controls; none at the window's own level.
  std::optional<std::size_t> parent;

  bool Has(std::string_view flag) const;
  // "BUTTON ?OK", or the kind alone.
  std::string Name() const;
};

struct Window {
  std::string kind;       // WINDOW or APPLICATION
  std::string label;      // the structure's label
  std::string procedure;  // the procedure it is declared in; empty outside one
  std::string file;
  std::size_t line = 0;
  std::optional<std::string> title;
  Position at;
  Font font;  // its FONT, or the system's
  std::vector<std::string> flags;
  std::vector<Control> controls;  // in the order of the source

  bool Has(std::string_view flag) const;
  // "WINDOW Window".
  std::string Name() const { return kind + " " + label; }
};

// Collects the windows of one source file from its logical lines, as the line reader delivers
// them (numbered by the physical line they start on). A statement continued over lines with
// '|' is read as one; a window left open when a CODE statement or the end of the file comes is
// taken as it stands.
class WindowReader {
 public:
  explicit WindowReader(std::string file) : file_(std::move(file)) {}
  void AddLine(std::string_view line, std::size_t number);
  // The windows read, once the last line is added.
  std::vector<Window> Finish();

 private:
  void AddStatement(std::string_view code, std::size_t number);

  std::string file_;
  std::string pending_;  // a statement continued on the next line
  std::size_t pendingLine_ = 0;
  std::string procedure_;
  int declarations_ = 0;  // the depth of MAP, MODULE, CLASS and INTERFACE structures open
  std::vector<Window> windows_;
  bool inWindow_ = false;
  std::vector<std::size_t> open_;  // the structures open in the window, innermost last
};

// Reads the windows of a source file; false when it cannot be read to its end.
bool ReadWindows(const std::string& file, std::vector<Window>& windows);
