// Exercise sheets: exercises drawn from a seed, each solved by the operations themselves, and
// the six ways of writing a sheet (plain text, Markdown, a printable HTML page, Moodle GIFT,
// Moodle XML, JSON Lines), all rendered from the same exercises, written as they are drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operations/operations.h"
#include "real/format.h"

namespace repbin::exercises {

// Representing and interpreting are posed in every system; adding and subtracting in the integer
// systems, adding and multiplying in floating point (see arithmetic_exercises.h).
enum class Operation { kRepresent, kInterpret, kAdd, kSubtract, kMultiply };

// One kind of exercise: an operation in a system. A fixed-point kind (`fija`) represents or
// reads in natural, sign-magnitude, one's or two's complement with fraction bits.
struct Kind {
  Operation operation;
  ops::System system;
  bool fija = false;
  bool operator==(const Kind&) const = default;
};

// Every kind, representations first, in the order of the systems' menu.
std::vector<Kind> AllKinds();

// The fixed-point kinds, representations first, in the order of the systems' menu; they are drawn
// only when a sheet names them.
std::vector<Kind> FixedKinds();

// "representar-c2", "interpretar-flotante", "representar-fija-c2": the kind's name in JSON and in
// GIFT's categories.
std::string KindName(const Kind& kind);

// The kind as a Spanish heading: "Representación en complemento a dos".
std::string KindTitle(const Kind& kind);

struct Exercise {
  int numero = 0;    // position in its variant, from 1
  int variante = 0;  // 0 for variant A, 1 for B...
  Kind kind{Operation::kRepresent, ops::System::kNatural};
  int bits = 0;                    // the integer width, or the floating format's width
  int exceso = 0;                  // the excess of an `exceso` exercise
  int fraccion = 0;                // the fraction bits of a fixed-point exercise
  FloatFormat formato{};           // the floating format of a `flotante` exercise
  std::string preset;              // its preset name ("ieee32"), or empty for a layout of its own
  std::string dato;                // what the student converts: a decimal value or a bit string
  std::string enunciado;           // the statement, complete on its own (UTF-8)
  std::vector<std::string> orden;  // the one-shot command's arguments that solve it
  std::string respuesta;           // the bit string, "Fuera de Rango", or the value as printed
  std::optional<bool> en_rango;    // for representations: whether the value fits
  std::string traza;               // what the one-shot command prints on standard output (UTF-8)
  // Arithmetic exercises: the two operands as the command takes them ("0b0101", "-5", "2.75"),
  // the operator ("+", "-", "x"), whether the result lies outside the range, and for floating
  // point the rounding the statement asks for ("truncar", "cercano").
  std::vector<std::string> operandos;
  std::string operador;
  std::optional<bool> desborda;
  std::string redondeo;
};

struct SheetOptions {
  int count = 10;  // exercises in each variant
  std::uint64_t seed = 0;
  std::vector<Kind> kinds;             // empty: every kind
  std::optional<int> bits;             // the integer width; when absent, widths that suit
  std::optional<int> exceso;           // the integer excess; when absent, 2^(n-1) or 2^(n-1)-1
  std::optional<FloatFormat> formato;  // the floating format; when absent, a mix
  std::string preset;                  // the preset's name when `formato` is one unchanged
  // Versions of the sheet, 1 to 26: exercise i of every variant has the kind, width, excess and
  // format of variant A's exercise i, with its value drawn afresh.
  int variantes = 1;
  // Floating-point values to represent that need rounding in their format are allowed; their
  // statement says to truncate the mantissa. Otherwise every such value is exactly
  // representable, so truncating and rounding to nearest give the same pattern.
  bool inexactos = false;
  // 1: small widths, IEEE formats and short fractions; 2: the usual mix; 3: wide integers,
  // layouts of their own with complement mantissas, long fractions.
  int dificultad = 2;
  // False leaves every `traza` empty: statements alone need no trace, and drawing is faster.
  bool trazas = true;
  ops::Options report;  // the solutions' traces carry the extended report
};

// Draws the exercises, variant A's first, then B's..., and hands each one, solved (answer and
// trace by the operation functions), to `each` as soon as it is drawn, so a sheet of any length
// needs no more memory than one exercise. The same options and seed give the same exercises on
// every platform. No two exercises of one variant pose the same value or string. Returns how
// many exercises each variant has: fewer than `count` only when the options do not allow that
// many different ones. The program-wide settings (width, excess, floating format) are as they
// were when it returns.
int GenerateEach(const SheetOptions& options, const std::function<void(const Exercise&)>& each);

// Variant A's exercises of GenerateEach, drawn one at a time as they are asked for: the same
// exercises in the same order, with no more memory than the values posed so far (to keep them
// different) whatever the count. The program-wide settings are as they were between calls.
class ExerciseStream {
 public:
  explicit ExerciseStream(const SheetOptions& options);
  ~ExerciseStream();
  ExerciseStream(ExerciseStream&&) noexcept;
  ExerciseStream& operator=(ExerciseStream&&) noexcept;

  // The next exercise; nothing once `count` have been drawn, or when the options allow no other.
  std::optional<Exercise> Next();
  // How many have been drawn.
  int Drawn() const;

 private:
  class Draw;
  std::unique_ptr<Draw> generator_;
};

// All the exercises of GenerateEach, in its order.
std::vector<Exercise> Generate(const SheetOptions& options);

// What a sheet says about itself besides its exercises.
struct SheetHeader {
  std::uint64_t seed = 0;
  std::string command;  // the command line that makes the sheet again
  std::string titulo;   // empty: "Hoja de ejercicios de repbin"
  int variantes = 1;
  // Each exercise's points in hundredths, by its number (puntos[0] for exercise 1); empty when
  // the sheet prints none.
  std::vector<int> puntos;
  // Blank lines of working space under each exercise of the students' pages.
  int espacio = 0;
};

enum class Form { kText, kMarkdown, kHtml, kGift, kJson, kMoodle };

// Writes a sheet while its exercises are drawn. Add() takes every exercise in the order drawn;
// then, when WantsKeys(), AddAnswer() takes every exercise again in the same order (the answer
// table of each variant, for marking: number, answer, points), and AddKey() once more, with the
// traces (text, Markdown and HTML write the key after all the variants); Finish() closes the
// sheet. Everything
// is appended to `out` (UTF-8), which the caller may write out and empty between calls.
class SheetWriter {
 public:
  SheetWriter(Form form, const SheetHeader& header, bool soluciones, std::string& out);
  // Whether Add() uses the traces (GIFT, Moodle XML and JSON carry them with each question).
  bool TracesFirst() const;
  // Whether a second round of exercises, for the answer key, is wanted.
  bool WantsKeys() const;
  void Add(const Exercise& e);
  void AddAnswer(const Exercise& e);
  void AddKey(const Exercise& e);
  void Finish();

 private:
  void Begin();
  void BeginVariant(int variante);
  void Statement(const Exercise& e);
  void Question(const Exercise& e);
  void GiftQuestion(const Exercise& e);
  void MoodleQuestion(const Exercise& e);
  bool NewCategory(const std::string& category);
  void OpenKeySection(const std::string& heading, const char* html_class, const char* closing);

  Form form_;
  const SheetHeader& header_;
  bool soluciones_;
  std::string& out_;
  bool begun_ = false;
  int variant_ = -1;         // the variant whose statements are being written
  int answer_variant_ = -1;  // the variant whose answer table is being written
  int key_variant_ = -1;     // the variant whose key is being written
  bool key_begun_ = false;   // the teacher's part, which opens with the seed, has begun
  std::string closing_;      // HTML: what closes the section being written
  std::string category_;     // GIFT, Moodle XML: the category of the last question
};

// `text` with &, <, > and " as HTML entities, for a page's text and attributes.
std::string HtmlEscape(const std::string& text);

// `text` as XML character data or a value in double quotes: & < > " as entities, a carriage
// return as &#13; (a parser would make it a line feed), and the control characters XML 1.0
// cannot hold as U+FFFD.
std::string XmlEscape(const std::string& text);

// "Semilla S; para crear de nuevo esta hoja: COMMAND": what makes the sheet, and so its key,
// again. Only the key says it; a student's page never does.
std::string Recreate(const SheetHeader& header);

// A whole sheet in one string, rendered through a SheetWriter; `soluciones` adds the answer key
// (text, Markdown, HTML; GIFT and JSON always carry the answers).
std::string Render(Form form, const std::vector<Exercise>& sheet, const SheetHeader& header,
                   bool soluciones);
std::string RenderText(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones);
std::string RenderMarkdown(const std::vector<Exercise>& sheet, const SheetHeader& header,
                           bool soluciones);
std::string RenderHtml(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones);
std::string RenderGift(const std::vector<Exercise>& sheet, const SheetHeader& header);
std::string RenderJson(const std::vector<Exercise>& sheet, const SheetHeader& header);
std::string RenderMoodle(const std::vector<Exercise>& sheet, const SheetHeader& header);

// `text` with GIFT's special characters (~ = # { } : and backslash) escaped, and line ends
// written as \n, so that it stays on one line.
std::string GiftEscape(const std::string& text);

// The accepted answers of a representation in GIFT: the bit string, the same grouped in fours
// with spaces (from the right, and from the left when that differs), and for a floating-point
// pattern its hexadecimal ("0x4AC0"); "Fuera de Rango" alone.
std::vector<std::string> AcceptedAnswers(const Exercise& e);

// How a question bank asks for an exercise's answer: a number, right within a tolerance, or a
// text with the forms accepted. GIFT and Moodle XML both ask what this says.
struct BankAnswer {
  // Numerical: each value accepted, with its tolerance ("" when it must be exact); at a tie of
  // the printed decimals, both roundings.
  std::vector<std::pair<std::string, std::string>> numbers;
  // Short answer: every accepted text, the key first (AcceptedAnswers).
  std::vector<std::string> texts;
};
BankAnswer BankAnswerOf(const Exercise& e);

// A field of a floating-point pattern: where it starts, how many bits, and its Spanish name.
struct PatternField {
  int start = 0;
  int width = 0;
  const char* name = "";
};

// The fields of a floating-point layout in their order in the pattern ("signo", "exponente",
// "mantisa"), a field of no width left out.
std::vector<PatternField> LayoutFields(const FloatFormat& f);

// `text` with tabs expanded to the next multiple of 8 columns.
std::string ExpandTabs(const std::string& text);

// "1 punto", "2.5 puntos", "0.33 puntos" for a number of hundredths.
std::string PointsText(int hundredths);

}  // namespace repbin::exercises
