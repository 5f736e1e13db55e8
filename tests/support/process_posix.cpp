#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "support/process.h"

namespace {

// Sets one resource limit of the process, unless `value` is 0.
void Limit(int resource, long value) {
  if (value == 0) return;
  rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
  setrlimit(resource, &limit);
}

// In the child: sets up standard input and output, the limits, the environment and the
// directory, then becomes quotex.
[[noreturn]] void ExecQuotex(int outputPipe, const std::filesystem::path& directory,
                             const std::vector<std::string>& arguments,
                             const ProcessOptions& options) {
  if (!options.standardOutput.empty()) {
    close(outputPipe);
    outputPipe = open(options.standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (outputPipe < 0) _exit(127);
  }
  dup2(outputPipe, STDOUT_FILENO);
  close(outputPipe);
  int nothing = open("/dev/null", O_RDONLY);
  dup2(nothing, STDIN_FILENO);
  if (nothing != STDIN_FILENO) close(nothing);
  // A write beyond a file size limit then fails with EFBIG instead of killing the process.
  if (options.fileSizeLimit > 0) std::signal(SIGXFSZ, SIG_IGN);
  Limit(RLIMIT_FSIZE, options.fileSizeLimit);
  Limit(RLIMIT_AS, options.addressSpaceLimit);
  for (const std::string& variable : options.environment) putenv(strdup(variable.c_str()));
  if (chdir(directory.c_str()) != 0) _exit(127);
  std::string program = QuotexPath();
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv{program.data()};
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
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

// Reads standard output and, when there is one, the terminal until both have ended.
void CollectOutput(int output, int terminal, ProcessResult& result) {
  pollfd fds[2] = {{output, POLLIN, 0}, {terminal, POLLIN, 0}};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (poll(fds, 2, -1) < 0) std::abort();
    if (fds[0].revents != 0 && !ReadAvailable(output, result.output)) fds[0].fd = -1;
    if (fds[1].revents != 0 && !ReadAvailable(terminal, result.console)) fds[1].fd = -1;
  }
}

}  // namespace

std::string QuotexPath() {
  return QUOTEX_EXECUTABLE;
}

ProcessResult RunQuotex(const std::filesystem::path& directory,
                        const std::vector<std::string>& arguments, const ProcessOptions& options) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) std::abort();
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
    close(pipeEnds[0]);
    ExecQuotex(pipeEnds[1], directory, arguments, options);
  }
  close(pipeEnds[1]);
  ProcessResult result;
  CollectOutput(pipeEnds[0], terminal, result);
  close(pipeEnds[0]);
  if (terminal >= 0) close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}
