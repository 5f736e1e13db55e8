// How wide Windows draws a text in the font a Clarion window names, in pixels at 96 dots per
// inch, from tables made from the free fonts whose widths are those fonts' (see
// tools/make-font-tables): the same answer on every platform, with no font needed at run time.
#pragma once

#include <string>
#include <string_view>

// A font as a FONT attribute names it.
struct Font {
  std::string typeface;
  int points = 0;
  bool bold = false;
};

// The font a window without a FONT attribute is drawn with.
Font SystemFont();

class FontMetrics {
 public:
  // A typeface without a free twin is measured in the nearest one that has (Segoe UI in
  // Tahoma's widths), and the result is an estimate.
  explicit FontMetrics(const Font& font);

  // The width of a line of text, as Windows measures it (GetTextExtentPoint32): the sum of each
  // character's width in whole pixels, without kerning.
  int Width(std::u32string_view text) const;
  // The character height (tmHeight).
  int Height() const { return height_; }
  // The average character width dialog units are made from: the width of the 52 letters A to Z
  // and a to z over 52, rounded (as Windows computes the dialog base unit).
  int AverageWidth() const { return averageWidth_; }
  // Empty when the widths are the font's own; else what they are an estimate from, in words:
  // "an estimate: Segoe UI measured as Tahoma".
  const std::string& Estimate() const { return estimate_; }

 private:
  int CharacterWidth(char32_t character) const;

  const struct Face* face_;
  int pixels_ = 0;                  // the size the outline widths are scaled to
  const char* bitmap_ = nullptr;    // the bitmap widths at this size, if the face has them
  int boldening_ = 0;               // what a bold drawn from a regular face adds to each character
  int height_ = 0;
  int averageWidth_ = 0;
  std::string estimate_;
};
