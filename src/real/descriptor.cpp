#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

int nbexp = 0;
int posexp = 0;
int posmantisa = 0;
int possigno = 0;
int TypeExp = 0;
int TypeMan = 0;
int typenorma = 0;
int bi = 0;

int NbMan() {
  return nb - nbexp - 1;
}

void ResetDescriptor() {
  nbexp = posexp = posmantisa = possigno = 0;
  TypeExp = TypeMan = typenorma = bi = 0;
}

namespace {

bool Inside(int start, int width) {
  return start >= 0 && width >= 1 && start <= nb - width;
}

bool Overlap(int a, int a_width, int b, int b_width) {
  return a < b + b_width && b < a + a_width;
}

}  // namespace

bool DescriptorIsValid() {
  if (nb < 3 || nb > kMaxWidth) return false;
  const int nbman = NbMan();
  return Inside(posexp, nbexp) && Inside(posmantisa, nbman) && Inside(possigno, 1) &&
         !Overlap(posexp, nbexp, posmantisa, nbman) && !Overlap(posexp, nbexp, possigno, 1) &&
         !Overlap(posmantisa, nbman, possigno, 1) && TypeExp >= 0 && TypeExp <= 3 && TypeMan >= 0 &&
         TypeMan <= 2 && typenorma >= 0 && typenorma <= 2 && bi == (typenorma > 0 ? 1 : 0);
}

}  // namespace repbin
