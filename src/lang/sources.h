// The sources of a base's texts, scanned as quotex scans them: for update, the texts found now;
// for export, where each of them is used and what it is there.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lang/base_files.h"
#include "lang/notes.h"
#include "translation/po_file.h"

// Scans every entry the mask matches as quotex does, into the catalogue, but with wrapped texts
// read as the compiler joins them (scan/wrapped_text.h), passing over quotex-lang's own files
// (the base's files and any file of a commit) and every file of translations (the CRT, BAS, LST,
// OBS and PO files of any language): quotex empties its outputs before it scans, so they hold
// nothing to find, and the obsolete texts, the PO file's and another language's must not come
// back as found ones. Returns how many entries it passed over. Raises LangError when nothing
// matches the mask or a source cannot be read to its end (naming each such source on standard
// error). `scanned`, if given, gets the name to open each entry scanned under, in scan order.
std::size_t ScanSources(const std::string& mask, const BaseFiles& files,
                        std::vector<std::string>* scanned = nullptr);

// ", 3 translation files left out" for a scan that left out that many, or nothing for none.
std::string LeftOutOfScan(std::size_t leftOut);

// The files the mask matches that ScanSources would scan, in its order, by the names to open
// them under: the regular files that are neither quotex-lang's own nor files of translations.
// Raises LangError when nothing matches the mask.
std::vector<std::string> SourceFiles(const std::string& mask, const BaseFiles& files);

// Where a text is used in the sources and what it is there.
struct TextUses {
  std::span<const PoReference> references;  // in scan order, each once (in SourceUses::places)
  TextUse use;                              // what it is at its first place (DescribeUse)
};

// Hashes a text however it is held, so that a map keyed by strings is searched with a view.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>()(text);
  }
};

struct SourceUses {
  std::vector<std::string> files;  // the sources scanned, as the search found them
  // The texts found, as the CRT file holds them, numbered in the order they first come.
  std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> numbers;
  std::vector<TextUses> texts;      // by their number
  std::vector<PoReference> places;  // every text's references, one after the other
  std::size_t leftOut = 0;          // entries the scan passed over (see ScanSources)
};

// Raised by ScanSourceUses when it was told to stop.
struct ScanStopped {};

// Scans the sources as ScanSources does, and tells for each text where the scan accepts it;
// the catalogue is left as it is. Raises ScanStopped when `stop` is set as a file is about to be
// scanned.
SourceUses ScanSourceUses(const std::string& mask, const BaseFiles& files,
                          const std::atomic<bool>* stop = nullptr);
