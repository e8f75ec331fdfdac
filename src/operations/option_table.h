// The command line of any command, read against a table of the options it takes. Every door
// that reads options (the one-shot commands, `operar`, the sheets and practice) describes them
// here, so they are read one way and refused in one wording:
//   "<option> espera <what it accepts>, no «<value>»", "falta el valor de <option>",
//   "la opción <option> no lleva valor", "opción desconocida: <option>".
// Options come anywhere among the other words, as "-b 8", "--bits 8" or "--bits=8"; "--" ends
// them; a word that starts with '-' and reads as a value ("-5", "-.5", "-" alone) is a value.
// The table only reads: what an option sets is the door's business, in its own callback.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/layout_options.h"

namespace repbin::ops {

// Whether a word that starts with '-' is a value ("-5", "-.5", "-" alone) rather than an option.
bool LooksLikeValue(std::string_view word);

class OptionTable {
 public:
  // Takes an option's value: nothing when it is taken, else what the option accepts
  // ("un número de bits entre 1 y 64"), for the refusal.
  using Take = std::function<std::optional<std::string>(std::string_view value)>;
  // Takes the words that are not options, by their index in the arguments: nothing when taken,
  // else the whole refusal. Setting `stop` ends the reading there (a door that hands the rest
  // of the line to another runner).
  using Positional = std::function<std::optional<std::string>(std::size_t index, bool& stop)>;

  // `show` writes a refused value as the refusal shows it (a door may make control characters
  // visible); by default the value as it is.
  explicit OptionTable(std::function<std::string(std::string_view)> show = {});

  // An option without a value.
  OptionTable& Flag(std::initializer_list<std::string_view> names, std::function<void()> set);
  // An option with a value, which `take` reads.
  OptionTable& Valued(std::initializer_list<std::string_view> names, Take take);
  // An option whose value is a whole number from `low` to `high`, `what` it is ("un número de
  // bits") named in the refusal.
  OptionTable& Whole(std::initializer_list<std::string_view> names, std::string what,
                     std::int64_t low, std::int64_t high, std::function<void(std::int64_t)> set);
  // The floating-point layout options (-f/--formato, --exp, --pos-exp, --pos-man, --pos-signo,
  // --sis-exp, --sis-man, --norma), read into `layout`.
  OptionTable& Layout(LayoutOptions& layout);

  // Whether `name` is an option of the table, and whether it takes a value.
  bool Has(std::string_view name) const;
  bool TakesValue(std::string_view name) const;

  // Reads `args` from index `first`. Returns the first refusal, or nothing.
  std::optional<std::string> Parse(const std::vector<std::string>& args, std::size_t first,
                                   const Positional& positional) const;

 private:
  struct Option {
    std::vector<std::string_view> names;
    std::function<void()> flag;  // set for an option without a value
    Take take;                   // set for an option with one
  };
  const Option* Find(std::string_view name) const;

  std::function<std::string(std::string_view)> show_;
  std::vector<Option> options_;
};

}  // namespace repbin::ops
