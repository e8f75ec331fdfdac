// `repbin ejercicios`: reads the options, draws and solves the exercises, writes the sheet.

#include "exercises/exercises.h"

#include <optional>
#include <string>
#include <vector>

#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "output/output.h"

namespace repbin {
namespace {

void PrintHelp() {
  out::Print(
      "Uso: repbin ejercicios [-n N] [--semilla S] [--tipos LISTA] [-b N] [-z Z]\n"
      "                       [-f FORMATO] [opciones de formato] [--salida SALIDA]\n"
      "                       [--soluciones]\n"
      "\n"
      "Crea una hoja de ejercicios de representación e interpretación, con sus soluciones\n"
      "(cada respuesta con la traza que imprime la orden de una sola conversión), o un banco\n"
      "de preguntas para Moodle (GIFT) o en JSON Lines.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(exercises::kDrawOptionsHelp);
  out::Print(
      "  --salida SALIDA    texto (lo normal), markdown, gift (Moodle) o json (JSON Lines);\n"
      "                     markdown, gift y json salen siempre en UTF-8\n"
      "  --soluciones       añade las soluciones con su traza (texto y markdown; gift y\n"
      "                     json llevan siempre las respuestas)\n"
      "  --cp850, --utf8    codificación de la salida de texto\n"
      "  -h, --help         muestra esta ayuda y termina\n"
      "\n"
      "Ejemplos:\n"
      "  repbin ejercicios -n 5 --semilla 7 --tipos c2,exceso -b 8 --soluciones\n"
      "  repbin ejercicios -n 40 --tipos flotante -f ieee16 --salida gift > banco.gift\n"
      "  repbin ejercicios -n 100 --salida json > ejercicios.jsonl\n");
}

int UsageError(const std::string& message) {
  out::PrintErr("repbin ejercicios: ");
  out::PrintErrText(message.c_str());  // its words may carry accents
  out::PrintErr("\n");
  out::PrintErr("Pruebe «repbin ejercicios --help» para ver las opciones.\n");
  return 2;
}

enum class Output { kText, kMarkdown, kGift, kJson };

}  // namespace

int RunExercises(const std::vector<std::string>& args) {
  Output output = Output::kText;
  bool soluciones = false;
  exercises::OwnOptions own;
  own.flags = {"--soluciones"};
  own.valued = {"--salida"};
  own.apply = [&](const std::string& name, const std::string& value) -> std::optional<std::string> {
    if (name == "--soluciones") {
      soluciones = true;
    } else if (value == "texto") {
      output = Output::kText;
    } else if (value == "markdown") {
      output = Output::kMarkdown;
    } else if (value == "gift") {
      output = Output::kGift;
    } else if (value == "json") {
      output = Output::kJson;
    } else {
      return "texto, markdown, gift o json";
    }
    return std::nullopt;
  };
  exercises::DrawCommandLine line;
  if (const std::optional<std::string> refusal = exercises::ReadDrawCommandLine(args, own, line)) {
    return UsageError(*refusal);
  }
  if (line.help) {
    PrintHelp();
    return 0;
  }
  exercises::SheetOptions& options = line.options;
  const std::optional<out::Encoding> encoding = line.encoding;

  exercises::SheetHeader header;
  header.command = exercises::CommandText("ejercicios", args);
  if (!line.seed) {
    line.seed = exercises::ChooseSeed();
    header.command += " --semilla " + std::to_string(*line.seed);
  }
  header.seed = options.seed = *line.seed;

  const std::vector<exercises::Exercise> sheet = exercises::Generate(options);
  if (static_cast<int>(sheet.size()) < options.count) {
    out::PrintErr(
        "repbin ejercicios: con estas opciones solo hay %i ejercicios distintos; la hoja lleva "
        "esos.\n",
        static_cast<int>(sheet.size()));
  }

  std::string text;
  switch (output) {
    case Output::kText: text = exercises::RenderText(sheet, header, soluciones); break;
    case Output::kMarkdown: text = exercises::RenderMarkdown(sheet, header, soluciones); break;
    case Output::kGift: text = exercises::RenderGift(sheet, header); break;
    case Output::kJson: text = exercises::RenderJson(sheet, header); break;
  }
  // Plain text goes out in the console's encoding; the files for other programs in UTF-8.
  const out::Encoding text_encoding = encoding.value_or(out::BoundOut().encoding);
  if (output == Output::kText && text_encoding == out::Encoding::kCp850) {
    std::string converted(text.size() + 1, '\0');
    out::Encode(text.c_str(), out::Encoding::kCp850, converted.data(), converted.size());
    converted.resize(std::char_traits<char>::length(converted.c_str()));
    text = std::move(converted);
  }
  out::Write(text.data(), text.size());
  out::Flush();
  return 0;
}

}  // namespace repbin
