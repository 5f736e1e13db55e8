// quotex-lang: keeps the translated CRT file of a Clarion application alive across releases.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "common/version.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/lang_error.h"
#include "platform/platform.h"
#include "translation/code_page.h"

namespace {

constexpr int kUsageError = 2;
constexpr char kProgram[] = "quotex-lang";

// The search reads the current directory only; a mask with a directory part would find names
// there and open them here.
std::string InCurrentDirectory(const std::string& mask) {
  if (mask.find_first_of("/\\:") == std::string::npos) return {};
  return "must name files in the current directory: '" + mask + "'";
}

std::string ValidBase(const std::string& base) {
  return BaseNameProblem(base);
}

std::string KnownCodePage(const std::string& name) {
  if (CodePage::Named(name)) return {};
  return "unknown code page '" + name + "' (known: " + CodePage::KnownNames() + ")";
}

// The commands and their options; parsing fills the request of the command given.
struct CommandLine {
  CLI::App app{"Keeps the translations of a Clarion application's texts across releases.",
               kProgram};
  UpdateRequest update;
  CheckRequest check;
  ExportRequest exportRequest;
  bool noSuggestions = false;
  ImportRequest import;
  PreviewRequest preview;
  PseudoRequest pseudo;

  CommandLine() {
    app.set_version_flag("--version", std::string(kProgram) + " " + kQuotexVersion);
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 done (a warning may name what the next command tidies up); 1 errors "
        "found, or the command failed (nothing was changed on disk, unless the message says "
        "the next command puts it back); 2 a wrong command line.");
    AddUpdate();
    AddCheck();
    AddExport();
    AddImport();
    AddPreview();
    AddPseudo();
  }

  void AddUpdate() {
    CLI::App* command = app.add_subcommand(
        "update", "Extract the texts again into BASE.CRT, .BAS and .LST, keeping translations");
    command->add_option("FILEMASK", update.mask, "the source files, in the current directory")
        ->required()
        ->check(InCurrentDirectory);
    AddBase(*command, update.base);
    command->add_flag("--messages", update.messagesOnly,
                      "only the texts of lines that call MESSAGE");
  }

  void AddCheck() {
    CLI::App* command =
        app.add_subcommand("check", "Check the translations of BASE.CRT before a release");
    AddBase(*command, check.base);
    AddCharset(*command, check.charset);
    command
        ->add_option("--sources", check.sources,
                     "the source files (a mask, as for update): also warn of translations that "
                     "do not fit their controls in the windows of these sources")
        ->check(InCurrentDirectory);
  }

  void AddExport() {
    CLI::App* command = app.add_subcommand(
        "export", "Write the texts and translations of BASE.CRT as a gettext PO file");
    AddBase(*command, exportRequest.base);
    command->add_option("-o,--output", exportRequest.output, "the PO file (default: BASE.po)");
    AddCharset(*command, exportRequest.charset);
    command->add_option("--language", exportRequest.language,
                        "the language of the translations, such as de or pt_BR");
    CLI::Option* sources = command
                               ->add_option("--sources", exportRequest.sources,
                                            "the source files (a mask, as for update): tell where "
                                            "each text is used, and what it is")
                               ->check(InCurrentDirectory);
    command
        ->add_flag("--messages", exportRequest.messagesOnly,
                   "only the texts of lines that call MESSAGE, as for update")
        ->needs(sources);
    command->add_flag("--no-suggestions", noSuggestions,
                      "offer no translation of a similar text for a text without one");
    command
        ->add_option("--compendium", exportRequest.compendia,
                     "another application's files (a BASE, such as ../invoices/de) whose "
                     "translations are offered too; may be given again")
        ->check(ValidBase);
    exportRequest.generator = std::string(kProgram) + " " + kQuotexVersion;
  }

  void AddImport() {
    CLI::App* command = app.add_subcommand(
        "import", "Take the translations of a PO file into BASE.CRT and BASE.BAS");
    command->add_option("FILE", import.poFile, "the PO file")->required();
    AddBase(*command, import.base);
    command
        ->add_option("--charset", import.charset,
                     "the code page of the sources: " + CodePage::KnownNames() +
                         " (default: the one the PO file was exported for, else " +
                         kDefaultCharset + "; it must not name another)")
        ->check(KnownCodePage);
    command->add_flag("--fuzzy", import.includeFuzzy, "also take the entries marked fuzzy");
    command->add_flag("--take-unmatched", import.takeUnmatched,
                      "take the file even when most of its translations match no text of BASE "
                      "(as a file of another application does), keeping them in BASE.OBS");
  }

  void AddPreview() {
    CLI::App* command = app.add_subcommand(
        "preview", "Draw the windows of the sources with BASE's translations on one HTML page");
    AddBase(*command, preview.base);
    command
        ->add_option("--sources", preview.sources,
                     "the source files whose windows are drawn (a mask, as for update)")
        ->required()
        ->check(InCurrentDirectory);
    command->add_option("-o,--output", preview.output, "the page (default: BASE.html)");
    AddCharset(*command, preview.charset);
  }

  void AddPseudo() {
    CLI::App* command = app.add_subcommand(
        "pseudo", "Write PSEUDO.CRT, .BAS and .LST with pseudo-translations of BASE's texts");
    AddBase(*command, pseudo.base);
    command->add_option("PSEUDO", pseudo.pseudo, "name and path of the files to write")
        ->required()
        ->check(ValidBase);
    command
        ->add_option("--expand", pseudo.expandPercent,
                     "how much longer the texts get on average, in per cent (short ones more)")
        ->capture_default_str()
        ->check(CLI::Range(0, 400));
    CLI::Option* sources = command
                               ->add_option("--sources", pseudo.sources,
                                            "the source files (a mask, as for update): leave the "
                                            "texts they use as program matter untranslated")
                               ->check(InCurrentDirectory);
    command
        ->add_flag("--messages", pseudo.messagesOnly,
                   "only the texts of lines that call MESSAGE, as for update")
        ->needs(sources);
    AddCharset(*command, pseudo.charset);
  }

  static void AddBase(CLI::App& command, std::string& base) {
    command.add_option("BASE", base, "name and path of the files, without extension")
        ->required()
        ->check(ValidBase);
  }

  static void AddCharset(CLI::App& command, std::string& charset) {
    command
        .add_option("--charset", charset, "the code page of the sources: " + CodePage::KnownNames())
        ->capture_default_str()
        ->check(KnownCodePage);
  }

  // What the options of one command say against each other; raises CLI::ValidationError.
  void Validate() const {
    const std::string& name = app.get_subcommands().front()->get_name();
    if (name == "import" && NamesPoFile(import.base) && !NamesPoFile(import.poFile)) {
      throw CLI::ValidationError("BASE", "'" + import.base +
                                             "' names a PO file: the PO file comes first, as in "
                                             "quotex-lang import " +
                                             import.base + " " + import.poFile);
    }
    std::string problem;
    if (name == "export") problem = OwnFileProblem(exportRequest.output, exportRequest.base);
    if (name == "preview") {
      problem = OwnFileProblem(preview.output, preview.base, "an HTML file", "html");
    }
    if (name == "pseudo" && SameFiles(pseudo.base, pseudo.pseudo)) {
      problem = "must name other files than BASE, whose translations it would replace";
    }
    if (!problem.empty()) {
      throw CLI::ValidationError(name == "pseudo" ? "PSEUDO" : "--output", problem);
    }
  }

  // Whether two base names name the same files.
  static bool SameFiles(const std::string& base, const std::string& other) {
    std::string crt = BaseFiles(base).crt, otherCrt = BaseFiles(other).crt;
    std::optional<FileIdentity> identity = IdentityOf(crt.c_str());
    return crt == otherCrt || (identity && identity == IdentityOf(otherCrt.c_str()));
  }

  static bool NamesPoFile(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string_view extension = name.substr(dot);
    return SameIgnoringAsciiCase(extension, ".po") || SameIgnoringAsciiCase(extension, ".pot");
  }

  int Run() {
    const std::string& name = app.get_subcommands().front()->get_name();
    if (name == "update") return RunUpdate(update);
    if (name == "check") return RunCheck(check);
    if (name == "export") {
      exportRequest.suggestions = !noSuggestions;
      return RunExport(exportRequest);
    }
    if (name == "preview") return RunPreview(preview);
    if (name == "pseudo") return RunPseudo(pseudo);
    return RunImport(import);
  }
};

// Prints a usage error and the help to look at: the command's own when one was given.
int ReportUsageError(const CommandLine& commandLine, const CLI::ParseError& error, int argc,
                     char** argv) {
  constexpr char kCommands[] = "(commands: update, check, export, import, preview, pseudo)";
  std::string message = error.what();
  std::string help = kProgram;
  if (commandLine.app.get_subcommands().empty() && error.get_name() == "RequiredError") {
    message = std::string("a command is required ") + kCommands;
  }
  if (argc > 1 && argv[1][0] != '-') {
    std::string command = argv[1];
    const auto& commands = commandLine.app.get_subcommands({});
    bool known = std::any_of(commands.begin(), commands.end(),
                             [&](const CLI::App* each) { return each->get_name() == command; });
    if (known) {
      help += " " + command;
    } else {
      message = "unknown command '" + command + "' " + kCommands;
    }
    // A mask the shell expanded arrives as the files it matches: `update a.clw b.clw de`.
    bool takesMask =
        command == "update" || command == "export" || command == "check" || command == "preview";
    if (takesMask && error.get_exit_code() == static_cast<int>(CLI::ExitCodes::ExtrasError)) {
      message += " (a mask the shell expanded into file names? Quote it, as in quotex-lang " +
                 command + (command == "update" ? " '*.clw' de)" : " de --sources '*.clw')");
    }
  }
  std::fprintf(stderr, "%s: %s\nRun '%s --help' for more information.\n", kProgram, message.c_str(),
               help.c_str());
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CommandLine commandLine;
    try {
      commandLine.app.parse(argc, argv);
      commandLine.Validate();
    } catch (const CLI::CallForHelp& help) {
      return commandLine.app.exit(help);
    } catch (const CLI::CallForVersion& version) {
      return commandLine.app.exit(version);
    } catch (const CLI::ParseError& error) {
      return ReportUsageError(commandLine, error, argc, argv);
    }
    return commandLine.Run();
  } catch (const LangError& error) {
    std::fprintf(stderr, "%s: error: %s\n", error.File().c_str(), error.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: error: out of memory\n", kProgram);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
  }
  return 1;
}
