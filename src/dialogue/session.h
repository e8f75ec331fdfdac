// A whole session of the program, from the main menu to "0) Salir" or the end of the input.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace repbin {

// Runs a session with fresh program settings, reading the answers from `in` (or, when null, from
// the input bound already) and writing through the output layer as it is bound; returns the exit
// status, 0.
int RunSession(std::FILE* in);

// What a session printed.
struct Transcript {
  std::string out;
  std::string err;
  int status;
};

// Runs a session in memory: `input` is the whole standard input. Both streams are code page 850.
Transcript RunSessionOnText(std::string_view input);

}  // namespace repbin
