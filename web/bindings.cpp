// What the web page (app.js, practice.js, operate.js) calls in the WebAssembly module: a whole
// dialogue session on the answers typed so far, one command line, and the practice rounds. Both
// print through the output layer into one UTF-8 text, standard output and standard error merged in
// program order, as a terminal shows them.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // fopencookie
#endif

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "operations/option_table.h"
#include "output/input.h"
#include "output/output.h"
#include "program/program.h"

namespace {

// The answers, read through a C stream that notes whether the program asked for more than there
// is (the session is still waiting for the user, not ended by "0) Salir") and how much had been
// printed by then. The page shows the dialogue up to that question only: whatever a session cut
// short would print on its way out is not the next question's text, so it is left out and the
// console only ever grows by appending.
struct Answers {
  std::string_view text;
  std::size_t pos = 0;
  bool exhausted = false;
  std::size_t printed_before = 0;
};

ssize_t ReadAnswers(void* cookie, char* buffer, std::size_t size) {
  auto& answers = *static_cast<Answers*>(cookie);
  const std::size_t n = std::min(size, answers.text.size() - answers.pos);
  if (n == 0 && !answers.exhausted) {
    answers.exhausted = true;
    repbin::out::Flush();
    const std::string* printed = repbin::out::BoundOut().text;
    answers.printed_before = printed != nullptr ? printed->size() : 0;
  }
  std::memcpy(buffer, answers.text.data() + answers.pos, n);
  answers.pos += n;
  return static_cast<ssize_t>(n);
}

std::string result;
int status = 0;
int finished = 0;

// Arguments separated by '\n'.
std::vector<std::string> Words(std::string_view rest) {
  std::vector<std::string> args;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    args.emplace_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return args;
}

}  // namespace

extern "C" {

// Runs a session on `input` (the answers, one per line) and returns what it printed up to the
// question that found no answer; repbin_finished() then says whether the session ended before
// that (the user left it with "0").
const char* repbin_session(const char* input) {
  Answers answers{input};
  cookie_io_functions_t io{};
  io.read = ReadAnswers;
  std::FILE* in = fopencookie(&answers, "r", io);
  if (in == nullptr) {
    result = "No se pudo preparar la entrada.\n";
    finished = 1;
    return result.c_str();
  }
  result = repbin::out::CaptureMerged([&] { status = repbin::RunDialogueOn(in); },
                                      repbin::out::Encoding::kUtf8);
  repbin::in::BindInput(stdin);
  std::fclose(in);
  if (answers.exhausted) result.resize(answers.printed_before);
  finished = answers.exhausted ? 0 : 1;
  return result.c_str();
}

// Runs one command line, its arguments separated by '\n', and returns what it printed;
// repbin_status() then gives its exit status.
const char* repbin_command(const char* line) {
  const std::vector<std::string> args = Words(line);
  result = repbin::out::CaptureMerged([&] { status = repbin::RunCommandLine(args); },
                                      repbin::out::Encoding::kUtf8);
  return result.c_str();
}

// A command line, the command and its arguments separated by '\n', as a shell reads it back
// ("repbin representar flotante 0.1 -f 'bits=8,exp=4'"): the page's "orden equivalente".
const char* repbin_command_line(const char* line) {
  const std::vector<std::string> words = Words(line);
  result = words.empty() ? "repbin"
                         : repbin::ops::CommandText(
                               words[0], std::vector<std::string>(words.begin() + 1, words.end()));
  return result.c_str();
}

// One conversion, `representar` or `interpretar` and its arguments separated by '\n', run once:
// its trace, lines, status and JSON object together, as one JSON object.
const char* repbin_convert(const char* line) {
  result = repbin::ConversionJson(Words(line));
  return result.c_str();
}

// The layout that a conversion's arguments (separated by '\n', the value may be left out)
// describe, field by field with each bit's weight and the Spanish labels, and how far the value
// typed so far has come, as one JSON object.
const char* repbin_layout(const char* line) {
  result = repbin::LayoutJson(Words(line));
  return result.c_str();
}

// One operation, `operar` and its arguments separated by '\n', run once: its trace, lines,
// status and JSON object together, as one JSON object (the "Operar" tab, operate.js).
const char* repbin_operate(const char* line) {
  result = repbin::OperationJson(Words(line));
  return result.c_str();
}

// The practice round that `options` (practicar's drawing options, separated by '\n') ask for,
// as JSON (exercises/practice.h).
const char* repbin_practice_round(const char* options) {
  result = repbin::PracticeRoundJson(Words(options));
  return result.c_str();
}

// Exercise `numero` of that round (its seed among the options), drawn when asked for, as JSON.
const char* repbin_practice_exercise(const char* options, int numero) {
  result = repbin::PracticeExerciseJson(Words(options), numero);
  return result.c_str();
}

// The verdict on `answer` to exercise `numero` of that round, as JSON.
const char* repbin_practice_verdict(const char* options, int numero, const char* answer) {
  result = repbin::PracticeVerdictJson(Words(options), numero, answer);
  return result.c_str();
}

// The record of `answer` to exercise `numero` of that round (`ronda` its id), as the console's
// record file holds it: one JSON object.
const char* repbin_practice_record(const char* options, int numero, const char* answer,
                                   const char* ronda) {
  result = repbin::PracticeRecordJson(Words(options), numero, answer, ronda);
  return result.c_str();
}

int repbin_finished() {
  return finished;
}

int repbin_status() {
  return status;
}

}  // extern "C"
