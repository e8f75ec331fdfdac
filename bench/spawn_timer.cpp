// Times whole programs, start to finish: spawn_timer RUNS -- PROGRAM ARGS... [-- PROGRAM ARGS...]
// runs each command RUNS times, alternating between them so they share the machine's load, with
// standard output to /dev/null, and prints each command's median wall time in microseconds.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

double RunOnceMicroseconds(std::vector<char*>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::perror(argv[0]);
    std::exit(2);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double, std::micro>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: spawn_timer RUNS -- PROGRAM ARGS... [-- PROGRAM ARGS...]\n");
    return 2;
  }
  const long runs = std::strtol(argv[1], nullptr, 10);
  std::vector<std::vector<char*>> commands;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--") {
      commands.emplace_back();
    } else if (!commands.empty()) {
      commands.back().push_back(argv[i]);
    }
  }
  for (auto& command : commands) command.push_back(nullptr);
  std::vector<std::vector<double>> times(commands.size());
  for (long r = 0; r < runs; ++r) {
    for (std::size_t c = 0; c < commands.size(); ++c) {
      times[c].push_back(RunOnceMicroseconds(commands[c]));
    }
  }
  for (std::size_t c = 0; c < commands.size(); ++c) {
    std::sort(times[c].begin(), times[c].end());
    std::printf("%.0f\n", times[c][times[c].size() / 2]);
  }
  return 0;
}
