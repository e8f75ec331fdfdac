#include "settings/settings.h"

#include <cstring>

namespace repbin {

int nb = 32;
int zEZ = 127;
char buffer[65] = {};
char decimal[64] = {};

int nbexp = 0;
int posexp = 0;
int posmantisa = 0;
int possigno = 0;
int TypeExp = 0;
int TypeMan = 0;
int typenorma = 0;
int bi = 0;

void ResetSettings() {
  nb = 32;
  zEZ = 127;
  std::memset(buffer, 0, sizeof buffer);
  std::memset(decimal, 0, sizeof decimal);
  nbexp = posexp = posmantisa = possigno = 0;
  TypeExp = TypeMan = typenorma = bi = 0;
}

FloatFormat SettingsFloatFormat() {
  return {nb, nbexp, posexp, posmantisa, possigno, TypeExp, zEZ, TypeMan, typenorma};
}

ops::IntegerFormat SettingsIntegerFormat(ops::System system) {
  return {system, nb, zEZ};
}

}  // namespace repbin
