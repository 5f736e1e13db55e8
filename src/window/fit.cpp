#include "window/fit.h"

#include <algorithm>

#include "common/ascii.h"
#include "output/outputs.h"
#include "translation/notation.h"

namespace {

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::string_view (&words)[N]) {
  return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

// Controls drawn behind others or around them: never what a text runs into.
constexpr std::string_view kBackgrounds[] = {"SHEET", "TAB",   "GROUP",   "OPTION", "PANEL",
                                             "BOX",   "REGION", "LINE",   "IMAGE",  "MENUBAR",
                                             "MENU",  "ITEM",  "TOOLBAR"};
// Controls whose text is cut at their width.
constexpr std::string_view kSizedKinds[] = {"BUTTON", "PROMPT", "STRING", "CHECK",
                                            "RADIO",  "GROUP",  "OPTION"};
// Controls that grow with their text where they have no width.
constexpr std::string_view kGrowingKinds[] = {"PROMPT", "STRING", "CHECK", "RADIO"};

// The pixels a control's own drawing takes from its width at 96 dots per inch: a button's
// border and the gap inside it (and its icon, beside the text), a check box's box and the gap
// after it, a group box's corner before its caption and after it.
int OwnRoom(const Control& control) {
  if (control.kind == "BUTTON") {
    return control.Has("ICON") && (control.Has("LEFT") || control.Has("RIGHT")) ? 26 : 6;
  }
  if (control.kind == "CHECK" || control.kind == "RADIO") return 16;
  if (control.kind == "GROUP" || control.kind == "OPTION") return 16;
  return 0;
}

// The room a window's title bar takes besides the title: the margin, with the system menu its
// icon and the close button, with a minimize or maximize button both of them (Windows 10 and
// later draw them 46 pixels wide).
int TitleBarRoom(const Window& window) {
  int room = 8;
  if (window.Has("SYSTEM")) room += 22 + 46;
  if (window.Has("MAX") || window.Has("ICON")) room += 2 * 46;
  return room;
}

// The TAB and TOOLBAR structures a control stands in, innermost first: two controls are shown
// together when those of one are the last of the other's.
std::vector<std::size_t> Layers(const Window& window, std::size_t index) {
  std::vector<std::size_t> layers;
  for (std::optional<std::size_t> at = window.controls[index].parent; at;
       at = window.controls[*at].parent) {
    const std::string& kind = window.controls[*at].kind;
    if (kind == "TAB" || kind == "TOOLBAR") layers.push_back(*at);
  }
  return layers;
}

bool ShownTogether(const Window& window, std::size_t a, std::size_t b) {
  std::vector<std::size_t> first = Layers(window, a), second = Layers(window, b);
  if (first.size() > second.size()) std::swap(first, second);
  auto inToolbar = [&](const std::vector<std::size_t>& layers) {
    return !layers.empty() && window.controls[layers.back()].kind == "TOOLBAR";
  };
  return inToolbar(first) == inToolbar(second) &&
         std::equal(first.rbegin(), first.rend(), second.rbegin());
}

// Each control's height in dialog units: its own, or a line of its font's.
std::vector<int> Heights(const Window& window, const WindowFit& fit) {
  std::vector<int> heights;
  for (const Control& control : window.controls) {
    heights.push_back(control.at.height && *control.at.height > 0
                          ? *control.at.height
                          : (FontMetrics(control.font).Height() * 8 + fit.unitY - 1) / fit.unitY);
  }
  return heights;
}

// The room of a control without a width: up to the nearest control to its right on the same
// row, else to the window's edge. False where it cannot be told.
bool RoomToTheRight(const Window& window, std::size_t index, const std::vector<int>& heights,
                    int& room, std::string& limit) {
  const Control& control = window.controls[index];
  if (!control.at.x || !control.at.y || control.Has("RIGHT") || control.Has("CENTER")) {
    return false;
  }
  int top = *control.at.y, bottom = top + heights[index];
  const Control* nearest = nullptr;
  for (std::size_t i = 0; i < window.controls.size(); ++i) {
    const Control& other = window.controls[i];
    if (i == index || !other.at.x || !other.at.y || *other.at.x <= *control.at.x ||
        IsOneOf(other.kind, kBackgrounds) || !ShownTogether(window, index, i)) {
      continue;
    }
    int otherTop = *other.at.y, otherBottom = otherTop + heights[i];
    if (otherTop < bottom && top < otherBottom && (!nearest || *other.at.x < *nearest->at.x)) {
      nearest = &other;
    }
  }
  if (nearest != nullptr) {
    room = *nearest->at.x - *control.at.x;
    limit = "runs into " + nearest->Name();
    return true;
  }
  if (!window.at.width) return false;
  room = *window.at.width - *control.at.x;
  limit = "runs past the window's edge";
  return true;
}

// Measures `shown` (a text and its translation) against `room` dialog units, less `ownRoom`
// pixels: across, or down for a text turned to run down its control.
void Measure(ShownText& shown, const FontMetrics& metrics, const CodePage& codePage,
             int ownRoom, int room, const WindowFit& fit, bool down = false) {
  auto needs = [&](const std::string& text) {
    int pixels = DrawnWidth(metrics, text, codePage) + ownRoom;
    return down ? (pixels * 8 + fit.unitY - 1) / fit.unitY
                : (pixels * 4 + fit.unitX - 1) / fit.unitX;
  };
  shown.room = room;
  shown.estimate = metrics.Estimate();
  shown.needs = needs(shown.text);
  if (shown.needs > room) {
    shown.fit = Fit::kTooLongUntranslated;
    return;
  }
  shown.needs = needs(shown.Shown());
  shown.fit = shown.needs > room ? Fit::kTooLong : Fit::kFits;
}

}  // namespace

Font TitleFont() {
  return Font{"Segoe UI", 9, false};
}

int Pixels(int units, int base, int per) {
  return (units * base + per / 2) / per;
}

std::vector<std::u32string> DrawnLines(std::string_view content, const CodePage& codePage) {
  std::string characters = DecodeNotation(content);
  std::vector<std::u32string> lines(1);
  for (std::size_t i = 0; i < characters.size(); ++i) {
    char c = characters[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < characters.size() && characters[i + 1] == '\n') ++i;
      lines.emplace_back();
      continue;
    }
    // An '&' is not drawn but underlines the letter after it; "&&" draws one.
    if (c == '&') {
      if (i + 1 == characters.size() || characters[i + 1] != '&') continue;
      ++i;
    }
    if (std::optional<char32_t> character = codePage.CharacterOf(static_cast<unsigned char>(c))) {
      lines.back() += *character;
    }
  }
  return lines;
}

int DrawnWidth(const FontMetrics& metrics, std::string_view content, const CodePage& codePage) {
  int widest = 0;
  for (const std::u32string& line : DrawnLines(content, codePage)) {
    widest = std::max(widest, metrics.Width(line));
  }
  return widest;
}

WindowFit FitWindow(const Window& window, const Translations& translations,
                    const CodePage& codePage) {
  WindowFit fit;
  FontMetrics windowFont(window.font);
  fit.unitX = windowFont.AverageWidth();
  fit.unitY = windowFont.Height();
  auto shownText = [&](const std::string& text) {
    ShownText shown;
    shown.text = text;
    auto found = translations.find(CrtText(text.c_str()));
    if (found != translations.end()) shown.translation = found->second;
    shown.untranslated = IsWordlike(text) && shown.translation.empty();
    return shown;
  };
  if (window.title) {
    ShownText title = shownText(*window.title);
    if (window.at.width && IsWordlike(title.text)) {
      Measure(title, FontMetrics(TitleFont()), codePage, TitleBarRoom(window), *window.at.width,
              fit);
    }
    fit.texts.push_back(std::move(title));
  }
  std::vector<int> heights = Heights(window, fit);
  for (std::size_t i = 0; i < window.controls.size(); ++i) {
    const Control& control = window.controls[i];
    if (!control.text) continue;
    ShownText shown = shownText(*control.text);
    shown.control = i;
    // A text turned a quarter (ANGLE(900) or ANGLE(2700)) runs down its control, and has its
    // height; one turned any other way than upside down is not measured.
    bool down = control.angle == 900 || control.angle == 2700;
    bool across = control.angle == 0 || control.angle == 1800;
    std::optional<int> extent = down ? control.at.height : control.at.width;
    int room = 0;
    bool sized = (across || down) && IsOneOf(control.kind, kSizedKinds) && extent &&
                 *extent > 0 &&
                 ((control.kind != "GROUP" && control.kind != "OPTION") || control.Has("BOXED"));
    if (sized) room = *extent;
    if (sized && down) shown.limit = "turned to run down its height";
    bool measured = sized || (across && IsOneOf(control.kind, kGrowingKinds) &&
                              !control.at.width &&
                              RoomToTheRight(window, i, heights, room, shown.limit));
    // A text quotex-lang does not collect is never translated: only those it does are judged.
    if (measured && IsWordlike(shown.text)) {
      Measure(shown, FontMetrics(control.font), codePage, OwnRoom(control), room, fit, down);
    }
    fit.texts.push_back(std::move(shown));
  }
  for (const ShownText& shown : fit.texts) {
    if (shown.fit == Fit::kTooLong || shown.fit == Fit::kTooLongUntranslated) ++fit.misfits;
    if (shown.untranslated) ++fit.untranslated;
  }
  return fit;
}

std::vector<Diagnostic> MisfitWarnings(const Window& window, const WindowFit& fit) {
  std::vector<Diagnostic> warnings;
  for (const ShownText& shown : fit.texts) {
    if (shown.fit != Fit::kTooLong && shown.fit != Fit::kTooLongUntranslated) continue;
    bool untranslated = shown.fit == Fit::kTooLongUntranslated;
    std::string message = shown.control ? window.controls[*shown.control].Name() + ": "
                                        : window.Name() + ": title ";
    message += Quoted(untranslated ? shown.text : shown.Shown());
    if (untranslated) message += " does not fit even untranslated:";
    if (!shown.limit.empty()) message += " " + shown.limit + ":";
    message += " needs " + std::to_string(shown.needs) + " dialog units, has " +
               std::to_string(shown.room);
    if (!shown.estimate.empty()) message += " (" + shown.estimate + ")";
    std::size_t line = shown.control ? window.controls[*shown.control].line : window.line;
    warnings.push_back(Diagnostic{line, Severity::kWarning, message});
  }
  return warnings;
}
