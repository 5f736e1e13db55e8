// Whether the texts of a window fit their controls once translated: each text measured in the
// font it is drawn with, against the room its control leaves it, in the window's dialog units.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "translation/code_page.h"
#include "translation/diagnostic.h"
#include "window/font_metrics.h"
#include "window/window.h"

// The translations of a base: each text as the CRT file holds it, with its translation (texts
// without one left out).
using Translations = std::unordered_map<std::string, std::string>;

enum class Fit {
  kNotMeasured,          // no room to measure against: the control grows with its text
  kFits,
  kTooLong,              // the translation needs more room than it has
  kTooLongUntranslated,  // the text itself needs more room than it has
};

// A text of a window as the program draws it: a control's, or the window's title.
struct ShownText {
  std::optional<std::size_t> control;  // none: the window's title
  std::string text;                    // as the source writes it
  std::string translation;             // empty: none
  bool untranslated = false;           // a text quotex-lang collects, without a translation
  Fit fit = Fit::kNotMeasured;
  int needs = 0, room = 0;  // in dialog units, where measured
  // Where the room ends, when not at the control's own width: "runs into ENTRY CON:Name".
  std::string limit;
  std::string estimate;     // the font's, if its widths are an estimate
  const std::string& Shown() const { return translation.empty() ? text : translation; }
};

struct WindowFit {
  int unitX = 0, unitY = 0;  // the dialog base units: pixels for 4 units across, 8 down
  std::vector<ShownText> texts;
  std::size_t misfits = 0, untranslated = 0;
};

WindowFit FitWindow(const Window& window, const Translations& translations,
                    const CodePage& codePage);

// A warning for each text that does not fit, about its line of window.file.
std::vector<Diagnostic> MisfitWarnings(const Window& window, const WindowFit& fit);

// The lines a text is drawn as: its characters (the literal's codes and repeats read), without
// the accelerators' '&', split at line breaks.
std::vector<std::u32string> DrawnLines(std::string_view content, const CodePage& codePage);
// The width of the text's longest line.
int DrawnWidth(const FontMetrics& metrics, std::string_view content, const CodePage& codePage);

// The font a window's title is drawn in: the system's caption font.
Font TitleFont();

// The pixels `units` dialog units make, given the pixels of `per` units (4 across, 8 down).
int Pixels(int units, int base, int per);
