// A large mixed session for the benchmarks: every item of both menus, over and over, with
// values drawn from a fixed seed so that every run types the same answers.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace repbin::bench {

struct GeneratedSession {
  std::string input;
  long operations;  // menu items performed (each one an answer to the main menu)
};

inline GeneratedSession MakeSession(long rounds) {
  std::mt19937 random(20261207);
  auto draw = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto bits = [&](int width) {
    std::string text;
    for (int i = 0; i < width; ++i) text += draw(0, 1) != 0 ? '1' : '0';
    return text;
  };
  const char* kIeeeSingle = "8 1 9 0 3 127 0 1";
  GeneratedSession session{"", 0};
  std::string& in = session.input;
  for (long r = 0; r < rounds; ++r) {
    const int width = draw(8, 32);
    const std::string v = std::to_string(draw(-1000, 1000));
    in += "1 6 " + std::to_string(width) + "\n";          // representation: width
    in += "1 1 " + std::to_string(draw(0, 5000)) + "\n";  // natural binary
    in += "1 2 " + v + "\n1 3 " + v + "\n1 4 127 " + v + "\n1 7 " + v + "\n";
    in += "2 1 16 " + bits(16) + "\n2 2 16 " + bits(16) + "\n2 3 16 " + bits(16) + "\n";
    in += "2 4 16 127 " + bits(16) + "\n2 6 16 " + bits(16) + "\n";
    in += "2 5 32 " + std::string(kIeeeSingle) + " " + bits(32) + "\n";  // leaves nb at 32
    const std::string real = std::to_string(draw(-9999, 9999)) + "." + std::to_string(draw(0, 999));
    in += "1 5 " + std::string(kIeeeSingle) + " 0 " + real + "\n";  // fixed-point text
    in += "1 5 " + std::string(kIeeeSingle) + " 1 " + real + "\n";  // floating value
    in += "1 0\n2 0\n";                                             // menus left at once
    session.operations += 16;
  }
  in += "0\n";
  return session;
}

}  // namespace repbin::bench
