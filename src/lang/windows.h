// What the texts of a base look like in the windows of the sources, for `check --sources`.
#pragma once

#include <string>

#include "lang/base_files.h"
#include "translation/code_page.h"
#include "translation/crt_reader.h"

// Measures the translations of `crt` in the windows of the sources the mask names and prints a
// warning for each text that does not fit; returns what the summary line adds:
// ", 3 windows, 2 texts do not fit". Raises LangError when a source cannot be read.
std::string CheckWindows(const std::string& mask, const BaseFiles& files, const CrtDocument& crt,
                         const CodePage& codePage);
