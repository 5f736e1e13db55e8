// The commands of quotex-lang. Each returns the exit status: 0 done, 1 errors found or the
// command failed (then nothing was changed on disk). Problems with a file as a whole are raised
// as LangError; diagnostics about lines of a file are printed by the commands themselves.
#pragma once

#include <string>
#include <vector>

struct UpdateRequest {
  std::string mask;
  std::string base;
  bool messagesOnly = false;
};
int RunUpdate(const UpdateRequest& request);

// The code page assumed when none is given or recorded.
inline constexpr char kDefaultCharset[] = "cp1252";

struct CheckRequest {
  std::string base;
  std::string charset = kDefaultCharset;
  std::string sources;  // the mask of the sources whose windows to measure the texts in; empty: none
};
int RunCheck(const CheckRequest& request);

struct ExportRequest {
  std::string base;
  std::string output;  // empty: BASE.po
  std::string charset = kDefaultCharset;
  std::string language;   // empty: none
  std::string generator;  // the program and its version, for the header
  std::string sources;    // the mask of the sources to tell where each text is used; empty: none
  bool messagesOnly = false;
  bool suggestions = true;             // offer translations of similar texts, marked fuzzy
  std::vector<std::string> compendia;  // other bases whose translations are offered too
};
int RunExport(const ExportRequest& request);

struct ImportRequest {
  std::string poFile;
  std::string base;
  std::string charset;  // empty: the one the PO file records, else kDefaultCharset
  bool includeFuzzy = false;
  bool takeUnmatched = false;  // even when most translations match no text
};
int RunImport(const ImportRequest& request);

struct PreviewRequest {
  std::string base;
  std::string sources;  // the mask of the sources whose windows are drawn
  std::string output;   // empty: BASE.html
  std::string charset = kDefaultCharset;
};
int RunPreview(const PreviewRequest& request);

// The average lengthening of a pseudo-translation, in per cent.
inline constexpr int kDefaultExpansion = 40;

struct PseudoRequest {
  std::string base;
  std::string pseudo;  // the base name of the files written
  int expandPercent = kDefaultExpansion;
  std::string charset = kDefaultCharset;
  std::string sources;  // the mask of the sources that tell what is program matter; empty: none
  bool messagesOnly = false;
};
int RunPseudo(const PseudoRequest& request);
