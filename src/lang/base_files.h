// Reading and writing the files that belong to one base name, which are named as quotex names
// its outputs (OutputFileName), and telling the user about them.
#pragma once

#include <string>
#include <string_view>

#include "scan/text_file.h"
#include "translation/crt_reader.h"

// The bytes of a file; false when there is no such file. Raises LangError when the file exists
// but cannot be read to its end.
bool ReadFileIfPresent(const std::string& name, std::string& bytes);
// The bytes of a file that must exist; raises LangError otherwise.
std::string ReadExistingFile(const std::string& name);

// Reads a file in the CRT layout (a CRT or OBS file) for a command that rewrites it: prints
// each line that keeps it from being read as the group's lines and raises LangError after them.
// A missing file reads as one without pairs.
CrtDocument ReadTranslatedFile(const std::string& name);
// The same for a CRT file that must exist.
CrtDocument ReadRequiredTranslatedFile(const std::string& name);

// Prints a diagnostic about a line of `file` on standard error.
void PrintDiagnostic(std::string_view file, const Diagnostic& diagnostic);

// Prints the one line a command prints on success, on standard output.
void PrintSummary(const std::string& line);

// When the file was last written, in UTC, as a PO header gives a date: "2026-12-07 08:39+0000".
std::string ModificationTime(const std::string& name);

// Why the last file operation failed, in the system's words.
std::string LastErrorText();

// Opens `file` to write `sibling`, the name `finalName` is written under; closes it, making
// sure everything reached the file. Both raise LangError naming `finalName`.
void OpenOutput(TextFile& file, const std::string& sibling, const std::string& finalName);
void CloseOutput(TextFile& file, const std::string& finalName);

// The base name's file part, upper-cased: the name of the project its texts belong to.
std::string ProjectName(std::string_view base);
