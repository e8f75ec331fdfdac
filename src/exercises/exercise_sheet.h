// Exercise sheets: exercises drawn from a seed, each solved by the operations themselves, and
// the four ways of writing a sheet (plain text, Markdown, Moodle GIFT, JSON Lines), all rendered
// from the same list of exercises.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operations/operations.h"
#include "real/format.h"

namespace repbin::exercises {

enum class Operation { kRepresent, kInterpret };

// One kind of exercise: an operation in a system.
struct Kind {
  Operation operation;
  ops::System system;
  bool operator==(const Kind&) const = default;
};

// Every kind, representations first, in the order of the systems' menu.
std::vector<Kind> AllKinds();

// "representar-c2", "interpretar-flotante": the kind's name in JSON and in GIFT's categories.
std::string KindName(const Kind& kind);

struct Exercise {
  int numero = 0;  // position on the sheet, from 1
  Kind kind{Operation::kRepresent, ops::System::kNatural};
  int bits = 0;                    // the integer width, or the floating format's width
  int exceso = 0;                  // the excess of an `exceso` exercise
  FloatFormat formato{};           // the floating format of a `flotante` exercise
  std::string preset;              // its preset name ("ieee32"), or empty for a layout of its own
  std::string dato;                // what the student converts: a decimal value or a bit string
  std::string enunciado;           // the statement, complete on its own (UTF-8)
  std::vector<std::string> orden;  // the one-shot command's arguments that solve it
  std::string respuesta;           // the bit string, "Fuera de Rango", or the value as printed
  std::optional<bool> en_rango;    // for representations: whether the value fits
  std::string traza;               // what the one-shot command prints on standard output (UTF-8)
};

struct SheetOptions {
  int count = 10;
  std::uint64_t seed = 0;
  std::vector<Kind> kinds;             // empty: every kind
  std::optional<int> bits;             // the integer width; when absent, widths that suit
  std::optional<int> exceso;           // the integer excess; when absent, 2^(n-1) or 2^(n-1)-1
  std::optional<FloatFormat> formato;  // the floating format; when absent, a mix
  std::string preset;                  // the preset's name when `formato` is one unchanged
  ops::Options report;                 // the solutions' traces carry the extended report
};

// The exercises of a sheet, each solved (answer and trace) by the operation functions. The same
// options and seed give the same exercises on every platform. Fewer than `count` come back only
// when the options do not allow that many different exercises. The program-wide settings (width,
// excess, floating format) are as they were when it returns.
std::vector<Exercise> Generate(const SheetOptions& options);

// What a sheet says about itself: the seed, and the command line that makes it again.
struct SheetHeader {
  std::uint64_t seed = 0;
  std::string command;
};

// The sheet in UTF-8; `soluciones` adds the answer key (text and Markdown; GIFT and JSON always
// carry the answers).
std::string RenderText(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones);
std::string RenderMarkdown(const std::vector<Exercise>& sheet, const SheetHeader& header,
                           bool soluciones);
std::string RenderGift(const std::vector<Exercise>& sheet, const SheetHeader& header);
std::string RenderJson(const std::vector<Exercise>& sheet, const SheetHeader& header);

// `text` with GIFT's special characters (~ = # { } : and backslash) escaped, and line ends
// written as \n, so that it stays on one line.
std::string GiftEscape(const std::string& text);

}  // namespace repbin::exercises
