#include "codec/system.h"

namespace repbin {
namespace {

struct Names {
  System system;
  std::string_view word;       // the short command-line word
  std::string_view long_word;  // its long form
  const char* phrase;          // the Spanish name
};

constexpr Names kNames[] = {
    {System::kNatural, "natural", "binario-natural", "binario natural"},
    {System::kOnes, "c1", "complemento-a-uno", "complemento a uno"},
    {System::kTwos, "c2", "complemento-a-dos", "complemento a dos"},
    {System::kExcess, "exceso", "exceso-z", "exceso"},
    {System::kSignMagnitude, "sm", "signo-magnitud", "signo-magnitud"},
    {System::kFloat, "flotante", "coma-flotante", "coma flotante"},
};

const Names* Find(System system) {
  for (const Names& n : kNames) {
    if (n.system == system) return &n;
  }
  return nullptr;
}

}  // namespace

std::optional<System> FindSystem(std::string_view word) {
  for (const Names& n : kNames) {
    if (n.word == word || n.long_word == word) return n.system;
  }
  return std::nullopt;
}

const char* SystemName(System system) {
  const Names* n = Find(system);
  return n != nullptr ? n->word.data() : "";
}

const char* SystemPhrase(System system) {
  const Names* n = Find(system);
  return n != nullptr ? n->phrase : "";
}

std::string SystemPhrase(System system, std::int64_t excess) {
  std::string phrase = SystemPhrase(system);
  if (system == System::kExcess) phrase += " " + std::to_string(excess);
  return phrase;
}

}  // namespace repbin
