// Writes the benchmark's mixed session to standard output: make_session ROUNDS > session.txt
// (16 operations per round).

#include <cstdio>
#include <cstdlib>

#include "session_generator.h"

int main(int argc, char** argv) {
  const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
  const repbin::bench::GeneratedSession session = repbin::bench::MakeSession(rounds);
  std::fwrite(session.input.data(), 1, session.input.size(), stdout);
  std::fprintf(stderr, "%ld operations\n", session.operations);
  return 0;
}
