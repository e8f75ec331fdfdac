#include "commands/operate.h"

#include <string_view>

#include "codec/system.h"
#include "output/output.h"

namespace repbin {
namespace {

// For now the only system is floating point: its help is the command's.
void PrintOperateHelp() {
  commands::PrintFloatOperationHelp();
}

}  // namespace

int RunOperate(const std::vector<std::string>& args) {
  // The system is the first word after the flags that take no value (the program puts the
  // dialogue's --ampliado right after the command's name); the rest go to the system's runner.
  std::size_t at = 1;
  while (at < args.size() && (args[at] == "--ampliado" || args[at] == "--json" ||
                              args[at] == "--cp850" || args[at] == "--utf8")) {
    ++at;
  }
  if (at < args.size() && (args[at] == "-h" || args[at] == "--help")) {
    PrintOperateHelp();
    return 0;
  }
  if (at >= args.size()) {
    out::PrintErr("repbin: falta el SISTEMA: escriba flotante (vea repbin operar --help)\n");
    return 2;
  }
  std::vector<std::string> rest(args.begin() + 1, args.begin() + static_cast<std::ptrdiff_t>(at));
  rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end());
  const std::optional<System> system = FindSystem(args[at]);
  if (!system) {
    out::PrintErr("repbin: sistema desconocido: \"%s\"; escriba flotante\n", args[at].c_str());
    return 2;
  }
  switch (*system) {
    case System::kFloat: return commands::RunFloatOperation(rest);
    case System::kNatural:
    case System::kSignMagnitude:
    case System::kOnes:
    case System::kTwos:
    case System::kExcess: break;
  }
  out::PrintErr(
      "repbin: operar en el sistema %s llegará más adelante; por ahora, escriba flotante\n",
      SystemPhrase(*system));
  return 2;
}

}  // namespace repbin
