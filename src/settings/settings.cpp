#include "settings/settings.h"

#include <cstring>

namespace repbin {

int nb = 32;
int zEZ = 127;
char buffer[65] = {};
char decimal[64] = {};

void ResetSettings() {
  nb = 32;
  zEZ = 127;
  std::memset(buffer, 0, sizeof buffer);
  std::memset(decimal, 0, sizeof decimal);
}

}  // namespace repbin
