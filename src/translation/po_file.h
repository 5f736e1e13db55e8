// gettext PO files, the format translators' editors and platforms trade: a reader for all the
// format allows as those tools write it, and a writer of plain, deterministic UTF-8 files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "translation/diagnostic.h"

// A place where an entry's text is used: a line of a file, the file given by its number in the
// list of files that the header's references name.
struct PoReference {
  std::uint32_t file;
  std::uint32_t line;
  friend bool operator==(const PoReference&, const PoReference&) = default;
};

struct PoEntry {
  std::size_t line = 0;  // of its msgid
  std::optional<std::string> context;
  std::string id;
  std::string translation;  // msgstr; msgstr[0] of a plural entry
  bool fuzzy = false;
  bool plural = false;
  std::string pluralId;                         // msgid_plural
  std::vector<std::string> pluralTranslations;  // msgstr[0], msgstr[1], ...
  std::size_t translationLine = 0;              // of its msgstr (or msgstr[0])
  // Written, not read: what a translator is shown beside the entry.
  std::vector<std::string> comments;  // "#." lines: what the text is
  // "#:" FILE:LINE, where it is used: a view of places that its maker keeps until the file is
  // written (a large source tree has millions of them).
  std::span<const PoReference> references;
  std::optional<std::string> previousId;  // "#| msgid": the text a fuzzy translation was for
};

struct PoDocument {
  std::vector<PoEntry> entries;  // in file order; neither the header nor obsolete entries
  std::vector<Diagnostic> problems;
  std::string header;  // the header entry's msgstr: "Name: value" lines; empty without one
};

// Accepts comments of every kind, flags, msgctxt, strings continued over several lines, every
// escape of the format (octal and \x included), obsolete #~ entries (passed over), plural
// entries, entries in any order, a UTF-8 byte order mark and CR LF line ends. Reports with its
// line, and never guesses at: an unterminated string, an unknown keyword, a bad escape, a NUL,
// invalid UTF-8, an entry without msgid or msgstr, a (msgctxt, msgid) given twice, a header
// charset other than UTF-8 (or the template's CHARSET, or ASCII).
PoDocument ReadPo(std::string_view bytes);

// The value of a header field, blanks around it taken off; the name is matched in any letter
// case. None when the header has no such field.
std::optional<std::string> PoHeaderField(std::string_view header, std::string_view name);

// The header field that records the code page of the CRT file a PO file was exported from.
constexpr std::string_view kCodePageField = "X-Quotex-Code-Page";

struct PoHeader {
  std::string projectName;  // Project-Id-Version
  std::string
      creationDate;  // POT-Creation-Date, when the texts were extracted; left out when empty
  std::string revisionDate;  // PO-Revision-Date, e.g. "2024-05-01 12:00+0000"
  std::optional<std::string> language;
  std::string generator;  // X-Generator; left out when empty
  std::string codePage;   // the kCodePageField, last; left out when empty
  // Not a field: the files the entries' references name, by number, in UTF-8. A name holding a
  // blank is written between U+2068 and U+2069, as gettext writes it.
  std::vector<std::string> referenceFiles;
};

// A UTF-8 PO file with LF line ends: the header entry, then one entry per element, separated by
// blank lines; an entry's comments, references, flag and previous msgid come first, in that
// order, as gettext's tools write them. Every string given, comments and header values included,
// must be UTF-8. Strings are escaped as gettext does; a string with a line feed before its end is
// written one line per piece. The same input gives the same bytes. Header values are one line
// each: a control character in them becomes a blank.
std::string WritePo(const PoHeader& header, const std::vector<PoEntry>& entries);
// The same, handed to `write` piece by piece, so that a large file is never held whole.
void WritePo(const PoHeader& header, const std::vector<PoEntry>& entries,
             const std::function<void(std::string_view)>& write);
