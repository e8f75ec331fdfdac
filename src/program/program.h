// The whole program behind `main`: chooses the door from the command line (the dialogue, a
// one-shot command, or an exercise sheet) and binds it to the streams.
#pragma once

#include "dialogue/session.h"
#include "output/output.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace repbin {

// Whether `word` (argv[1]) names a command: representar, interpretar, ejercicios or
// practicar.
bool IsCommand(const std::string& word);

// Runs the command line `args` (argv without the program's name: the command, then its
// arguments). Returns the exit status: 0 done, 1 a value that does not fit, 2 a usage error or a
// refused argument (with a Spanish message on standard error).
int RunCommandLine(const std::vector<std::string>& args);

// Runs the program on its arguments (argv without the program's name), with the output layer
// bound to the streams and encodings it should use: a command when the first argument names one,
// else the dialogue with its options. Returns the exit status; a failed read of standard input
// or a failed write (reported on standard error) makes it at least 1.
int RunProgram(const std::vector<std::string>& args);

// Closes standard output after RunProgram, reporting a write that fails only then; returns
// `status`, made at least 1 by such a failure.
int CloseStandardOutput(int status);

// Runs a dialogue session reading the answers from `in`, writing through the output layer as it
// is bound (the web page's console); returns the exit status.
int RunDialogueOn(std::FILE* in);

// The page's conversions, which the web bindings reach through the program: `representar` or
// `interpretar` with its arguments, run once, as one JSON object with the trace, its lines, the
// exit status and the object --json would print (see commands/commands.h).
std::string ConversionJson(const std::vector<std::string>& args);
// The layout such a conversion's arguments describe, and how far its value is typed
// (commands.h, LayoutForPage).
std::string LayoutJson(const std::vector<std::string>& args);

// The page's operations: `operar` with its arguments, run once, as one JSON object with the
// trace, its lines, the exit status and the object --json would print (see commands/commands.h).
std::string OperationJson(const std::vector<std::string>& args);

// The page's practice rounds, which the web bindings reach through the program like every door:
// the round `args` (practicar's drawing options) asks for, its exercise `numero`, and the verdict
// on `answer` to that exercise, and its record, each as one JSON object (see
// exercises/practice.h).
std::string PracticeRoundJson(const std::vector<std::string>& args);
std::string PracticeExerciseJson(const std::vector<std::string>& args, int numero);
std::string PracticeVerdictJson(const std::vector<std::string>& args, int numero,
                                std::string_view answer);
std::string PracticeRecordJson(const std::vector<std::string>& args, int numero,
                               std::string_view answer, const std::string& ronda);

// Runs the program in memory: `input` is the whole standard input; both streams are captured in
// `encoding` (the options may change it, as on a console).
Transcript RunProgramOnText(const std::vector<std::string>& args, std::string_view input,
                            out::Encoding encoding = out::Encoding::kCp850);

}  // namespace repbin
