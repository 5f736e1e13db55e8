#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "support/process.h"

namespace {

// Sets one resource limit of the process, unless `value` is 0.
void Limit(int resource, long value) {
  if (value == 0) return;
  rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
  setrlimit(resource, &limit);
}

// The environment of the tests with `variables` (each NAME=VALUE) set in it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& variables) {
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    std::string_view entry = *variable;
    auto setsIt = [entry](const std::string& set) {
      return entry.starts_with(set.substr(0, set.find('=') + 1));
    };
    if (std::none_of(variables.begin(), variables.end(), setsIt)) environment.emplace_back(entry);
  }
  environment.insert(environment.end(), variables.begin(), variables.end());
  return environment;
}

// Pointers to the words, ending in a null pointer, as exec takes them.
std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the child: sets up standard input and output, the limits and the directory, then becomes
// the program. It allocates nothing: `argv` (the command and its arguments) and `envp` are made
// before the fork.
[[noreturn]] void ExecProgram(int outputPipe, int errorPipe, const std::filesystem::path& directory,
                              char* const* argv, char* const* envp, const ProcessOptions& options) {
  if (!options.standardOutput.empty()) {
    close(outputPipe);
    outputPipe = open(options.standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (outputPipe < 0) _exit(127);
  }
  dup2(outputPipe, STDOUT_FILENO);
  close(outputPipe);
  // On a terminal, standard error stays there: it keeps the terminal open until the end.
  if (!options.onTerminal) dup2(errorPipe, STDERR_FILENO);
  close(errorPipe);
  int nothing = open("/dev/null", O_RDONLY);
  dup2(nothing, STDIN_FILENO);
  if (nothing != STDIN_FILENO) close(nothing);
  // A write beyond a file size limit then fails with EFBIG instead of killing the process.
  if (options.fileSizeLimit > 0) std::signal(SIGXFSZ, SIG_IGN);
  Limit(RLIMIT_FSIZE, options.fileSizeLimit);
  Limit(RLIMIT_AS, options.addressSpaceLimit);
  if (chdir(directory.c_str()) != 0) _exit(127);
  if (options.withoutPrivileges && geteuid() == 0 && unshare(CLONE_NEWUSER) != 0) _exit(127);
  execvpe(argv[0], argv, envp);
  _exit(127);
}

// Appends what `fd` has to `text`; false once it has ended (end of file, or EIO from a
// terminal whose other side has closed).
bool ReadAvailable(int fd, std::string& text) {
  char chunk[4096];
  ssize_t got = read(fd, chunk, sizeof chunk);
  if (got <= 0) return false;
  text.append(chunk, static_cast<std::size_t>(got));
  return true;
}

// Reads standard output, standard error and, when there is one, the terminal until all have
// ended.
void CollectOutput(int output, int errors, int terminal, ProcessResult& result) {
  pollfd fds[] = {{output, POLLIN, 0}, {errors, POLLIN, 0}, {terminal, POLLIN, 0}};
  std::string* texts[] = {&result.output, &result.errors, &result.console};
  while (std::any_of(std::begin(fds), std::end(fds), [](const pollfd& fd) { return fd.fd >= 0; })) {
    if (poll(fds, 3, -1) < 0) std::abort();
    for (int i = 0; i < 3; ++i) {
      if (fds[i].revents != 0 && !ReadAvailable(fds[i].fd, *texts[i])) fds[i].fd = -1;
    }
  }
}

// The program at `path` behind the emulator that runs it when it was built for another machine
// (qemu-i386 for the 32-bit build), which is looked up on the PATH.
std::vector<std::string> EmulatedCommand(const std::string& path) {
  // QUOTEX_EMULATOR is a CMake list: the emulator's program, then its own arguments.
  std::vector<std::string> command;
  std::string_view emulator = QUOTEX_EMULATOR;
  while (!emulator.empty()) {
    std::size_t end = std::min(emulator.find(';'), emulator.size());
    if (end > 0) command.emplace_back(emulator.substr(0, end));
    emulator.remove_prefix(std::min(end + 1, emulator.size()));
  }
  command.push_back(path);
  return command;
}

ProcessResult RunCommand(std::vector<std::string> command, const std::filesystem::path& directory,
                         const std::vector<std::string>& arguments, const ProcessOptions& options) {
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = Pointers(command);
  std::vector<std::string> environment = EnvironmentWith(options.environment);
  std::vector<char*> envp = Pointers(environment);
  int outputPipe[2];
  int errorPipe[2];
  if (pipe(outputPipe) != 0 || pipe(errorPipe) != 0) std::abort();
  int terminal = -1;
  pid_t child;
  if (options.onTerminal) {
    termios raw{};
    cfmakeraw(&raw);
    child = forkpty(&terminal, nullptr, &raw, nullptr);
  } else {
    child = fork();
    if (child == 0) setsid();  // no controlling terminal: the console texts are dropped
  }
  if (child < 0) std::abort();
  if (child == 0) {
    close(outputPipe[0]);
    close(errorPipe[0]);
    ExecProgram(outputPipe[1], errorPipe[1], directory, argv.data(), envp.data(), options);
  }
  close(outputPipe[1]);
  close(errorPipe[1]);
  ProcessResult result;
  CollectOutput(outputPipe[0], errorPipe[0], terminal, result);
  close(outputPipe[0]);
  close(errorPipe[0]);
  if (terminal >= 0) close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace

std::string QuotexPath() {
  return QUOTEX_EXECUTABLE;
}

std::vector<std::string> QuotexCommand() {
  return EmulatedCommand(QuotexPath());
}

bool RunsUnderEmulator() {
  return QuotexCommand().size() > 1;
}

ProcessResult RunQuotex(const std::filesystem::path& directory,
                        const std::vector<std::string>& arguments, const ProcessOptions& options) {
  return RunCommand(QuotexCommand(), directory, arguments, options);
}

ProcessResult RunQuotexLang(const std::filesystem::path& directory,
                            const std::vector<std::string>& arguments,
                            const ProcessOptions& options) {
  return RunCommand(EmulatedCommand(QUOTEX_LANG_EXECUTABLE), directory, arguments, options);
}

bool CanDropPrivileges() {
  if (geteuid() != 0) return true;
  pid_t child = fork();
  if (child == 0) _exit(unshare(CLONE_NEWUSER) == 0 ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
