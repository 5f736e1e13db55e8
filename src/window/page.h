// The page that shows a translator or a developer the windows of an application with a base's
// translations in place: one self-contained HTML file (inline CSS, SVG and script, nothing
// fetched) that draws every window to scale at 96 dots per inch, one picture for each page of
// its SHEETs, marks the texts that do not fit and the untranslated ones, and lists the windows
// with their problems in words at the top.
#pragma once

#include <string>
#include <vector>

#include "translation/code_page.h"
#include "window/fit.h"
#include "window/window.h"

// The page, in UTF-8; `fits` holds FitWindow's result for each of `windows`. `title` names what
// is shown (the CRT file).
std::string WindowsPage(const std::string& title, const std::vector<Window>& windows,
                        const std::vector<WindowFit>& fits, const CodePage& codePage);

// "2 texts do not fit", "1 text does not fit".
std::string MisfitCount(std::size_t count);
