#include "window/font_metrics.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "common/ascii.h"

namespace {

struct Bitmap {
  int size;            // 0: none. The pixel size it is drawn at; a raster font's character height
  int cellHeight;      // the height of its lines in pixels
  const char* widths;  // '0' plus each character's width in pixels, a blank where it has none
};

}  // namespace

struct Face {
  const char* name;
  // A raster font has only the sizes of its bitmaps: Windows takes the largest one that is not
  // larger than the size asked for.
  bool raster;
  int unitsPerEm, ascent, descent;
  const std::uint16_t* widths;  // in design units
  Bitmap bitmaps[8];
};

namespace {

#include "window/font_tables.inc"

// The typefaces measured in a free font's widths; where the widths are not the typeface's own
// (no twin of it is free), the result is an estimate. Any other typeface is measured as Arial.
struct Twin {
  std::string_view typeface;
  std::string_view face;
  bool exact;
};
constexpr Twin kTwins[] = {
    {"Arial", "Liberation Sans", true},
    {"Times New Roman", "Liberation Serif", true},
    {"Courier New", "Liberation Mono", true},
    {"Tahoma", "Tahoma", true},
    {"MS Sans Serif", "MS Sans Serif", true},
    {"MS Shell Dlg 2", "Tahoma", true},  // the name dialogs give Tahoma
    {"Segoe UI", "Tahoma", false},
    {"Microsoft Sans Serif", "MS Sans Serif", false},
    {"MS Shell Dlg", "MS Sans Serif", false},
    {"Courier", "Liberation Mono", false},
    {"Consolas", "Liberation Mono", false},
    {"Lucida Console", "Liberation Mono", false},
    {"Times", "Liberation Serif", false},
};
constexpr Twin kOtherTypeface = {"", "Liberation Sans", false};

const Face* FaceNamed(std::string_view name) {
  for (const Face& face : kFaces) {
    if (face.name == name) return &face;
  }
  return nullptr;
}

}  // namespace

Font SystemFont() {
  return Font{"MS Sans Serif", 8, false};
}

FontMetrics::FontMetrics(const Font& font) {
  const Twin* twin = std::find_if(std::begin(kTwins), std::end(kTwins), [&](const Twin& each) {
    return SameIgnoringAsciiCase(each.typeface, font.typeface);
  });
  if (twin == std::end(kTwins)) twin = &kOtherTypeface;
  const Face* bold = font.bold ? FaceNamed(std::string(twin->face) + " Bold") : nullptr;
  face_ = bold != nullptr ? bold : FaceNamed(twin->face);
  if (!twin->exact) {
    estimate_ = "an estimate: " + (font.typeface.empty() ? "the font" : font.typeface) +
                " measured as " + std::string(twin->face);
  }
  // The size in pixels at 96 dots per inch, rounded as Windows rounds it (MulDiv).
  int pixels = (std::max(font.points, 1) * 96 + 36) / 72;
  pixels_ = pixels;
  height_ = (face_->ascent * pixels + face_->unitsPerEm / 2) / face_->unitsPerEm +
            (face_->descent * pixels + face_->unitsPerEm / 2) / face_->unitsPerEm;
  const Bitmap* chosen = nullptr;
  for (const Bitmap& bitmap : face_->bitmaps) {
    if (bitmap.size == 0) continue;
    bool fits = face_->raster ? bitmap.size <= pixels : bitmap.size == pixels;
    if (fits && (chosen == nullptr || bitmap.size > chosen->size)) chosen = &bitmap;
  }
  if (face_->raster) {
    // A bold raster font is the regular one drawn twice, a pixel apart.
    boldening_ = font.bold && bold == nullptr ? 1 : 0;
    const Bitmap* largest = &face_->bitmaps[0];
    for (const Bitmap& bitmap : face_->bitmaps) {
      if (bitmap.size > largest->size) largest = &bitmap;
    }
    if (pixels > largest->size) {
      // Windows has larger sizes of it than the free twin: its outlines stand in for them.
      chosen = nullptr;
      pixels_ = height_ = pixels * (face_->ascent + face_->descent) / face_->ascent;
      estimate_ = "an estimate: " + font.typeface + " " + std::to_string(font.points) +
                  " measured from its outlines";
    } else if (chosen == nullptr) {
      chosen = &face_->bitmaps[0];
    }
  }
  if (chosen != nullptr) {
    bitmap_ = chosen->widths;
    if (face_->raster) pixels_ = height_ = chosen->cellHeight;
  }
  averageWidth_ = (Width(U"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
}

int FontMetrics::Width(std::u32string_view text) const {
  int width = 0;
  for (char32_t character : text) width += CharacterWidth(character);
  return width;
}

int FontMetrics::CharacterWidth(char32_t character) const {
  const char16_t* end = std::end(kMeasuredCharacters);
  const char16_t* at = std::lower_bound(std::begin(kMeasuredCharacters), end, character);
  if (at == end || *at != character) return 0;  // no code page holds it
  std::size_t index = static_cast<std::size_t>(at - std::begin(kMeasuredCharacters));
  if (bitmap_ != nullptr && bitmap_[index] != ' ') return bitmap_[index] - '0' + boldening_;
  // Each character's width is rounded to whole pixels on its own.
  return (face_->widths[index] * pixels_ + face_->unitsPerEm / 2) / face_->unitsPerEm + boldening_;
}
