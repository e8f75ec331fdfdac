#include "program/program.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "commands/commands.h"
#include "dialogue/dialogue.h"
#include "dialogue/session.h"
#include "exercises/class_report.h"
#include "exercises/exercises.h"
#include "exercises/practice.h"
#include "operations/option_table.h"
#include "output/input.h"
#include "output/output.h"
#include "real/real.h"

namespace repbin {
namespace {

void PrintUsage() {
  out::Print(
      "Uso: repbin [--cp850 | --utf8] [--ampliado]\n"
      "     repbin representar SISTEMA VALOR [opciones]\n"
      "     repbin interpretar SISTEMA CADENA [opciones]\n"
      "     repbin operar SISTEMA A OP B [opciones]\n"
      "     repbin formato [SISTEMA] [opciones]\n"
      "     repbin convertir CADENA --de FORMATO --a FORMATO [opciones]\n"
      "     repbin ejercicios [opciones]\n"
      "     repbin practicar [opciones]\n"
      "     repbin informe FICHERO... [opciones]\n"
      "     repbin --help | --version\n"
      "\n"
      "Enseña cómo se representan los números en binario: escribe enteros en binario\n"
      "natural, signo-magnitud, complemento a uno y a dos y exceso Z, y números reales en\n"
      "coma flotante, y lee cadenas de bits en todos ellos, mostrando cada paso.\n"
      "Sin orden, abre el diálogo de menús: los menús y preguntas salen por la salida de\n"
      "error; los resultados, por la estándar.\n"
      "\n"
      "Órdenes:\n"
      "  representar   representa un valor en un sistema (natural, c1, c2, exceso, sm,\n"
      "                flotante) y muestra la traza\n"
      "  interpretar   interpreta una cadena de bits en un sistema y muestra la traza\n"
      "  operar        suma o resta dos enteros con los acarreos, el desbordamiento y las\n"
      "                banderas; en coma flotante (flotante) suma, resta o multiplica paso\n"
      "                a paso\n"
      "  formato       describe un formato: rango, precisión, ceros y los vecinos de un valor\n"
      "  convertir     pasa una cadena de un formato de coma flotante a otro\n"
      "  ejercicios    genera hojas de ejercicios con soluciones y bancos de preguntas\n"
      "  practicar     propone ejercicios de uno en uno, corrige cada respuesta y explica\n"
      "                lo que está mal\n"
      "  informe       resume los registros de práctica de una clase: notas, aciertos\n"
      "                por tipo y errores más frecuentes\n"
      "Cada orden tiene su ayuda: repbin representar --help\n"
      "\n"
      "Opciones:\n"
      "  --cp850     escribe los acentos en la página de códigos 850 (lo habitual,\n"
      "              salvo en un terminal UTF-8)\n"
      "  --utf8      escribe los acentos en UTF-8\n"
      "  --ampliado  añade a cada resultado un informe ampliado: en los enteros, el\n"
      "              rango, el hexadecimal y el octal, el método a mano y la cadena\n"
      "              leída en los cinco sistemas; en coma flotante, el hexadecimal, el\n"
      "              valor exacto, el error, el redondeo al más próximo, IEEE 754 y la\n"
      "              expansión binaria exacta\n"
      "  -h, --help  muestra esta ayuda y termina\n"
      "  --version   muestra la versión y termina\n"
      "\n"
      "Ejemplos:\n"
      "  repbin representar c2 -5 -b 8\n"
      "  repbin representar flotante 5.375\n"
      "  repbin interpretar flotante 01000000101011000000000000000000\n"
      "  repbin operar c2 100 + 80\n");
}

// A refused command line: one line on standard error.
int RefuseCommand(const std::string& word) {
  out::PrintErr(
      "repbin: orden desconocida: \"%s\"; escriba representar, interpretar, operar, "
      "formato, convertir, ejercicios, practicar o informe\n",
      word.c_str());
  return 2;
}

// Ends a run: a failed read of standard input or a failed write gets one line on standard error
// (a write to a pipe whose reader has left gets none, as SIGPIPE would have ended the program
// silently), and the status becomes at least 1.
// Whether this run is the dialogue, whose questions leave their line open: a message about the
// streams then starts a line of its own.
bool ran_dialogue = false;

int CheckStreams(int status) {
  out::Flush();
  const char* start = ran_dialogue ? "\n" : "";
  if (const std::optional<out::WriteFailure> failure = out::FirstWriteFailure()) {
    if (failure->error != EPIPE) {
      // When standard error is the stream that failed, this line is lost too; the status stays.
      out::PrintErr("%srepbin: no se pudo escribir en la %s: %s\n", start,
                    failure->standard_output ? "salida estándar" : "salida de error",
                    out::DescribeError(failure->error).c_str());
    }
  } else if (in::ReadError() != 0) {
    out::PrintErr("%srepbin: no se pudo leer la entrada estándar: %s\n", start,
                  out::DescribeError(in::ReadError()).c_str());
  } else {
    return status;
  }
  out::Flush();
  return std::max(status, 1);
}

// What the options before a command's name say to it.
struct Leading {
  bool ampliado = false;
  std::optional<out::Encoding> encoding;  // the last encoding option
};

int RunCommand(const std::vector<std::string>& args, const Leading& leading) {
  if (args.empty() || !IsCommand(args[0])) return RefuseCommand(args.empty() ? "" : args[0]);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  // The extended report belongs to the conversions, the operations and the sheets, not to a
  // practice round, a format card or a class report; a sheet's or a report's own encoding
  // follows an encoding option given before the command (one given after it has the last word).
  int status = 0;
  if (args[0] == "ejercicios") {
    status = RunExercises(rest, leading.ampliado, leading.encoding);
  } else if (args[0] == "practicar") {
    status = RunPractice(rest);
  } else if (args[0] == "informe") {
    status = RunClassReport(rest, leading.encoding);
  } else if (args[0] == "operar") {
    status = RunOperate(args, leading.ampliado);
  } else if (args[0] == "formato") {
    status = RunFormat(args);
  } else if (args[0] == "convertir") {
    status = RunConvert(args);
  } else {
    status = RunConversion(args, leading.ampliado);
  }
  out::Flush();
  return status;
}

// Runs the program on its arguments, leaving the streams unchecked.
int RunArguments(const std::vector<std::string>& args) {
  // The dialogue's options are read up to the first one that ends the program: --help,
  // --version or an unknown one. A command may follow them, and those that apply to it go with
  // it.
  Leading leading;
  bool help = false, version = false;
  const auto encoding = [&leading](out::Encoding e) {
    return [&leading, e] {
      leading.encoding = e;
      out::SetEncoding(e);
    };
  };
  ops::OptionTable table;
  table.Flag({"--cp850"}, encoding(out::Encoding::kCp850))
      .Flag({"--utf8"}, encoding(out::Encoding::kUtf8))
      .Flag({"--ampliado"}, [&leading] { leading.ampliado = true; })
      .Flag(
          {"-h", "--help"}, [&help] { help = true; }, ops::OptionTable::After::kStop)
      .Flag(
          {"--version"}, [&version] { version = true; }, ops::OptionTable::After::kStop);
  std::optional<std::size_t> command;
  // The dialogue takes no words, so "--" ends nothing here: it is an unknown option.
  table.WithoutEndOfOptions();
  const std::optional<std::string> refusal =
      table.Parse(args, 0, [&](std::size_t i, bool& stop) -> std::optional<std::string> {
        if (!IsCommand(args[i])) return "opción desconocida: " + args[i];
        command = i;
        stop = true;
        return std::nullopt;
      });
  if (refusal) {
    // The user's word as typed, the program's own words in the stream's encoding.
    constexpr std::string_view kUnknown = "opción desconocida: ";
    if (refusal->starts_with(kUnknown)) {
      out::PrintErr("repbin: opción desconocida: %s\n", refusal->substr(kUnknown.size()).c_str());
    } else {
      out::PrintErr("repbin: ");
      out::PrintErrText(refusal->c_str());
      out::PrintErr("\n");
    }
    const out::Sink err = out::BoundErr();
    out::Bind(err, err);  // the usage goes there too
    PrintUsage();
    out::Flush();
    return 2;
  }
  if (help) {
    PrintUsage();
    return 0;
  }
  if (version) {
    out::Print("repbin %s\n", REPBIN_VERSION);
    return 0;
  }
  if (command) {
    // The commands write UTF-8 where the system speaks it; an encoding option still decides.
    if (!leading.encoding) out::UseCommandEncodings();
    return RunCommand(
        std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(*command), args.end()),
        leading);
  }
  ran_dialogue = true;
  ops::Options options;
  options.ampliado = leading.ampliado;
  dialogue::SetDialogueOptions(options);
  const int status = RunSession(nullptr);
  dialogue::SetDialogueOptions({});  // the options were this run's
  return status;
}

}  // namespace

bool IsCommand(const std::string& word) {
  return word == "representar" || word == "interpretar" || word == "operar" ||
         word == "ejercicios" || word == "practicar" || word == "formato" || word == "convertir" ||
         word == "informe";
}

int RunCommandLine(const std::vector<std::string>& args) {
  return RunCommand(args, {});
}

int RunProgram(const std::vector<std::string>& args) {
  ran_dialogue = false;
  return CheckStreams(RunArguments(args));
}

int CloseStandardOutput(int status) {
  const bool reported = out::FirstWriteFailure().has_value();
  if (out::CloseOutput() || reported) return status;
  return CheckStreams(status);
}

std::string ConversionJson(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "representar" && args[0] != "interpretar")) {
    return R"({"traza":"","pasos":[],"estado":2,"resultado":null})";
  }
  return ConversionForPage(args);
}

std::string LayoutJson(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "representar" && args[0] != "interpretar")) {
    return R"({"estado":2,"mensaje":"","formato":null,"escritos":null})";
  }
  return LayoutForPage(args);
}

std::string OperationJson(const std::vector<std::string>& args) {
  if (args.empty() || args[0] != "operar") {
    return R"({"traza":"","pasos":[],"estado":2,"resultado":null})";
  }
  return OperationForPage(args);
}

std::string PracticeRoundJson(const std::vector<std::string>& args) {
  return exercises::PracticeRoundJson(args);
}

std::string PracticeExerciseJson(const std::vector<std::string>& args, int numero) {
  return exercises::PracticeExerciseJson(args, numero);
}

std::string PracticeVerdictJson(const std::vector<std::string>& args, int numero,
                                std::string_view answer) {
  return exercises::PracticeVerdictJson(args, numero, answer);
}

std::string PracticeRecordJson(const std::vector<std::string>& args, int numero,
                               std::string_view answer, const std::string& ronda) {
  return exercises::PracticeRecordJson(args, numero, answer, ronda);
}

int RunDialogueOn(std::FILE* in) {
  return RunSession(in);
}

Transcript RunProgramOnText(const std::vector<std::string>& args, std::string_view input,
                            out::Encoding encoding) {
  int status = 0;
  out::Captured printed = out::Capture(
      [&] {
        in::BindInputText(input);
        status = RunProgram(args);
      },
      encoding);
  in::BindInput(stdin);
  return {std::move(printed.out), std::move(printed.err), status};
}

}  // namespace repbin
