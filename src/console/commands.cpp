#include "console/commands.h"

#include "output/output.h"

namespace repbin {

bool IsCommand(const std::string& word) {
  return word == "representar" || word == "interpretar" || word == "ejercicios";
}

int RunCommandLine(const std::vector<std::string>& args) {
  out::PrintErr("repbin: orden no disponible todavía: %s\n", args.empty() ? "" : args[0].c_str());
  return 2;
}

}  // namespace repbin
