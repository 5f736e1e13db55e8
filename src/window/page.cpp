#include "window/page.h"

#include <algorithm>
#include <map>

#include "translation/diagnostic.h"
#include "translation/notation.h"
#include "translation/utf8.h"

namespace {

constexpr char kStyle[] = R"(
body { font: 14px sans-serif; margin: 16px; color: #222; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 2px 10px 2px 0; border-bottom: 1px solid #ddd; }
.legend span { padding: 0 6px; margin-right: 8px; }
section { margin: 28px 0 8px; }
figure { margin: 8px 0 16px; }
figcaption { color: #555; margin-bottom: 4px; }
svg text { white-space: pre; }
.frame { fill: #f0f0f0; stroke: #777; }
.titlebar { fill: #fff; stroke: #777; }
.strip { fill: #fafafa; stroke: #ccc; }
.button { fill: #e1e1e1; stroke: #adadad; }
.field { fill: #fff; stroke: #7a7a7a; }
.outline { fill: none; stroke: #aaa; }
.tab { fill: #f8f8f8; stroke: #aaa; }
.tab.open { fill: #fff; }
.mark { fill: none; stroke: none; }
.misfit .mark, .legend .misfit { fill: #ffd9d9; background: #ffd9d9; stroke: #d00000;
  stroke-width: 2; }
.misfit text, .legend .misfit { fill: #b00000; color: #b00000; }
.untranslated .mark, .legend .untranslated { fill: #e3ecff; background: #e3ecff;
  stroke: #2a5ad0; stroke-dasharray: 3 2; }
.untranslated text, .legend .untranslated { fill: #1d44a8; color: #1d44a8; font-style: italic; }
.unplaced { fill: #666; font-size: 12px; }
body.only-problems section.fine, body.only-problems tr.fine { display: none; }
)";

// The switch; a link to the page ending in #problems turns it on.
constexpr char kScript[] = R"(
var onlyProblems = document.getElementById('only-problems');
function showProblems() {
  document.body.classList.toggle('only-problems', onlyProblems.checked);
}
onlyProblems.addEventListener('change', showProblems);
if (location.hash === '#problems') {
  onlyProblems.checked = true;
  showProblems();
}
)";

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
};

std::string Rect(const Box& box, const std::string& kind) {
  return "<rect class=\"" + kind + "\" x=\"" + std::to_string(box.x) + "\" y=\"" +
         std::to_string(box.y) + "\" width=\"" + std::to_string(std::max(box.width, 1)) +
         "\" height=\"" + std::to_string(std::max(box.height, 1)) + "\"/>";
}

// Draws one window: each picture shows the controls of one page of its SHEETs.
class WindowDrawing {
 public:
  WindowDrawing(const Window& window, const WindowFit& fit, const CodePage& codePage)
      : window_(window), fit_(fit), codePage_(codePage) {
    for (const ShownText& shown : fit.texts) {
      if (shown.control) shown_[*shown.control] = &shown;
    }
    Place();
  }

  std::string Pictures() const {
    std::string pictures;
    std::vector<std::optional<std::size_t>> pages = Pages();
    for (const std::optional<std::size_t>& page : pages) {
      pictures += "<figure>";
      if (page) {
        std::string name;
        for (const std::u32string& line : DrawnLines(Text(*page), codePage_)) {
          for (char32_t c : line) AppendUtf8(name, c);
        }
        pictures += "<figcaption>" + Escaped("Page " + name) + "</figcaption>";
      }
      pictures += Picture(page) + "</figure>\n";
    }
    return pictures;
  }

 private:
  int X(int units) const { return Pixels(units, fit_.unitX, 4); }
  int Y(int units) const { return Pixels(units, fit_.unitY, 8); }

  std::string Text(std::size_t control) const {
    auto found = shown_.find(control);
    return found == shown_.end() ? std::string() : found->second->Shown();
  }

  // A text as a person reads it, in UTF-8.
  std::string Readable(const std::string& content) const {
    return ToDisplayForm(codePage_.ToUtf8(DecodeNotation(content)));
  }

  // Where each control is drawn: at its position, or below the others beside the window where
  // the source gives none.
  void Place() {
    bool menubar = false;
    int toolbar = 0;
    for (const Control& control : window_.controls) {
      if (control.kind == "MENUBAR") menubar = true;
      if (control.kind == "TOOLBAR") toolbar = control.at.height ? Y(*control.at.height) : 28;
    }
    toolbarTop_ = kTitleBar + (menubar ? kMenuBar : 0);
    clientTop_ = toolbarTop_ + toolbar;
    int right = 0, bottom = 0;
    for (const Control& control : window_.controls) {
      right = std::max(right, X(control.at.x.value_or(0) + control.at.width.value_or(0)));
      bottom = std::max(bottom, Y(control.at.y.value_or(0) + control.at.height.value_or(0)));
    }
    width_ = window_.at.width ? X(*window_.at.width) : right + 8;
    height_ = window_.at.height ? Y(*window_.at.height) : bottom + 8;
    int besideY = clientTop_ + 22;
    boxes_.resize(window_.controls.size());
    unplaced_.resize(window_.controls.size());
    for (std::size_t i = 0; i < window_.controls.size(); ++i) {
      const Control& control = window_.controls[i];
      const std::string& kind = control.kind;
      // The menus of the menu bar are drawn in it; their items and submenus beside the window,
      // with the controls without a position.
      if (kind == "TAB" || kind == "MENUBAR" || InMenuBar(control) ||
          (kind == "ITEM" && !control.text)) {
        continue;
      }
      Box& box = boxes_[i];
      FontMetrics metrics(control.font);
      int textWidth = DrawnWidth(metrics, Text(i), codePage_);
      int lines = static_cast<int>(DrawnLines(Text(i), codePage_).size());
      bool inToolbar = control.parent && window_.controls[*control.parent].kind == "TOOLBAR";
      int top = inToolbar ? toolbarTop_ : clientTop_;
      box.width = control.at.width && *control.at.width > 0 ? X(*control.at.width)
                  : Text(i).empty()                         ? 40
                  : textWidth + (kind == "CHECK" || kind == "RADIO" ? 16
                                 : kind == "BUTTON"                ? 12
                                                                   : 0);
      box.height = control.at.height && *control.at.height > 0 ? Y(*control.at.height)
                   : kind == "BUTTON"                            ? Y(14)
                   : kind == "TOOLBAR"                           ? 28
                                        : std::max(lines * metrics.Height(), Y(10));
      if (kind == "TOOLBAR") {
        box = Box{1, toolbarTop_, width_, box.height};
      } else if (control.at.x && control.at.y) {
        box.x = 1 + X(*control.at.x);
        box.y = top + Y(*control.at.y);
        if (control.Has("FULL")) {
          box.width = std::max(width_ + 1 - box.x, 1);
          box.height = std::max(top + height_ - box.y, 1);
        }
      } else {
        unplaced_[i] = true;
        box.x = width_ + 24;
        box.y = besideY;
        besideY += box.height + 6;
        besideWidth_ = std::max({besideWidth_, box.width + 24, 220});  // and its heading
      }
    }
    pictureHeight_ = std::max(clientTop_ + height_, besideY) + 2;
  }

  bool InMenuBar(const Control& control) const {
    return control.kind == "MENU" && control.parent &&
           window_.controls[*control.parent].kind == "MENUBAR";
  }

  // The leaf TABs, each with every TAB around it shown; one page for a window without TABs.
  std::vector<std::optional<std::size_t>> Pages() const {
    std::vector<std::optional<std::size_t>> pages;
    for (std::size_t i = 0; i < window_.controls.size(); ++i) {
      if (window_.controls[i].kind != "TAB") continue;
      bool leaf = std::none_of(window_.controls.begin(), window_.controls.end(),
                               [&](const Control& other) {
                                 return other.kind == "TAB" && Encloses(i, other);
                               });
      if (leaf) pages.emplace_back(i);
    }
    if (pages.empty()) pages.emplace_back();
    return pages;
  }

  bool Encloses(std::size_t structure, const Control& control) const {
    for (std::optional<std::size_t> at = control.parent; at; at = window_.controls[*at].parent) {
      if (*at == structure) return true;
    }
    return false;
  }

  // Whether `control` shows on `page`: each TAB it stands in is the page or around it.
  bool Shows(std::size_t control, const std::optional<std::size_t>& page) const {
    const Control& shown = window_.controls[control];
    for (std::optional<std::size_t> at = shown.parent; at; at = window_.controls[*at].parent) {
      if (window_.controls[*at].kind != "TAB") continue;
      if (!page || (*at != *page && !Encloses(*at, window_.controls[*page]))) return false;
    }
    return true;
  }

  std::string Picture(const std::optional<std::size_t>& page) const {
    int width = width_ + 2 + (besideWidth_ > 0 ? besideWidth_ + 24 : 0);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      std::to_string(width) + "\" height=\"" + std::to_string(pictureHeight_) +
                      "\">";
    svg += Rect(Box{0, 0, width_ + 1, clientTop_ + height_ + 1}, "frame");
    svg += Rect(Box{0, 0, width_ + 1, kTitleBar}, "titlebar");
    if (window_.title) {
      const ShownText* title = nullptr;
      for (const ShownText& shown : fit_.texts) {
        if (!shown.control) title = &shown;
      }
      svg += Labelled(title, "", Box{0, 0, width_ + 1, kTitleBar}, TitleFont(), "", 8, false);
    }
    if (besideWidth_ > 0) {
      svg += "<text class=\"unplaced\" x=\"" + std::to_string(width_ + 24) + "\" y=\"" +
             std::to_string(clientTop_ + 14) + "\">Without a position in the source:</text>";
    }
    // The controls with a problem come last, so that nothing hides a text running past them.
    std::string marked;
    int menuX = 4;
    for (std::size_t i = 0; i < window_.controls.size(); ++i) {
      const Control& control = window_.controls[i];
      std::string drawn;
      if (control.kind == "MENUBAR") {
        drawn = Rect(Box{1, kTitleBar, width_, kMenuBar}, "strip");
      } else if (InMenuBar(control)) {
        int textWidth = DrawnWidth(FontMetrics(control.font), Text(i), codePage_);
        drawn = Drawn(i, Box{menuX, kTitleBar, textWidth + 12, kMenuBar}, "", 6);
        menuX += textWidth + 12;
      } else if (control.kind == "SHEET" && Shows(i, page)) {
        drawn = Sheet(i, page);
      } else if (boxes_[i].width > 0 && Shows(i, page)) {
        drawn = DrawControl(i);
      }
      auto shown = shown_.find(i);
      bool problem = shown != shown_.end() && (shown->second->fit == Fit::kTooLong ||
                                               shown->second->fit == Fit::kTooLongUntranslated);
      (problem ? marked : svg) += drawn;
    }
    return svg + marked + "</svg>";
  }

  std::string Sheet(std::size_t sheet, const std::optional<std::size_t>& page) const {
    const Box& box = boxes_[sheet];
    FontMetrics metrics(window_.controls[sheet].font);
    int header = metrics.Height() + 6;
    std::string drawn = Rect(Box{box.x, box.y + header, box.width, box.height - header}, "tab open");
    int x = box.x + 2;
    for (std::size_t i = 0; i < window_.controls.size(); ++i) {
      const Control& tab = window_.controls[i];
      if (tab.kind != "TAB" || tab.parent != sheet) continue;
      int width = DrawnWidth(metrics, Text(i), codePage_) + 12;
      bool open = page && (i == *page || Encloses(i, window_.controls[*page]));
      Box head{x, box.y + (open ? 0 : 2), width, header};
      drawn += Drawn(i, head, Rect(head, open ? "tab open" : "tab"), 6);
      x += width;
    }
    return drawn;
  }

  std::string DrawControl(std::size_t i) const {
    const Control& control = window_.controls[i];
    const std::string& kind = control.kind;
    Box box = boxes_[i];
    std::string drawn;
    int indent = 0;
    bool centred = false;
    if (kind == "BUTTON") {
      drawn = Rect(box, "button");
      centred = true;
    } else if (kind == "ENTRY" || kind == "TEXT" || kind == "COMBO" || kind == "SPIN" ||
               kind == "LIST" || kind == "PROGRESS") {
      drawn = Rect(box, "field");
    } else if (kind == "CHECK" || kind == "RADIO") {
      int size = 13, top = box.y + std::max(0, (box.height - size) / 2);
      drawn = kind == "CHECK" ? Rect(Box{box.x, top, size, size}, "field")
                              : "<circle class=\"field\" cx=\"" + std::to_string(box.x + 6) +
                                    "\" cy=\"" + std::to_string(top + 6) + "\" r=\"6\"/>";
      indent = 16;
    } else if (kind == "GROUP" || kind == "OPTION") {
      if (!control.Has("BOXED")) return {};
      drawn = Rect(box, "outline");
      box.height = FontMetrics(control.font).Height();
      box.y -= box.height / 2;
      indent = 8;
    } else if (kind == "LINE") {
      return "<line class=\"outline\" x1=\"" + std::to_string(box.x) + "\" y1=\"" +
             std::to_string(box.y) + "\" x2=\"" + std::to_string(box.x + box.width) +
             "\" y2=\"" + std::to_string(box.y + box.height) + "\"/>";
    } else if (kind == "TOOLBAR") {
      return Rect(box, "strip");
    } else if (kind != "PROMPT" && kind != "STRING" && kind != "REGION") {
      drawn = Rect(box, "outline");
    }
    if (!control.text && !unplaced_[i]) return drawn;
    if (control.Has("RIGHT") && (kind == "PROMPT" || kind == "STRING")) centred = false;
    return Drawn(i, box, drawn, indent, centred);
  }

  // A control with its text and the marks of its problems, with what pointing at it shows.
  std::string Drawn(std::size_t i, const Box& box, const std::string& shape, int indent,
                    bool centred = false) const {
    auto found = shown_.find(i);
    const ShownText* shown = found == shown_.end() ? nullptr : found->second;
    const Control& control = window_.controls[i];
    std::string hint = control.Name() + "\n" + window_.file + ":" + std::to_string(control.line);
    if (unplaced_[i] && control.kind != "ITEM") {
      hint += "\nno position in the source: drawn beside the window";
    }
    if (control.Has("HIDE")) hint += "\nhidden (HIDE) until the program shows it";
    return Labelled(shown, hint, box, control.font, shape, indent, centred, control.angle);
  }

  std::string Labelled(const ShownText* shown, std::string hint, const Box& box, const Font& font,
                       const std::string& shape, int indent, bool centred, int angle = 0) const {
    std::string kind = "fine";
    if (shown != nullptr) {
      if (shown->fit == Fit::kTooLong || shown->fit == Fit::kTooLongUntranslated) {
        kind = "misfit";
      } else if (shown->untranslated) {
        kind = "untranslated";
      }
      if (hint.empty()) hint = window_.Name() + " title\n" + window_.file + ":" +
                               std::to_string(window_.line);
      hint += "\ntext: " + Readable(shown->text);
      hint += "\ntranslation: " + (shown->translation.empty() ? std::string("none")
                                                              : Readable(shown->translation));
      if (kind == "misfit") {
        hint += std::string(shown->fit == Fit::kTooLongUntranslated
                                ? "\ndoes not fit even untranslated"
                                : "\ndoes not fit") +
                (shown->limit.empty() ? "" : ": " + shown->limit) + "; needs " +
                std::to_string(shown->needs) + " dialog units, has " +
                std::to_string(shown->room);
      }
      if (!shown->estimate.empty()) hint += " (" + shown->estimate + ")";
    }
    std::string drawn = "<g class=\"" + kind + "\"";
    if (shown != nullptr) {
      drawn += " data-text=\"" + std::to_string(shown - fit_.texts.data()) + "\"";
    }
    drawn += "><title>" + Escaped(hint) + "</title>";
    if (kind != "fine") drawn += Rect(box, "mark");
    drawn += shape;
    if (shown != nullptr && (angle == 900 || angle == 2700)) {
      // Turned a quarter about the box's centre, in a box as wide as this one is high.
      int cx = box.x + box.width / 2, cy = box.y + box.height / 2;
      Box turned{cx - box.height / 2, cy - box.width / 2, box.height, box.width};
      drawn += "<g transform=\"rotate(" + std::string(angle == 900 ? "-90 " : "90 ") +
               std::to_string(cx) + " " + std::to_string(cy) + ")\">" +
               TextLines(*shown, turned, font, indent, centred) + "</g>";
    } else if (shown != nullptr) {
      drawn += TextLines(*shown, box, font, indent, centred);
    }
    return drawn + "</g>";
  }

  // The text's lines, each stretched or squeezed to the width it is measured at, so that the
  // drawing shows what the measure says whatever fonts the browser has.
  std::string TextLines(const ShownText& shown, const Box& box, const Font& font, int indent,
                        bool centred) const {
    FontMetrics metrics(font);
    std::vector<std::u32string> lines = DrawnLines(shown.Shown(), codePage_);
    int lineHeight = metrics.Height();
    int pixels = (font.points * 96 + 36) / 72;
    int top = box.y + std::max(0, (box.height - lineHeight * static_cast<int>(lines.size())) / 2);
    std::string drawn = "<text font-family=\"" + Escaped("'" + font.typeface + "', sans-serif") +
                        "\" font-size=\"" + std::to_string(pixels) + "px\"" +
                        (font.bold ? " font-weight=\"bold\"" : "") + ">";
    for (std::size_t n = 0; n < lines.size(); ++n) {
      int width = metrics.Width(lines[n]);
      if (width == 0) continue;
      int x = centred ? box.x + std::max(indent, (box.width - width) / 2) : box.x + indent;
      std::string utf8;
      for (char32_t c : lines[n]) AppendUtf8(utf8, c);
      drawn += "<tspan x=\"" + std::to_string(x) + "\" y=\"" +
               std::to_string(top + static_cast<int>(n) * lineHeight + lineHeight * 4 / 5) +
               "\" textLength=\"" + std::to_string(width) +
               "\" lengthAdjust=\"spacingAndGlyphs\">" + Escaped(utf8) + "</tspan>";
    }
    return drawn + "</text>";
  }

  static constexpr int kTitleBar = 24;
  static constexpr int kMenuBar = 20;

  const Window& window_;
  const WindowFit& fit_;
  const CodePage& codePage_;
  std::map<std::size_t, const ShownText*> shown_;  // by control
  std::vector<Box> boxes_;
  std::vector<bool> unplaced_;
  int width_ = 0, height_ = 0;  // of the client area
  int toolbarTop_ = 0, clientTop_ = 0, pictureHeight_ = 0, besideWidth_ = 0;
};

std::string Problems(std::size_t misfits, std::size_t untranslated) {
  return (misfits == 0 ? std::string("every text fits") : MisfitCount(misfits)) + ", " +
         (untranslated == 0 ? std::string("all translated")
                            : std::to_string(untranslated) + " untranslated");
}

}  // namespace

std::string MisfitCount(std::size_t count) {
  return Counted(count, "text") + (count == 1 ? " does not fit" : " do not fit");
}

std::string WindowsPage(const std::string& title, const std::vector<Window>& windows,
                        const std::vector<WindowFit>& fits, const CodePage& codePage) {
  std::size_t misfits = 0, untranslated = 0;
  for (const WindowFit& fit : fits) {
    misfits += fit.misfits;
    untranslated += fit.untranslated;
  }
  std::string heading = title + ": " + Counted(windows.size(), "window");
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n<title>" +
      Escaped(heading) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body data-windows=\"" +
      std::to_string(windows.size()) + "\" data-misfits=\"" + std::to_string(misfits) +
      "\" data-untranslated=\"" + std::to_string(untranslated) + "\">\n<h1>" + Escaped(heading) +
      "</h1>\n<p id=\"summary\">" + Escaped(Problems(misfits, untranslated)) +
      ". Drawn at 96 dots per inch; point at a control for its text, translation and place.</p>\n"
      "<p class=\"legend\"><span class=\"misfit\">does not fit</span><span "
      "class=\"untranslated\">untranslated</span></p>\n<p><label><input type=\"checkbox\" "
      "id=\"only-problems\"> Show only the windows with problems</label></p>\n"
      "<table>\n<tr><th>Window</th><th>File</th><th>Problems</th></tr>\n";
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const Window& window = windows[i];
    std::string name = window.procedure.empty() ? window.label
                                                : window.procedure + ", " + window.label;
    bool problem = fits[i].misfits + fits[i].untranslated > 0;
    page += "<tr class=\"" + std::string(problem ? "problem" : "fine") + "\"><td><a href=\"#w" +
            std::to_string(i + 1) + "\">" + Escaped(name) + "</a></td><td>" +
            Escaped(window.file + ":" + std::to_string(window.line)) + "</td><td>" +
            Problems(fits[i].misfits, fits[i].untranslated) + "</td></tr>\n";
  }
  page += "</table>\n";
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const Window& window = windows[i];
    bool problem = fits[i].misfits + fits[i].untranslated > 0;
    page += "<section id=\"w" + std::to_string(i + 1) + "\" class=\"" +
            (problem ? "problem" : "fine") + "\" data-misfits=\"" +
            std::to_string(fits[i].misfits) + "\" data-untranslated=\"" +
            std::to_string(fits[i].untranslated) + "\">\n<h2>" +
            Escaped(window.Name() + (window.procedure.empty() ? "" : " in " + window.procedure)) +
            "</h2>\n<p>" + Escaped(window.file + ":" + std::to_string(window.line)) + ": " +
            Problems(fits[i].misfits, fits[i].untranslated) + ".</p>\n" +
            WindowDrawing(window, fits[i], codePage).Pictures() + "</section>\n";
  }
  return page + "<script>" + kScript + "</script>\n</body>\n</html>\n";
}
