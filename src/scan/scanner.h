// The line filter and literal extraction: decides, line by line and literal by literal, which
// single-quoted literals of a source file are texts meant for people, and hands them to AddText.
#pragma once

#include <cstddef>

// Scans one source file. Anything but a regular file (a directory, a pipe, a device) yields
// nothing. False when the file could not be opened or read to its end; the lines read before a
// read error are scanned.
bool ScanFile(const char* fileName);

// Scans one logical line (NUL-terminated) as ScanFile does.
void ScanLine(const char* line);

// Takes the literal whose opening quote is at line[quote] and offers its text or texts to
// AddText. Returns the position just after its closing quote, or the end of the line when the
// literal is not closed there.
std::size_t ExtractLiteral(const char* line, std::size_t quote);
