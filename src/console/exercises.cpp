#include "console/exercises.h"

#include "output/output.h"

namespace repbin {

int RunExercises(const std::vector<std::string>& args) {
  (void)args;
  out::PrintErr("repbin: la orden ejercicios no está disponible todavía\n");
  return 2;
}

}  // namespace repbin
