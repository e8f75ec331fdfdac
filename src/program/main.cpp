// repbin: teaches how numbers are represented in binary, through a dialogue of numbered menus or
// one-shot commands.

#include <cstdio>
#include <string>
#include <vector>

#include "output/output.h"
#include "output/platform.h"
#include "program/program.h"

int main(int argc, char** argv) {
  repbin::out::PrepareStandardStreams();
  repbin::out::Bind(stdout, stderr, repbin::out::DefaultEncoding(stdout),
                    repbin::out::DefaultEncoding(stderr));
  repbin::out::SetCommandEncodings(repbin::out::CommandEncoding(stdout),
                                   repbin::out::CommandEncoding(stderr));
  for (std::FILE* stream : {stdout, stderr}) repbin::out::SetBuffering(stream);
  const int status = repbin::RunProgram(std::vector<std::string>(argv + 1, argv + argc));
  return repbin::CloseStandardOutput(status);
}
