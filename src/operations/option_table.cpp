#include "operations/option_table.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "output/input.h"

namespace repbin::ops {

bool LooksLikeValue(std::string_view word) {
  return word == "-" || (word.size() >= 2 && word[0] == '-' &&
                         ((word[1] >= '0' && word[1] <= '9') || word[1] == '.'));
}

std::string ShellWord(std::string_view word) {
  bool plain = !word.empty();
  for (char c : word) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.' || c == ',' || c == '=' || c == '/' ||
                      c == '+';
    plain = plain && safe;
  }
  if (plain) return std::string(word);
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string CommandText(std::string_view command, const std::vector<std::string>& args) {
  std::string text = "repbin " + std::string(command);
  for (const std::string& a : args) text += " " + ShellWord(a);
  return text;
}

OptionTable::OptionTable(std::function<std::string(std::string_view)> show)
    : show_(std::move(show)) {}

OptionTable& OptionTable::Flag(std::initializer_list<std::string_view> names,
                               std::function<void()> set, After after) {
  Option option;
  option.names = names;
  option.flag = std::move(set);
  option.after = after;
  options_.push_back(std::move(option));
  return *this;
}

OptionTable& OptionTable::Valued(std::initializer_list<std::string_view> names, Take take) {
  Option option;
  option.names = names;
  option.take = std::move(take);
  options_.push_back(std::move(option));
  return *this;
}

OptionTable& OptionTable::OptionallyValued(
    std::initializer_list<std::string_view> names,
    std::function<std::optional<std::string>(const std::optional<std::string_view>&)> take) {
  Option option;
  option.names = names;
  option.optional_take = std::move(take);
  options_.push_back(std::move(option));
  return *this;
}

OptionTable& OptionTable::Whole(std::initializer_list<std::string_view> names, std::string what,
                                WholeRange range, std::function<void(std::int64_t)> set) {
  Valued(names,
         [what = std::move(what), range,
          set = std::move(set)](std::string_view value) -> std::optional<std::string> {
           const std::optional<std::int64_t> v = in::ParseWhole<std::int64_t>(value);
           if (!v || *v < range.low || *v > range.high) {
             return what + " entre " + std::to_string(range.low) + " y " +
                    std::to_string(range.high);
           }
           set(*v);
           return std::nullopt;
         });
  options_.back().range = range;
  return *this;
}

OptionTable& OptionTable::Layout(
    LayoutOptions& layout, std::function<std::optional<std::string>(std::string_view name)> taken) {
  const auto add = [&](std::initializer_list<std::string_view> names, std::string_view name) {
    Valued(names, [&layout, name, taken](std::string_view value) -> std::optional<std::string> {
      std::optional<std::string> accepted = ApplyLayoutOption(layout, name, value);
      if (!accepted && taken) accepted = taken(name);
      return accepted;
    });
  };
  add({"-f", "--formato"}, "--formato");
  for (std::string_view name :
       {"--exp", "--pos-exp", "--pos-man", "--pos-signo", "--sis-exp", "--sis-man", "--norma"}) {
    add({name}, name);
  }
  return *this;
}

const OptionTable::Option& OptionTable::Described(std::string_view name) const {
  const Option* option = Find(name);
  // A help row for an option the table does not read is the door's mistake, not the user's.
  if (option == nullptr) throw std::logic_error("help for an unknown option: " + std::string(name));
  return *option;
}

OptionTable& OptionTable::Describe(std::string_view name, std::string argument, std::string text) {
  const Option& option = Described(name);
  std::string label;
  for (std::string_view n : option.names) label += (label.empty() ? "" : ", ") + std::string(n);
  if (!argument.empty()) label += " " + argument;
  return DescribeAs(name, std::move(label), std::move(text));
}

OptionTable& OptionTable::DescribeAs(std::string_view name, std::string label, std::string text) {
  const Option& option = Described(name);
  const std::size_t at = text.find("{rango}");
  if (at != std::string::npos && option.range) {
    text.replace(
        at, 7,
        "de " + std::to_string(option.range->low) + " a " + std::to_string(option.range->high));
  }
  rows_.push_back({std::move(label), std::move(text)});
  return *this;
}

OptionTable& OptionTable::Note(std::string line) {
  rows_.push_back({std::move(line), ""});
  return *this;
}

std::string OptionTable::Help(std::size_t column) const {
  std::string help;
  const std::string indent(column, ' ');
  for (const Row& row : rows_) {
    help += "  " + row.label;
    if (row.text.empty()) {
      help += "\n";
      continue;
    }
    if (row.label.size() + 3 > column) {
      help += "\n" + indent;
    } else {
      help += std::string(column - 2 - row.label.size(), ' ');
    }
    for (char c : row.text) help += c == '\n' ? "\n" + indent : std::string(1, c);
    help += "\n";
  }
  return help;
}

OptionTable& OptionTable::WithoutEndOfOptions() {
  dashes_end_options_ = false;
  return *this;
}

const OptionTable::Option* OptionTable::Find(std::string_view name) const {
  for (const Option& option : options_) {
    if (std::find(option.names.begin(), option.names.end(), name) != option.names.end()) {
      return &option;
    }
  }
  return nullptr;
}

bool OptionTable::Has(std::string_view name) const {
  return Find(name) != nullptr;
}

bool OptionTable::TakesValue(std::string_view name) const {
  const Option* option = Find(name);
  return option != nullptr && option->take != nullptr;
}

std::optional<std::string> OptionTable::Parse(const std::vector<std::string>& args,
                                              std::size_t first,
                                              const Positional& positional) const {
  const auto shown = [&](std::string_view value) {
    return show_ ? show_(value) : std::string(value);
  };
  bool options_ended = false;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string_view word = args[i];
    if (!options_ended && word == "--" && dashes_end_options_) {
      options_ended = true;
      continue;
    }
    if (options_ended || word.size() < 2 || word[0] != '-' || LooksLikeValue(word)) {
      bool stop = false;
      if (std::optional<std::string> refusal = positional(i, stop)) return refusal;
      if (stop) return std::nullopt;
      continue;
    }
    std::string_view name = word;
    std::optional<std::string_view> attached;  // --option=value
    const std::size_t equals = word.find('=');
    if (word.starts_with("--") && equals != std::string_view::npos) {
      name = word.substr(0, equals);
      attached = word.substr(equals + 1);
    }
    const Option* option = Find(name);
    if (option == nullptr) return "opción desconocida: " + std::string(name);
    if (option->flag) {
      if (attached) return "la opción " + std::string(name) + " no lleva valor";
      option->flag();
      if (option->after == After::kStop) return std::nullopt;
      continue;
    }
    if (option->optional_take) {
      if (std::optional<std::string> accepted = option->optional_take(attached)) {
        return std::string(name) + " espera " + *accepted + ", no «" +
               shown(attached.value_or("")) + "»";
      }
      continue;
    }
    if (!attached && i + 1 == args.size()) return "falta el valor de " + std::string(name);
    const std::string_view value = attached ? *attached : std::string_view(args[++i]);
    if (std::optional<std::string> accepted = option->take(value)) {
      return std::string(name) + " espera " + *accepted + ", no «" + shown(value) + "»";
    }
  }
  return std::nullopt;
}

}  // namespace repbin::ops
