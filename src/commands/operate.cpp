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
  if (args.size() < 2) {
    out::PrintErr("repbin: falta el SISTEMA: escriba flotante (vea repbin operar --help)\n");
    return 2;
  }
  if (args[1] == "-h" || args[1] == "--help") {
    PrintOperateHelp();
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 2, args.end());
  const std::optional<System> system = FindSystem(args[1]);
  if (!system) {
    out::PrintErr("repbin: sistema desconocido: \"%s\"; escriba flotante\n", args[1].c_str());
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
