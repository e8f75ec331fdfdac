#include "operations/option_table.h"

#include <algorithm>
#include <utility>

#include "output/input.h"

namespace repbin::ops {

bool LooksLikeValue(std::string_view word) {
  return word == "-" || (word.size() >= 2 && word[0] == '-' &&
                         ((word[1] >= '0' && word[1] <= '9') || word[1] == '.'));
}

OptionTable::OptionTable(std::function<std::string(std::string_view)> show)
    : show_(std::move(show)) {}

OptionTable& OptionTable::Flag(std::initializer_list<std::string_view> names,
                               std::function<void()> set) {
  options_.push_back({names, std::move(set), nullptr});
  return *this;
}

OptionTable& OptionTable::Valued(std::initializer_list<std::string_view> names, Take take) {
  options_.push_back({names, nullptr, std::move(take)});
  return *this;
}

OptionTable& OptionTable::Whole(std::initializer_list<std::string_view> names, std::string what,
                                std::int64_t low, std::int64_t high,
                                std::function<void(std::int64_t)> set) {
  return Valued(names,
                [what = std::move(what), low, high,
                 set = std::move(set)](std::string_view value) -> std::optional<std::string> {
                  const std::optional<std::int64_t> v = in::ParseWhole<std::int64_t>(value);
                  if (!v || *v < low || *v > high) {
                    return what + " entre " + std::to_string(low) + " y " + std::to_string(high);
                  }
                  set(*v);
                  return std::nullopt;
                });
}

OptionTable& OptionTable::Layout(LayoutOptions& layout) {
  for (std::string_view name : {"-f", "--formato", "--exp", "--pos-exp", "--pos-man", "--pos-signo",
                                "--sis-exp", "--sis-man", "--norma"}) {
    options_.push_back({{name}, nullptr, [&layout, name](std::string_view value) {
                          return ApplyLayoutOption(layout, name, value);
                        }});
  }
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
    if (!options_ended && word == "--") {
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
