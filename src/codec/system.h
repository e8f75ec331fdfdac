// The number systems, one type for every layer, with the one table of their names.
#pragma once

#include <cstdint>
#include <string>

#include <optional>
#include <string_view>

namespace repbin {

// The four systems a floating-point field can be written in keep the codes the dialogue's menus
// and the format's TypeExp and TypeMan use (0 to 3); natural binary and floating point follow.
enum class System {
  kSignMagnitude = 0,
  kOnes = 1,
  kTwos = 2,
  kExcess = 3,
  kNatural = 4,
  kFloat = 5,
};

// The system a command-line word stands for: natural, c1, c2, exceso, sm, flotante, or the long
// forms binario-natural, complemento-a-uno, complemento-a-dos, exceso-z, signo-magnitud,
// coma-flotante.
std::optional<System> FindSystem(std::string_view word);
// The short command-line word of a system ("c2"); the field systems' words are also the
// layout options' ("sm", "c1", "c2", "exceso").
const char* SystemName(System system);
// The system's Spanish name, as the texts write it: "binario natural", "signo-magnitud",
// "complemento a uno", "complemento a dos", "exceso", "coma flotante".
const char* SystemPhrase(System system);
// The same with the excess named: "exceso 127"; the other systems as above.
std::string SystemPhrase(System system, std::int64_t excess);

// The system of a floating-point field code (0 to 3).
inline System FieldSystem(int code) {
  return static_cast<System>(code);
}

}  // namespace repbin
