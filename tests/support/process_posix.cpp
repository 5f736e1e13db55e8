#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/process.h"

std::string QuotexPath() {
  return QUOTEX_EXECUTABLE;
}

ProcessResult RunQuotex(const std::filesystem::path& directory,
                        const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) std::abort();
  std::string program = QuotexPath();
  pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal: the console texts are dropped
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    int nothing = open("/dev/null", O_RDONLY);
    dup2(nothing, STDIN_FILENO);
    if (chdir(directory.c_str()) != 0) _exit(127);
    std::vector<char*> argv{program.data()};
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  ProcessResult result;
  char chunk[4096];
  ssize_t got;
  while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) result.output.append(chunk, got);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}
