// `export`: the texts and translations of a CRT file as a PO file, with what translators get
// from every peer tool besides: where each text is used and what it is there, and the
// translation of the most similar text for each text without one.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/settings.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/notes.h"
#include "lang/progress.h"
#include "lang/sources.h"
#include "lang/suggestions.h"
#include "platform/lang_platform.h"
#include "translation/diagnostic.h"
#include "translation/notation.h"
#include "translation/po_exchange.h"
#include "translation/po_file.h"

namespace {

// Writes `bytes` piece by piece to the new file `staged` of `name`.
void WriteStaged(const std::string& staged, const std::string& name,
                 const std::function<void(const std::function<void(std::string_view)>&)>& bytes) {
  std::FILE* file = std::fopen(staged.c_str(), "wb");
  if (file == nullptr) throw LangError(name, "cannot write: " + LastSystemError());
  bool written = true;
  bytes([&](std::string_view piece) {
    written = written && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
  });
  written = std::fclose(file) == 0 && written;
  if (!written) throw LangError(name, "cannot write: " + LastSystemError());
}

// Writes the PO file as the whole of `name`, replacing it only once it is completely written;
// with a `backup` name, the old file takes that name in the same step, replacing an older one.
void ReplacePoFile(const std::string& name, const PoHeader& header,
                   const std::vector<PoEntry>& entries, const std::string& backup) {
  FileSet set(PoJournal(name), name);
  if (!backup.empty()) {
    std::string old;
    if (!ReadFileIfPresent(name, old)) throw LangError(name, "cannot read: it is gone");
    WriteStaged(set.Stage(backup), backup, [&](const auto& write) { write(old); });
  }
  WriteStaged(set.Stage(name), name, [&](const auto& write) { WritePo(header, entries, write); });
  ReportLeftovers(set.Commit());
}

// The PO file `name` without the lines that only inform translators (#. comments, #: references,
// #| previous strings): an export with references writes tens of megabytes of them. A bare "#"
// stands for each run of them, so that the entries keep their bounds. False when there is no
// such file.
bool ReadPoWithoutNotes(const std::string& name, std::string& bytes) {
  std::string whole;
  if (!ReadFileIfPresent(name, whole)) return false;
  bytes.clear();
  bool inNotes = false;
  for (std::size_t start = 0, end; start < whole.size(); start = end) {
    end = std::min(whole.find('\n', start), whole.size() - 1) + 1;
    std::string_view line(whole.data() + start, end - start);
    bool note = line.starts_with("#.") || line.starts_with("#:") || line.starts_with("#|");
    if (!note) {
      bytes += line;
    } else if (!inNotes) {
      bytes += "#\n";
    }
    inNotes = note;
  }
  return true;
}

// The entries of the PO file `poName` that export would write over; none when there is none.
std::optional<PoDocument> ReadPoToReplace(const std::string& poName) {
  std::string bytes;
  if (!ReadPoWithoutNotes(poName, bytes) || bytes.empty()) return std::nullopt;
  PoDocument old = ReadPo(bytes);
  if (HasErrors(old.problems)) {
    throw LangError(poName,
                    "is there and is not a PO file that can be read; nothing was changed "
                    "(remove it, or name another file with -o)");
  }
  return old;
}

// The translations a translator may have made in the PO file export wrote last, and not
// imported yet, that the new file does not hold: those of entries not marked fuzzy that the new
// file has not for their text, or has not as a translation that is not fuzzy and stands for the
// same characters. A fuzzy entry is export's own suggestion, which it offers again or not. An
// entry whose text update set aside since, with its translation, is no loss either: `kept` holds
// the entries of the OBS file.
struct LostTranslations {
  std::size_t count = 0;
  const PoEntry* first = nullptr;
};

LostTranslations FindLostTranslations(const PoDocument& old, const std::vector<PoEntry>& entries,
                                      const std::vector<PoEntry>& kept) {
  // Texts and translations compared as written first, then by what they stand for: earlier
  // exports showed some characters otherwise. Two texts that read the same (<13,10> and
  // <0Dh,0Ah>) are two entries, each with a translation of its own.
  auto written = [](const PoEntry& entry) {
    return entry.context.value_or("") + '\x04' + entry.id + '\x04' + entry.translation;
  };
  auto meant = [](const PoEntry& entry) {
    return entry.context.value_or("") + '\x04' + ToDisplayForm(FromDisplayForm(entry.id)) + '\x04' +
           FromDisplayForm(entry.translation);
  };
  auto heldAs = [&](auto form) {
    std::unordered_set<std::string> held;
    for (const std::vector<PoEntry>* document : {&entries, &kept}) {
      for (const PoEntry& entry : *document) {
        if (!entry.fuzzy) held.insert(form(entry));
      }
    }
    return held;
  };
  // The sets are made where they are needed: mostly each entry stands where it stood.
  std::optional<std::unordered_set<std::string>> heldAsWritten, heldAsMeant;
  LostTranslations lost;
  for (std::size_t i = 0; i < old.entries.size(); ++i) {
    const PoEntry& entry = old.entries[i];
    if (entry.translation.empty() || entry.fuzzy) continue;
    if (i < entries.size() && !entries[i].fuzzy && entries[i].context == entry.context &&
        entries[i].id == entry.id && entries[i].translation == entry.translation) {
      continue;
    }
    if (!heldAsWritten) heldAsWritten = heldAs(written);
    if (heldAsWritten->contains(written(entry))) continue;
    if (!heldAsMeant) heldAsMeant = heldAs(meant);
    if (heldAsMeant->contains(meant(entry))) continue;
    if (++lost.count == 1) lost.first = &entry;
  }
  return lost;
}

// Warns when texts or translations read in the code page mix Latin letters with Cyrillic or
// Greek ones inside a word: --charset likely names another code page than the sources'.
void WarnOfMixedScripts(const CrtDocument& crt, const CodePage& codePage, const std::string& name) {
  std::vector<std::string_view> mixed;  // the texts and translations that mix them
  std::size_t line = 0;
  for (const CrtPair& pair : crt.pairs) {
    for (const std::string* content : {&pair.text, &pair.translation}) {
      if (!codePage.MixesScriptsInAWord(*content)) continue;
      if (mixed.empty()) line = content == &pair.text ? pair.textLine : pair.translationLine;
      mixed.push_back(*content);
    }
  }
  if (mixed.empty()) return;
  // Every text reads without mixing in cp1252, which has Latin letters only, and most
  // applications written in Latin letters are written in it.
  PrintDiagnostic(
      name, {line, Severity::kWarning,
             Counted(mixed.size(), "text") +
                 " of the file mix Latin letters with Cyrillic or Greek ones inside "
                 "a word in " +
                 std::string(codePage.Name()) + ", as " + Quoted(codePage.ToUtf8(mixed.front())) +
                 " does: the file is likely in cp1252 (--charset cp1252) or another "
                 "code page of Latin letters"});
}

// Whether the sources use a text as program matter.
bool UsedAsProgramMatter(const std::string& text, const SourceUses& uses) {
  auto found = uses.numbers.find(text);
  return found != uses.numbers.end() && !uses.texts[found->second].use.note.empty();
}

// Whether a text looks like program matter, or the sources use it as such.
bool IsProgramMatter(const std::string& text, const SourceUses& uses) {
  return !ProgramMatterNote(text).empty() || UsedAsProgramMatter(text, uses);
}

// Tells each entry where its text is used and what it is there, or that the sources no longer
// use it; and notes a text that looks like program matter, or is used as such.
void AddUses(ExportedEntries& exported, const CrtDocument& crt, const SourceUses& uses,
             const CodePage& codePage) {
  for (std::size_t i = 0; i < exported.entries.size(); ++i) {
    PoEntry& entry = exported.entries[i];
    const std::string& text = crt.pairs[exported.firstPairs[i]].text;
    std::string note = ProgramMatterNote(text);
    auto found = uses.numbers.find(text);  // a text listed twice is one entry
    if (found == uses.numbers.end()) {
      entry.comments.push_back("not found in the sources");
    } else {
      const TextUses& each = uses.texts[found->second];
      if (!each.use.described.empty()) {
        entry.comments.push_back(codePage.ToUtf8(each.use.described));
      }
      if (note.empty()) note = each.use.note;
      entry.references = each.references;
    }
    if (!note.empty()) entry.comments.push_back(note);
  }
}

// A translated text that may be offered for a similar one.
struct Offer {
  std::string characters;  // what the text stands for, compared with the others
  const CrtPair* pair;
  std::string origin;  // the file of another application it comes from; empty for the base's own
};

// The translated pairs of a file, in its order, but for those that look like program matter: a
// translation made for a name or a file name is no translation of a text, and one made for a text
// does not fit a name. Those the sources use as program matter are left out later (Exclude).
void AddOffers(const CrtDocument& document, const std::string& origin, std::vector<Offer>& offers) {
  for (const CrtPair& pair : document.pairs) {
    if (pair.translation.empty() || !ProgramMatterNote(pair.text).empty()) continue;
    offers.push_back(Offer{DecodeNotation(pair.text), &pair, origin});
  }
}

// What suggestions are made of: the translated texts of the base's OBS file first, then of its
// CRT file, then of the other applications, each in its file's order, indexed; and the base's
// own translations, for the texts made of pieces. Made while the sources are scanned: it needs
// nothing of the scan (the texts the sources use as program matter are left out afterwards).
struct SuggestionSources {
  std::vector<CrtDocument> documents;
  std::vector<Offer> offers;
  std::optional<PieceTranslations> pieces;
  std::optional<Suggester> suggester;
};

// `quietly` (on the side of the scan), a file that cannot be read or taken raises without a word.
void PrepareSuggestions(const ExportedEntries& exported, const CrtDocument& crt,
                        const BaseFiles& files, const std::vector<std::string>& compendia,
                        bool quietly, SuggestionSources& sources) {
  sources.documents.reserve(1 + 2 * compendia.size());  // the offers point into them
  auto read = [&](const std::string& name, bool required) -> const CrtDocument& {
    return sources.documents.emplace_back(ReadTranslatedFile(name, required, quietly));
  };
  AddOffers(read(files.obs, false), {}, sources.offers);
  AddOffers(crt, {}, sources.offers);
  for (const std::string& compendium : compendia) {
    const BaseFiles other(compendium);
    AddOffers(read(other.crt, true), other.crt, sources.offers);
    AddOffers(read(other.obs, false), other.obs, sources.offers);
  }
  std::vector<SuggestionCandidate> candidates;
  candidates.reserve(sources.offers.size());
  for (std::size_t i = 0; i < sources.offers.size(); ++i) {
    candidates.push_back({sources.offers[i].characters, i});
  }
  // The pieces are the base's own translated texts, its OBS file's first, program matter among
  // them: a piece is judged by the text it makes, which is no program matter or it would want no
  // suggestion ('ST:Resize' of 'Resizable Column PROPLI' & | 'ST:Resize' is a tip's).
  std::vector<PieceTranslations::Piece> ownPieces;
  for (const CrtDocument* own :
       {static_cast<const CrtDocument*>(&sources.documents.front()), &crt}) {
    for (const CrtPair& pair : own->pairs) ownPieces.push_back({pair.text, pair.translation});
  }
  sources.pieces.emplace(ownPieces);
  std::size_t queries = 0;  // the entries that may want a suggestion, for the bound of the work
  for (std::size_t i = 0; i < exported.entries.size(); ++i) {
    const std::string& text = crt.pairs[exported.firstPairs[i]].text;
    queries += exported.entries[i].translation.empty() && !text.empty();
  }
  sources.suggester.emplace(candidates, queries);
}

// Offers each entry without a translation the translation of the most similar translated text,
// marked fuzzy with the text it was made for, as msgmerge does; ties go to the first offer. A
// text that the base holds translated in pieces (a wrapped text, which scans before this version
// collected in pieces) is offered their translations joined instead. Returns how many entries
// got one.
std::size_t AddSuggestions(ExportedEntries& exported, const CrtDocument& crt,
                           SuggestionSources& sources, const SourceUses& uses,
                           const CodePage& codePage) {
  std::vector<bool> excluded(sources.offers.size());
  for (std::size_t i = 0; i < sources.offers.size(); ++i) {
    excluded[i] = UsedAsProgramMatter(sources.offers[i].pair->text, uses);  // none looks it
  }
  sources.suggester->Exclude(excluded);
  std::vector<std::size_t> wanting;  // the entries to find a suggestion for
  for (std::size_t i = 0; i < exported.entries.size(); ++i) {
    const std::string& text = crt.pairs[exported.firstPairs[i]].text;
    if (exported.entries[i].translation.empty() && !text.empty() && !IsProgramMatter(text, uses)) {
      wanting.push_back(i);
    }
  }

  std::size_t suggested = 0;
  StepProgress progress("Suggesting", wanting.size(), "texts");
  for (std::size_t done = 0; done < wanting.size(); ++done) {
    progress.Done(done);
    std::size_t i = wanting[done];
    PoEntry& entry = exported.entries[i];
    const std::string& text = crt.pairs[exported.firstPairs[i]].text;
    if (std::optional<std::string> joined = sources.pieces->Join(text)) {
      entry.translation = PoDisplay(*joined, codePage);
      entry.fuzzy = true;
      entry.comments.push_back("suggested: the translations of the texts it is made of, joined");
      ++suggested;
      continue;
    }
    std::optional<Suggestion> suggestion = sources.suggester->Find(DecodeNotation(text));
    if (!suggestion) continue;
    const Offer& offer = sources.offers[suggestion->payload];
    entry.translation = PoDisplay(offer.pair->translation, codePage);
    entry.fuzzy = true;
    std::string previous = PoDisplay(offer.pair->text, codePage);
    if (previous != entry.id) entry.previousId = std::move(previous);
    if (!offer.origin.empty()) {
      entry.comments.push_back("suggested by " + PoName(offer.origin, codePage));
    }
    ++suggested;
  }
  return suggested;
}

}  // namespace

int RunExport(const ExportRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles files(request.base);
  const BaseLock lock(files, request.output);
  std::string poName = request.output.empty() ? files.po : request.output;

  // What export reads of the base, in this order: the CRT file, its entries (a broken CRT file
  // stops here), the PO file already there, and what suggestions are made of. With --sources this
  // is done on the side while the sources are scanned, which takes the longest: on real
  // applications filled up to 12.7 MB, translated but for one text in twenty, that takes 12%
  // off the command's time, and indexing the suggestions there another 14%. The scan stops at its
  // next file once the CRT file is found broken, and the problems are told as if it had been read
  // first.
  CrtDocument crt;
  ExportedEntries exported;
  std::optional<PoDocument> replaced;  // the PO file already there
  std::exception_ptr crtError;         // the CRT file could not be read
  std::exception_ptr poError;          // nor the PO file already there
  // What suggestions are made of; none when a file of them cannot be taken, which is then told
  // in its place, after the scan.
  std::optional<SuggestionSources> suggestions;
  std::atomic<bool> broken = false;
  auto readBase = [&] {
    try {
      crt = ReadTranslatedFile(files.crt, true);
      exported = ExportEntries(crt, codePage);
    } catch (...) {
      crtError = std::current_exception();
      broken = true;
      return;
    }
    if (HasErrors(exported.diagnostics)) {
      broken = true;
      return;
    }
    try {
      replaced = ReadPoToReplace(poName);
    } catch (...) {
      poError = std::current_exception();
    }
    if (!request.suggestions) return;
    try {
      PrepareSuggestions(exported, crt, files, request.compendia, true, suggestions.emplace());
    } catch (...) {
      suggestions.reset();
    }
  };

  PoHeader header;
  SourceUses uses;  // the entries' references point into it until the file is written
  std::exception_ptr scanError;
  if (request.sources.empty()) {
    readBase();
  } else {
    Settings.messagesOnly = request.messagesOnly;
    header.creationDate = CurrentTime();
    BackgroundWork reading(readBase);
    try {
      uses = ScanSourceUses(request.sources, files, &broken);
    } catch (const ScanStopped&) {
    } catch (...) {
      scanError = std::current_exception();
    }
    reading.Wait();
  }
  if (crtError) std::rethrow_exception(crtError);
  if (Report(files.crt, exported.diagnostics)) return 1;
  WarnOfMixedScripts(crt, codePage, files.crt);
  if (scanError) std::rethrow_exception(scanError);

  header.projectName = PoName(ProjectName(request.base), codePage);
  header.revisionDate = ModificationTime(files.crt);
  header.language =
      PoName(request.language.empty() ? LanguageOfBase(request.base) : request.language, codePage);
  if (header.language->empty()) header.language.reset();
  header.generator = request.generator;
  header.codePage = codePage.Name();
  if (!request.sources.empty()) {
    AddUses(exported, crt, uses, codePage);
    for (const std::string& file : uses.files) {
      header.referenceFiles.push_back(PoName(file, codePage));
    }
  }
  std::size_t suggested = 0;
  if (request.suggestions) {
    if (!suggestions) {
      PrepareSuggestions(exported, crt, files, request.compendia, false, suggestions.emplace());
    }
    suggested = AddSuggestions(exported, crt, *suggestions, uses, codePage);
  }
  if (poError) std::rethrow_exception(poError);
  // A translation typed into the PO file and not imported is never lost: the old file stays,
  // as BASE.po~ (the name GNU tools give a backup).
  LostTranslations lost;
  if (replaced) {
    std::vector<PoEntry> kept;  // the OBS file's, read only where some translation would be lost
    lost = FindLostTranslations(*replaced, exported.entries, kept);
    if (lost.count > 0) {
      kept = ExportEntries(ReadTranslatedFile(files.obs), codePage).entries;
      lost = FindLostTranslations(*replaced, exported.entries, kept);
    }
  }
  std::string backup = lost.count > 0 ? poName + "~" : "";
  ReplacePoFile(poName, header, exported.entries, backup);
  if (lost.count > 0) {
    PrintDiagnostic(
        poName, {0, Severity::kWarning,
                 "held " + Counted(lost.count, "translation") +
                     " that the new file does not, the first for msgid " + Quoted(lost.first->id) +
                     ": the old file is kept as " + backup + " ('quotex-lang import " + backup +
                     " " + request.base + "' takes them)"});
  }
  PrintSummary(poName + ": " + Counted(exported.entries.size(), "text") + ", " +
               std::to_string(exported.translated) + " translated" +
               (suggested > 0 ? ", " + std::to_string(suggested) + " suggested" : "") +
               LeftOutOfScan(uses.leftOut));
  return 0;
}
