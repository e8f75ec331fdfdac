// The command line of any command, read against a table of the options it takes. Every door
// that reads options (the one-shot commands, `operar`, the sheets and practice) describes them
// here, so they are read one way and refused in one wording:
//   "<option> espera <what it accepts>, no «<value>»", "falta el valor de <option>",
//   "la opción <option> no lleva valor", "opción desconocida: <option>".
// Options come anywhere among the other words, as "-b 8", "--bits 8" or "--bits=8"; "--" ends
// them; a word that starts with '-' and reads as a value ("-5", "-.5", "-" alone) is a value.
// The table only reads: what an option sets is the door's business, in its own callback.
// It also writes the options part of each command's --help, from the rows its door describes.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"
#include "operations/layout_options.h"

namespace repbin::ops {

// The ranges of the options that mean the same in several doors, decided here once.
struct WholeRange {
  std::int64_t low, high;
};
// -b of a conversion, an operation or a card: any width a pattern can have. Sign-magnitude needs
// two bits and a floating-point layout three; their own checks say so, with the reason.
inline constexpr WholeRange kIntegerWidth{1, kMaxWidth};
// The width of a floating-point layout (operar flotante's -b, a sheet's --bits-flotante, bits= in
// a layout word): a sign, one exponent bit and one mantissa bit at least.
inline constexpr WholeRange kFloatWidth{3, kMaxWidth};
// A sheet's -b: every integer system is drawn at that width, sign-magnitude among them.
inline constexpr WholeRange kSheetIntegerWidth{2, kMaxWidth};
// -z, the excess of an integer or of an exponent: any int. The codecs work out values in 64 bits
// (a pattern's reading minus the excess), so even INT32_MIN leaves them room.
inline constexpr WholeRange kExcess{INT32_MIN, INT32_MAX};
// --fraccion: fraction bits of a fixed-point integer; fewer than the width, said by its check.
inline constexpr WholeRange kFractionBits{0, kMaxWidth - 1};

// Whether a word that starts with '-' is a value ("-5", "-.5", "-" alone) rather than an option.
bool LooksLikeValue(std::string_view word);

// `word` as a POSIX shell reads it back: as it is when it holds only letters, digits and
// - _ . , = / +, else between single quotes (a quote in it written '\'').
std::string ShellWord(std::string_view word);

// "repbin COMMAND ARGS..." as a shell reads it back: what a sheet records to make it again, and
// what the page shows as the command that does what it did.
std::string CommandText(std::string_view command, const std::vector<std::string>& args);

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

  // Whether reading goes on after an option (-h on a sheet ends it: nothing after it matters).
  enum class After { kGoOn, kStop };

  // An option without a value.
  OptionTable& Flag(std::initializer_list<std::string_view> names, std::function<void()> set,
                    After after = After::kGoOn);
  // An option with a value, which `take` reads.
  OptionTable& Valued(std::initializer_list<std::string_view> names, Take take);
  // An option whose value is optional and comes only after '=' ("--puntos", "--puntos=20"):
  // `take` gets nothing when it is not given.
  OptionTable& OptionallyValued(
      std::initializer_list<std::string_view> names,
      std::function<std::optional<std::string>(const std::optional<std::string_view>& value)> take);
  // An option whose value is a whole number in `range`, `what` it is ("un número de bits")
  // named in the refusal.
  OptionTable& Whole(std::initializer_list<std::string_view> names, std::string what,
                     WholeRange range, std::function<void(std::int64_t)> set);
  // The floating-point layout options (-f/--formato, --exp, --pos-exp, --pos-man, --pos-signo,
  // --sis-exp, --sis-man, --norma), read into `layout`; `taken`, when given, hears the name of
  // each one taken (-f as "--formato"), after `layout` has it, and may still refuse it, saying
  // what the door accepts.
  OptionTable& Layout(
      LayoutOptions& layout,
      std::function<std::optional<std::string>(std::string_view name)> taken = nullptr);

  // The help. Rows come out in the order they are described, whatever the order of the options:
  // an option's names joined by ", " and its `argument` ("-b, --bits N"), or a `label` of one's
  // own, then `text` from the help column on; a label too long for it leaves the text to the
  // next line. Each '\n' in `text` starts a line at the help column. In a Whole option's text,
  // "{rango}" stands for its range ("de 1 a 64").
  OptionTable& Describe(std::string_view name, std::string argument, std::string text);
  OptionTable& DescribeAs(std::string_view name, std::string label, std::string text);
  // A line of its own among the rows ("  Opciones de formato:").
  OptionTable& Note(std::string line);
  // The rows, the text starting at `column` (counted from 0).
  std::string Help(std::size_t column) const;

  // "--" as an unknown option rather than the end of the options, for a line that takes no
  // words of its own.
  OptionTable& WithoutEndOfOptions();

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
    std::function<std::optional<std::string>(const std::optional<std::string_view>&)>
        optional_take;  // set for an option with a value after '=' only
    After after = After::kGoOn;
    std::optional<WholeRange> range;  // a Whole option's
  };
  struct Row {
    std::string label;
    std::string text;
  };
  const Option* Find(std::string_view name) const;
  const Option& Described(std::string_view name) const;

  std::function<std::string(std::string_view)> show_;
  bool dashes_end_options_ = true;
  std::vector<Option> options_;
  std::vector<Row> rows_;
};

}  // namespace repbin::ops
