// The one-shot commands: the same lines as the dialogue, usage errors and exit statuses, JSON
// read back, batches.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "program/program.h"
#include "support.h"

namespace {

using repbin::RunProgramOnText;
using repbin::RunSessionOnText;
using repbin::Transcript;
using repbin::test::Cp850;
using Args = std::vector<std::string>;

const std::string kSep = std::string(58, '=') + "\n";
// What each menu prints on standard output before its item's own lines.
const std::string kRepresentationMenu = kSep + Cp850(" Representación \n");
const std::string kInterpretationMenu = "\n" + kSep;
const std::string kIeee32 = "8 1 9 0 3 127 0 1 ";

Transcript Command(const Args& args, const std::string& input = "") {
  return RunProgramOnText(args, input);
}

// For every system, a preset and custom layouts, the command prints on standard output exactly
// the lines the dialogue prints for the same answers, after the menu's own lines.
TEST(CommandsTest, SameLinesAsTheDialogue) {
  struct Case {
    const char* why;
    std::string answers;  // the dialogue's, after the main menu's choice
    Args args;
    std::string menu;
    std::string after = "";  // what the command adds after the dialogue's last line
  };
  const std::vector<Case> cases = {
      {"natural binary at the start width",
       "1 1 5",
       {"representar", "natural", "5"},
       kRepresentationMenu},
      {"two's complement of a negative value",
       "1 6 8 1 3 -5",
       {"representar", "c2", "-5", "-b", "8"},
       kRepresentationMenu},
      {"one's complement, long name",
       "1 6 8 1 2 -5",
       {"representar", "complemento-a-uno", "-5", "--bits=8"},
       kRepresentationMenu},
      {"excess, out of range",
       "1 6 8 1 4 127 -128",
       {"representar", "exceso", "-128", "-b", "8"},
       kRepresentationMenu},
      {"sign-magnitude at 64 bits",
       "1 6 64 1 7 -2147483648",
       {"representar", "sm", "-2147483648", "-b", "64"},
       kRepresentationMenu},
      {"natural reading",
       "2 1 8 00000101",
       {"interpretar", "natural", "00000101"},
       kInterpretationMenu},
      {"two's complement reading",
       "2 3 4 1110",
       {"interpretar", "c2", "1110"},
       kInterpretationMenu},
      {"one's complement reading",
       "2 2 4 1110",
       {"interpretar", "c1", "1110"},
       kInterpretationMenu},
      {"excess reading",
       "2 4 8 100 10000000",
       {"interpretar", "exceso", "10000000", "-z", "100"},
       kInterpretationMenu},
      {"sign-magnitude reading", "2 6 4 1111", {"interpretar", "sm", "1111"}, kInterpretationMenu},
      {"ieee32 from fixed-point text",
       "1 5 " + kIeee32 + "0 5.375",
       {"representar", "flotante", "5.375"},
       kRepresentationMenu},
      {"ieee32 from a floating value",
       "1 5 " + kIeee32 + "1 -0.1",
       {"representar", "flotante", "-0.1", "--valor"},
       kRepresentationMenu},
      {"ieee16 preset",
       "1 6 16 1 5 5 1 6 0 3 15 0 1 0 -0.1875",
       {"representar", "flotante", "-0.1875", "-f", "ieee16"},
       kRepresentationMenu},
      {"a preset changed by a later option",
       "1 5 8 1 9 0 3 127 0 0 0 2.5",
       {"representar", "flotante", "2.5", "-f", "ieee32", "--norma", "0M"},
       kRepresentationMenu},
      {"custom layout: complements, 0'1M",
       "1 6 16 1 5 5 11 1 0 2 1 2 0 -0.1875",
       {"representar", "flotante", "-0.1875", "-b", "16", "--exp", "5", "--pos-exp", "11",
        "--pos-man", "1", "--pos-signo", "0", "--sis-exp", "c2", "--sis-man", "c1", "--norma",
        "01M"},
       kRepresentationMenu},
      {"custom excess of the exponent",
       "1 5 8 1 9 0 3 100 0 1 0 1.5",
       {"representar", "flotante", "1.5", "-z", "100"},
       kRepresentationMenu},
      {"ieee32 reading",
       "2 5 32 " + kIeee32 + "11000000001000000000000000000000",
       {"interpretar", "flotante", "11000000001000000000000000000000"},
       kInterpretationMenu,
       "\n"},
      {"bfloat16 reading",
       "2 5 16 8 1 9 0 3 127 0 1 0100000010110000",
       {"interpretar", "flotante", "0100000010110000", "-f", "bfloat16"},
       kInterpretationMenu,
       "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string dialogue = RunSessionOnText(c.answers + " 0\n").out + c.after;
    const std::string command = Command(c.args).out;
    // Before the item's lines, the menu's own (twice when the width was changed first).
    ASSERT_TRUE(dialogue.ends_with(command)) << dialogue << "\n---\n" << command;
    const std::string menus = dialogue.substr(0, dialogue.size() - command.size());
    EXPECT_TRUE(menus == c.menu || menus == c.menu + c.menu) << menus;
  }
}

TEST(CommandsTest, ExitStatuses) {
  struct Case {
    const char* why;
    Args args;
    int status;
    std::string err_has;  // a piece of the message on standard error
  };
  std::vector<Case> cases = {
      {"done", {"representar", "c2", "7", "-b", "4"}, 0, ""},
      {"does not fit", {"representar", "c2", "8", "-b", "4"}, 1, ""},
      {"sign-magnitude says it on standard error",
       {"representar", "sm", "8", "-b", "4"},
       1,
       "Fuera de Rango"},
      {"exponent beyond its field",
       {"representar", "flotante", "1e30", "--valor", "-f", "ieee16"},
       1,
       "el exponente no cabe"},
      {"an exponent a named format reserves",
       {"representar", "flotante", "70000", "-f", "ieee16"},
       1,
       "en ieee16 el exponente 11111 está reservado a infinitos y NaN"},
      {"a subnormal value in a named format",
       {"representar", "flotante", "0.00004", "-f", "ieee16"},
       1,
       "el exponente 00000 está reservado"},
      {"the largest value of a named format",
       {"representar", "flotante", "65504", "-f", "ieee16"},
       0,
       ""},
      {"a value that would take zero's pattern",
       {"representar", "flotante", "0.000030517578125", "-f", "ieee16"},
       1,
       "el exponente no cabe"},
      {"no system", {"representar"}, 2, "falta el SISTEMA"},
      {"unknown system", {"representar", "octal", "5"}, 2, "sistema desconocido"},
      {"no value", {"interpretar", "c2"}, 2, "falta la CADENA"},
      {"not an integer", {"representar", "c2", "5.5"}, 2, "número entero"},
      {"int range", {"representar", "c2", "2147483648"}, 2, "número entero"},
      {"width", {"representar", "c2", "5", "-b", "65"}, 2, "entre 1 y 64"},
      {"option without its value", {"representar", "c2", "5", "-b"}, 2, "falta el valor de -b"},
      {"unknown option", {"representar", "c2", "5", "--rapido"}, 2, "opción desconocida"},
      {"a layout option with an integer system",
       {"representar", "c2", "5", "--exp", "4"},
       2,
       "solo vale para flotante"},
      {"bits that disagree with the string",
       {"interpretar", "c2", "0101", "-b", "8"},
       2,
       "--bits dice 8"},
      {"characters other than 0 and 1", {"interpretar", "natural", "0121"}, 2, "0 y 1"},
      {"sign-magnitude needs two bits", {"interpretar", "sm", "1"}, 2, "entre 2 y 64"},
      {"string of another width than the format",
       {"interpretar", "flotante", "0101"},
       2,
       "el formato 32"},
      {"unknown preset", {"representar", "flotante", "1", "-f", "ieee128"}, 2, "ieee32"},
      {"layout refused by the dialogue's rule",
       {"representar", "flotante", "1", "--pos-man", "3"},
       2,
       "solo puede estar en la posición"},
      {"exponent too wide",
       {"representar", "flotante", "1", "-b", "8", "--exp", "7"},
       2,
       "entre 1 y 6 bits"},
      {"fixed-point text with an exponent", {"representar", "flotante", ".5e1"}, 2, "ni exponente"},
      {"a floating value that is not finite",
       {"representar", "flotante", "inf", "--valor"},
       2,
       "finito"},
      {"one value too many", {"representar", "c2", "1", "2"}, 2, "sobra"},
      {"what an option accepts, in the stream's encoding",
       {"representar", "flotante", "1", "--pos-exp", "x"},
       2,
       "--pos-exp espera una posición entre 0 y 63, no «x»"},
      {"the same for a width", {"representar", "c2", "1", "-b", "x"}, 2, "un número de bits"},
  };
  // Fixed-point text that is not a decimal number is refused, never read as 0 or as its digits.
  for (const char* text : {"abc", "1e-10", "1/3", "--5", "5.5.5"}) {
    cases.push_back({text, {"representar", "flotante", "--", text}, 2, "número en coma fija"});
  }
  cases.push_back({"comma", {"representar", "flotante", "0,1"}, 2, "use el punto decimal: 0.1\n"});
  cases.push_back(
      {"too small", {"representar", "flotante", "0.00000000000000000001"}, 2, "opción --valor)"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const Transcript t = Command(c.args);
    EXPECT_EQ(t.status, c.status);
    EXPECT_NE(t.err.find(Cp850(c.err_has)), std::string::npos) << t.err;
    if (c.status == 2) {
      EXPECT_EQ(t.out, "");
    }
  }
  // An exponent beyond its field is said on standard output too, right after its trace, by the
  // command and by the dialogue alike.
  const std::string said = "\n Fuera de Rango\n Resumiendo ....\n";
  EXPECT_NE(Command({"representar", "flotante", "1000000", "-f", "ieee16"}).out.find(said),
            std::string::npos);
  const Transcript dialogue = RunSessionOnText("1 5 8 1 9 0 3 127 0 1 1 1e-45 0\n");
  EXPECT_NE(dialogue.out.find("\n Fuera de Rango\n\n El dato representar es "), std::string::npos)
      << dialogue.out;
}

// Zero has no normalised form: IEEE 754's +0 and -0, from text and from a value, status 0.
TEST(CommandsTest, ZeroIsIeeeZero) {
  for (const auto& [format, bits] :
       {std::pair<std::string, std::size_t>{"ieee32", 32}, {"ieee64", 64}}) {
    for (const std::string value : {"0", "-0", "0.000", "-.0"}) {
      for (const bool as_value : {false, true}) {
        SCOPED_TRACE(format + " " + value + (as_value ? " --valor" : ""));
        Args args = {"representar", "flotante", value, "-f", format, "--json"};
        if (as_value) args.push_back("--valor");
        const Transcript t = Command(args);
        EXPECT_EQ(t.status, 0);
        const nlohmann::json object = nlohmann::json::parse(t.out);
        EXPECT_EQ(object["cadena"], (value[0] == '-' ? "1" : "0") + std::string(bits - 1, '0'));
        EXPECT_EQ(object["ieee"]["clase"], "cero");
      }
    }
  }
}

TEST(CommandsTest, HelpOfEachCommand) {
  for (const char* command : {"representar", "interpretar", "ejercicios"}) {
    const Transcript t = Command({command, "--help"});
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.out.rfind(std::string("Uso: repbin ") + command, 0), 0u) << t.out;
    // Every accent in code page 850, the shared option texts included: no UTF-8 lead byte.
    EXPECT_EQ(t.out.find('\xC3'), std::string::npos) << command;
  }
  const Transcript top = RunProgramOnText({"--help"}, "");
  for (const char* piece : {"representar", "interpretar", "ejercicios", "--ampliado"}) {
    EXPECT_NE(top.out.find(piece), std::string::npos) << piece;
  }
}

nlohmann::json Json(const Args& args) {
  const Transcript t = Command(args);
  EXPECT_EQ(t.out.back(), '\n');
  return nlohmann::json::parse(t.out);
}

TEST(CommandsTest, JsonFields) {
  const auto c2 = Json({"representar", "c2", "-5", "-b", "8", "--json"});
  EXPECT_EQ(c2["operacion"], "representar");
  EXPECT_EQ(c2["sistema"], "c2");
  EXPECT_EQ(c2["bits"], 8);
  EXPECT_EQ(c2["cadena"], "11111011");
  EXPECT_EQ(c2["valor"], -5);
  EXPECT_EQ(c2["en_rango"], true);

  const auto excess = Json({"representar", "exceso", "-128", "-b", "8", "--json"});
  EXPECT_EQ(excess["en_rango"], false);
  EXPECT_EQ(excess["exceso"], 127);

  const auto natural = Json({"interpretar", "natural", std::string(64, '1'), "--json"});
  EXPECT_EQ(natural["valor"].get<std::uint64_t>(), 18446744073709551615u);

  // 0.1 in half precision, by the doubling of the fixed-point text (truncated).
  const auto half = Json({"representar", "flotante", "0.1", "-f", "ieee16", "--json"});
  EXPECT_EQ(half["cadena"], "0010111001100110");
  EXPECT_EQ(half["hex"], "0x2E66");
  EXPECT_EQ(half["signo"], "0");
  EXPECT_EQ(half["exponente"]["cadena"], "01011");
  EXPECT_EQ(half["exponente"]["valor"], -4);
  EXPECT_EQ(half["mantisa"]["cadena"], "1001100110");
  EXPECT_EQ(half["entrada"], "0.1");
  EXPECT_EQ(half["expansion_binaria"], nlohmann::json({{"cadena", "0.0(0011)"}, {"periodo", 4}}));
  EXPECT_EQ(half["via"], "coma_fija");
  const nlohmann::json format = {{"bits", 16},   {"exp", 5},        {"pos_exp", 1},
                                 {"pos_man", 6}, {"pos_signo", 0},  {"sis_exp", "exceso"},
                                 {"exceso", 15}, {"sis_man", "sm"}, {"norma", "1M"}};
  EXPECT_EQ(half["formato"], format);

  // A reading: the single-precision value as a number that reads back to the same float.
  const auto reading =
      Json({"interpretar", "flotante", "00111101110011001100110011001101", "--json"});
  EXPECT_EQ(static_cast<float>(reading["valor"].get<double>()), 0.1f);
  EXPECT_EQ(reading["hex"], "0x3DCCCCCD");
  EXPECT_EQ(reading.contains("entrada"), false);
}

// Integer objects carry the extended report's data always, exact beyond 64 bits.
TEST(CommandsTest, JsonIntegerReport) {
  const auto c2 = Json({"interpretar", "c2", "11011011", "--json"});
  EXPECT_EQ(c2["hex"], "0xDB");
  EXPECT_EQ(c2["rango"], (nlohmann::json{{"min", -128}, {"max", 127}}));
  const nlohmann::json readings = {
      {"natural", 219}, {"sm", -91}, {"c1", -36}, {"c2", -37}, {"exceso", 92}};
  EXPECT_EQ(c2["lecturas"], readings);
  EXPECT_EQ(c2["metodo"].back(), "valor: -37");

  // An excess of -2^31 at 64 bits puts the top of the range past 2^64.
  const Transcript wide =
      Command({"representar", "exceso", "7", "-b", "64", "-z", "-2147483648", "--json"});
  EXPECT_NE(wide.out.find("\"rango\":{\"min\":2147483648,\"max\":18446744075857035263}"),
            std::string::npos)
      << wide.out;
  EXPECT_NE(wide.out.find("\"metodo\":[]"), std::string::npos);  // it does not fit
}

// Every --json line parses, whatever the user typed: text that looks like the program's own
// markup stays the user's string, and values JSON has no number for are strings.
TEST(CommandsTest, JsonAlwaysParses) {
  const std::string marks[] = {"\x01number:}", "\x01number:5.375", "5.375\x01number:",
                               "\"},{\"a\":1", "\\u0001number:7",  "\x01"};
  std::string batch;
  for (const std::string& mark : marks) {
    batch += mark + "\n";
    const Transcript t = Command({"representar", "flotante", mark, "--json"});
    if (!t.out.empty()) {  // a refusal is allowed
      EXPECT_EQ(nlohmann::json::parse(t.out)["entrada"], mark);
    }
  }
  const Transcript t = Command({"representar", "flotante", "-", "--json"}, batch);
  std::istringstream lines(t.out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(nlohmann::json::accept(line)) << line;
  }

  struct Case {
    Args args;
    std::string has;
  };
  const std::string ones(64, '1');
  for (const Case& c : std::vector<Case>{
           {{"interpretar", "flotante", "01111111110000000000000000000000"}, "\"valor\":\"inf\","},
           {{"interpretar", "flotante", "11111111100000000000000000000000"}, "\"valor\":\"-inf\","},
           {{"interpretar", "exceso", ones, "-z", "-5"}, "\"valor\":18446744073709551620,"},
       }) {
    Args args = c.args;
    args.push_back("--json");
    const Transcript t = Command(args);
    EXPECT_NE(t.out.find(c.has), std::string::npos) << t.out;
    EXPECT_TRUE(nlohmann::json::accept(t.out)) << t.out;
  }
}

// A string typed in groups or in hexadecimal reads as the plain string it stands for, trace and
// all; the width of a hexadecimal text is the format's, or -b's, or four bits a digit.
TEST(CommandsTest, GroupedAndHexadecimalStrings) {
  struct Case {
    Args typed;
    std::string plain;  // the same string, only 0 and 1; empty when refused
    std::string err_has;
  };
  const std::string five = "01000000101011000000000000000000";  // 5.375 in ieee32
  const std::vector<Case> cases = {
      {{"flotante", "0100 0000 1010 1100 0000 0000 0000 0000"}, five, ""},
      {{"flotante", " 0100_0000.1010_1100  00000000\t0000_0000 "}, five, ""},
      {{"flotante", "0x40AC0000"}, five, ""},
      {{"flotante", "0x40ac_0000"}, five, ""},
      {{"flotante", "0X3C00", "-f", "ieee16"}, "0011110000000000", ""},
      {{"flotante", "0x7", "-b", "8", "--exp", "3"}, "00000111", ""},
      {{"c2", "0xFB"}, "11111011", ""},
      {{"sm", "0x1"}, "0001", ""},
      {{"c2", "0xB", "-b", "6"}, "001011", ""},
      {{"natural", "0x0F", "-b", "4"}, "1111", ""},
      {{"natural", "0x1F", "-b", "4"}, "", "no cabe en 4 bits"},
      {{"flotante", "0x1FFFFFFFF"}, "", "no cabe en 32 bits"},
      {{"c2", "0x"}, "", "faltan las cifras"},
      {{"c2", "0x1G"}, "", "de A a F"},
      {{"c2", "10 2"}, "", "0 y 1"},
      {{"c2", "_ ."}, "", "ningún bit"},
      {{"flotante", "0100 0000"}, "", "la cadena tiene 8 caracteres y el formato 32"},
  };
  for (const Case& c : cases) {
    Args typed = {"interpretar"};
    typed.insert(typed.end(), c.typed.begin(), c.typed.end());
    SCOPED_TRACE(typed[2]);
    const Transcript got = Command(typed);
    if (c.plain.empty()) {
      EXPECT_EQ(got.status, 2);
      EXPECT_NE(got.err.find(Cp850(c.err_has)), std::string::npos) << got.err;
      continue;
    }
    Args plain = typed;
    plain[2] = c.plain;
    const Transcript want = Command(plain);
    EXPECT_EQ(want.status, 0) << want.err;
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, want.out);
  }
  EXPECT_EQ(Json({"interpretar", "c2", "0xFB", "--json"})["hex"], "0xFB");
  EXPECT_EQ(Json({"representar", "c2", "-5", "-b", "6", "--json"})["hex"], "0x3B");
}

TEST(CommandsTest, BatchGoesOnPastARefusedLine) {
  const Transcript t =
      Command({"representar", "c2", "-", "-b", "4", "--json"}, "7\n\nx\n8\r\n-8\n");
  EXPECT_EQ(t.status, 2);  // the worst of the lines
  std::istringstream lines(t.out);
  std::vector<std::string> strings;
  for (std::string line; std::getline(lines, line);) {
    strings.push_back(nlohmann::json::parse(line)["cadena"]);
  }
  EXPECT_EQ(strings, (std::vector<std::string>{"0111", "1000", "1000"}));
  EXPECT_NE(t.err.find("\"x\""), std::string::npos);

  const Transcript fits = Command({"interpretar", "c2", "-"}, "0111\n1000\n");
  EXPECT_EQ(fits.status, 0);
  EXPECT_NE(fits.out.find("es: 7 \n"), std::string::npos);
  EXPECT_NE(fits.out.find("es: -8 \n"), std::string::npos);
}

// The extended report follows each floating-point result, in the dialogue and in the commands,
// and only when asked for.
TEST(CommandsTest, ExtendedReportOnlyWhenAskedFor) {
  const std::string answers = "1 5 " + kIeee32 + "0 5.375 2 5 32 " + kIeee32 +
                              "00000000000000000000000000000000 1 3 -5 2 3 8 11111011 0\n";
  const Transcript plain = RunProgramOnText({}, answers);
  const Transcript extended = RunProgramOnText({"--ampliado"}, answers);
  EXPECT_EQ(plain.out, RunSessionOnText(answers).out);
  EXPECT_EQ(plain.out.find("Hexadecimal"), std::string::npos);
  EXPECT_EQ(plain.out.find("Rango"), std::string::npos);
  for (const char* line :
       {" Hexadecimal: 0x40AC0000\n", " Valor exacto almacenado: 5.375 (5.375000e+00)\n",
        " Hexadecimal: 0x00000000\n", " IEEE 754: cero (+0)",
        " es: 11111111111111111111111111111011 \n Rango en complemento a dos con 32 bits",
        " es: -5 \n Rango en complemento a dos con 8 bits: de -128 a 127\n",
        " Lecturas de 11111011: natural 251, signo-magnitud -123, complemento a uno -4, "
        "complemento a dos -5, exceso 127: 124\n"}) {
    EXPECT_NE(extended.out.find(line), std::string::npos) << line;
  }
  // The dialogue's run does not leave the option on for the next one.
  EXPECT_EQ(RunSessionOnText(answers).out, plain.out);

  const Transcript command =
      Command({"representar", "flotante", "0.1", "-f", "ieee64", "--ampliado"});
  EXPECT_NE(command.out.find("0x3FB999999999999A"), std::string::npos);
  EXPECT_NE(command.out.find(Cp850(" Expansión binaria exacta de la entrada: 0.0(0011)\n")),
            std::string::npos);
  const Transcript reading =
      Command({"interpretar", "flotante", std::string(32, '0'), "--ampliado"});
  EXPECT_TRUE(reading.out.ends_with("\n")) << reading.out;
  // An integer report comes before the separator, and says how far outside a value falls.
  const Transcript outside = Command({"representar", "c2", "200", "-b", "8", "--ampliado"});
  EXPECT_NE(outside.out.find(" 200 no cabe: queda 73 por encima del m\xA0ximo\n Hexadecimal: "
                             "1100 1000 = 0xC8\n"),
            std::string::npos)
      << outside.out;
  EXPECT_TRUE(outside.out.ends_with(" exceso 127: 73\n" + std::string(58, '=') + "\n"));
}

TEST(CommandsTest, EncodingOptions) {
  const Args args = {"representar", "natural", "1", "-b", "1"};
  EXPECT_NE(Command(args).out.find("Conversi\xA2n"), std::string::npos);
  Args utf8 = args;
  utf8.push_back("--utf8");
  EXPECT_NE(Command(utf8).out.find("Conversión"), std::string::npos);
  // Messages built at run time are converted too, not only format texts.
  const Transcript refused = RunProgramOnText({"ejercicios", "-n", "x"}, "");
  EXPECT_NE(refused.err.find(Cp850("número de ejercicios")), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("ú"), std::string::npos);
  // Before the command too, as for the dialogue.
  utf8.pop_back();
  utf8.insert(utf8.begin(), "--utf8");
  EXPECT_NE(RunProgramOnText(utf8, "").out.find("Conversión"), std::string::npos);
}

}  // namespace

namespace {

// The page's answer `text` to the command line `args` against the command run twice: its trace
// (when only one stream printed, so the order of the two is known) and status without --json,
// its object with --json.
void ExpectPageIsTheCommand(const std::string& text, const Args& args) {
  const nlohmann::json page = nlohmann::json::parse(text);
  Args utf8 = args;
  utf8.push_back("--utf8");
  const Transcript run = RunProgramOnText(utf8, "", repbin::out::Encoding::kUtf8);
  if (run.err.empty() || run.out.empty()) {
    EXPECT_EQ(page["traza"], run.out + run.err);
  }
  EXPECT_EQ(page["estado"], run.status);
  Args json = utf8;
  json.push_back("--json");
  const Transcript line = RunProgramOnText(json, "", repbin::out::Encoding::kUtf8);
  if (line.out.empty()) {
    EXPECT_TRUE(page["resultado"].is_null());
  } else {
    EXPECT_EQ(page["resultado"], nlohmann::json::parse(line.out));
  }
}

// The page's conversion runs once and gives what the command prints without --json (both
// streams, in order) and the object --json prints, for every kind of conversion, a refusal
// and a value that does not fit.
TEST(CommandsTest, PageConversionIsTheTraceAndTheJsonOfOneRun) {
  const std::vector<Args> cases = {
      {"representar", "c2", "-5", "-b", "8", "--ampliado"},
      {"representar", "sm", "200", "-b", "8"},  // out of range, said on standard error
      {"interpretar", "natural", "0xFFFFFFFFFFFFFFFF"},
      {"representar", "flotante", "0.1", "-f", "ieee16"},
      {"interpretar", "flotante", "0x40AC0000", "--ampliado"},
      {"representar", "flotante", "abc"},
  };
  for (const Args& args : cases) {
    SCOPED_TRACE(args[2]);
    ExpectPageIsTheCommand(repbin::ConversionJson(args), args);
  }
}

// The page's operation, integer or floating-point, runs once and gives what `operar` prints
// without --json and the object it prints with --json; what a page cannot do is refused.
TEST(CommandsTest, PageOperationIsTheTraceAndTheJsonOfOneRun) {
  const std::vector<Args> cases = {
      {"operar", "c2", "100", "+", "80"},  // overflow: status 1
      {"operar", "c1", "0b0101", "-", "0b0011", "--ampliado"},
      {"operar", "natural", "0xFFFFFFFFFFFFFFFF", "+", "1"},  // values beyond 2^53
      {"operar", "flotante", "15", "+", "3.75"},
      {"operar", "flotante", "0.1", "x", "3", "-f", "ieee16", "--redondeo", "cercano"},
      {"operar", "flotante", "0x7F7FFFFF", "+", "0x7F7FFFFF", "--redondeo", "cercano"},
      {"operar", "sm", "1", "/", "2"},
  };
  for (const Args& args : cases) {
    SCOPED_TRACE(args[1] + " " + args[2]);
    ExpectPageIsTheCommand(repbin::OperationJson(args), args);
  }
  for (const Args& args : std::vector<Args>{{"operar", "c2", "1", "+", "2", "--json"},
                                            {"operar", "flotante", "-"},
                                            {"operar", "c2", "-"},
                                            {"operar", "flotante", "--help"},
                                            {"representar", "c2", "5"}}) {
    const nlohmann::json page = nlohmann::json::parse(repbin::OperationJson(args));
    EXPECT_EQ(page["estado"], 2) << args[1];
    EXPECT_TRUE(page["resultado"].is_null()) << args[1];
  }
}

// The page draws and labels a layout from what the program says of it; each bit's weight is
// checked against the place value a reader computes from the field's position.
TEST(CommandsTest, PageLayoutNamesEveryFieldAndBit) {
  struct Case {
    Args args;
    std::string resumen;
    std::vector<std::string> fields;  // in string order
    int bits_typed;
    bool complete;
  };
  const std::vector<Case> cases = {
      {{"representar", "flotante", "5.5"},
       "32 bits; signo en 0, exponente de 8 en 1 (exceso 127), mantisa de 23 en 9 "
       "(signo-magnitud, 1'M)",
       {"signo", "exponente", "mantisa"},
       2,
       true},
      {{"interpretar", "flotante", "0x3F80 000", "--pos-man", "0", "--pos-exp", "24", "--pos-signo",
        "23", "--sis-exp", "c2", "--norma", "01M"},
       "32 bits; signo en 23, exponente de 8 en 24 (complemento a dos), mantisa de 23 en 0 "
       "(signo-magnitud, 0'1M)",
       {"mantisa", "signo", "exponente"},
       28,
       false},
      {{"interpretar", "c2", "1111 1011"}, "Complemento a dos: 8 bits", {"entero"}, 8, true},
      {{"representar", "exceso", "-", "-b", "4"}, "Exceso 7: 4 bits", {"entero"}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    const nlohmann::json page = nlohmann::json::parse(repbin::LayoutJson(c.args));
    ASSERT_EQ(page["estado"], 0) << page["mensaje"];
    const nlohmann::json& layout = page["formato"];
    EXPECT_EQ(layout["resumen"], c.resumen);
    ASSERT_EQ(layout["campos"].size(), c.fields.size());
    int next = 0;
    for (std::size_t k = 0; k < c.fields.size(); ++k) {
      const nlohmann::json& field = layout["campos"][k];
      EXPECT_EQ(field["campo"], c.fields[k]);
      EXPECT_EQ(field["desde"], next);  // the fields tile the string
      const int n = field["n"];
      next += n;
      ASSERT_EQ(field["pesos"].size(), static_cast<std::size_t>(n));
      const std::string first = field["pesos"].front();
      const std::string last = field["pesos"].back();
      if (c.fields[k] == "mantisa") {
        const int lowest = n + (layout["formato"].value("norma", "") == "01M" ? 1 : 0);
        EXPECT_EQ(last, "peso 2^-" + std::to_string(lowest));
      } else if (c.fields[k] != "signo") {
        EXPECT_EQ(last, "peso 2^0");
        const bool sign = c.args[1] == "c2" ||
                          (layout.contains("formato") && layout["formato"]["sis_exp"] == "c2");
        if (sign) {
          EXPECT_TRUE(first.starts_with("signo"));
        } else {
          EXPECT_EQ(first, "peso 2^" + std::to_string(n - 1));
        }
      }
    }
    EXPECT_EQ(next, layout["bits"]);
    EXPECT_EQ(page["escritos"]["bits"], c.bits_typed);
    EXPECT_EQ(page["escritos"]["completo"], c.complete);
  }
  // A layout the rules refuse says why, as the command does.
  const nlohmann::json refused = nlohmann::json::parse(
      repbin::LayoutJson({"representar", "flotante", "-b", "16", "--exp", "15"}));
  EXPECT_EQ(refused["estado"], 2);
  EXPECT_NE(refused["mensaje"].get<std::string>().find("exponente"), std::string::npos);
}

// The options written before a command's name reach it as if written right after the name.
TEST(CommandsTest, OptionsBeforeTheCommandGoWithIt) {
  const std::pair<Args, Args> cases[] = {
      {{"--ampliado", "representar", "c2", "-5", "-b", "8"},
       {"representar", "--ampliado", "c2", "-5", "-b", "8"}},
      {{"--ampliado", "interpretar", "flotante", "0x40AC0000"},
       {"interpretar", "--ampliado", "flotante", "0x40AC0000"}},
      {{"--ampliado", "operar", "c2", "100", "+", "80"},
       {"operar", "--ampliado", "c2", "100", "+", "80"}},
      {{"--ampliado", "operar", "flotante", "1", "+", "2"},
       {"operar", "flotante", "1", "+", "2", "--ampliado"}},
      // A sheet records the words where the command reads them, after its name.
      {{"--utf8", "--ampliado", "ejercicios", "-n", "2", "--semilla", "3", "--soluciones"},
       {"ejercicios", "--ampliado", "--utf8", "-n", "2", "--semilla", "3", "--soluciones"}},
      {{"--cp850", "ejercicios", "-n", "2", "--semilla", "3", "--utf8", "--soluciones"},
       {"ejercicios", "--cp850", "-n", "2", "--semilla", "3", "--utf8", "--soluciones"}},
      // The extended report is not a card's.
      {{"--ampliado", "formato", "-f", "ieee16"}, {"formato", "-f", "ieee16"}},
  };
  for (const auto& [before, after] : cases) {
    SCOPED_TRACE(before[0] + " " + before[1]);
    const Transcript a = Command(before);
    const Transcript b = Command(after);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.err, b.err);
    EXPECT_EQ(a.status, b.status);
  }
}

// A width or an excess means the same wherever it is read; a sheet alone refuses the excess
// that leaves none of its 32-bit values, and says why.
TEST(CommandsTest, WidthsAndExcessesAgreeAmongTheCommands) {
  const struct {
    Args args;
    int status;
  } cases[] = {
      {{"representar", "natural", "1", "-b", "1"}, 0},
      {{"representar", "natural", "1", "-b", "0"}, 2},
      {{"formato", "natural", "-b", "1"}, 0},
      {{"formato", "natural", "-b", "65"}, 2},
      {{"operar", "natural", "1", "+", "0", "-b", "1"}, 0},
      {{"operar", "flotante", "1", "+", "1", "-b", "3", "--exp", "1"}, 0},
      {{"operar", "flotante", "1", "+", "1", "-b", "2"}, 2},
      {{"ejercicios", "-n", "1", "--semilla", "1", "-b", "2", "--tipos", "sm"}, 0},
      {{"ejercicios", "-n", "1", "--semilla", "1", "-b", "1"}, 2},
      {{"ejercicios", "-n", "1", "--semilla", "1", "--bits-flotante", "3", "--exp", "1", "--tipos",
        "flotante"},
       0},
      {{"ejercicios", "-n", "1", "--bits-flotante", "2"}, 2},
      {{"interpretar", "exceso", "11111111", "-z", "-2147483648"}, 0},
      {{"formato", "exceso", "-b", "8", "-z", "-2147483648"}, 0},
      {{"operar", "exceso", "0b00000001", "+", "0b0000 0000", "-z", "-2147483648"}, 1},
      {{"ejercicios", "-n", "1", "--semilla", "1", "--tipos", "exceso", "-z", "-2147483647"}, 0},
      {{"representar", "exceso", "1", "-z", "-2147483649"}, 2},
  };
  for (const auto& c : cases) {
    const Transcript t = Command(c.args);
    std::string line;
    for (const std::string& word : c.args) line += word + " ";
    EXPECT_EQ(t.status, c.status) << line << t.err;
  }
  const Transcript sheet = RunProgramOnText(
      {"ejercicios", "--tipos", "exceso", "-z", "-2147483648"}, "", repbin::out::Encoding::kUtf8);
  EXPECT_EQ(sheet.status, 2);
  EXPECT_NE(sheet.err.find("con -z -2147483648 ningún entero de 32 bits se escribe en exceso"),
            std::string::npos)
      << sheet.err;
}

// Every option a command's help lists is one the command reads.
TEST(CommandsTest, HelpListsOnlyOptionsTheCommandReads) {
  const Args commands[] = {{"representar"},        {"interpretar"}, {"operar"},
                           {"operar", "flotante"}, {"formato"},     {"convertir"},
                           {"ejercicios"},         {"practicar"},   {"informe"}};
  for (const Args& command : commands) {
    Args help = command;
    help.push_back("--help");
    const Transcript t = RunProgramOnText(help, "", repbin::out::Encoding::kUtf8);
    const std::size_t from = t.out.find("\nOpciones:\n");
    ASSERT_NE(from, std::string::npos) << command[0];
    const std::string options = t.out.substr(from, t.out.find("\n\n", from + 1) - from);
    // The names in each row's label: what comes before the help column's text.
    std::istringstream lines(options);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(lines, line)) {
      if (!line.starts_with("  -")) continue;
      std::istringstream label(line.substr(2, line.find("  ", 2) - 2));
      std::string word;
      while (label >> word) {
        if (word.starts_with("-")) names.push_back(word.substr(0, word.find_first_of(",[")));
      }
    }
    EXPECT_FALSE(names.empty()) << command[0];
    for (const std::string& name : names) {
      Args args = command;
      // A value that is refused, or harmless, wherever an option takes it.
      args.insert(args.end(), {name, "/no-such-folder/x"});
      const Transcript run = RunProgramOnText(args, "", repbin::out::Encoding::kUtf8);
      EXPECT_EQ(run.err.find("opción desconocida: " + name), std::string::npos)
          << command[0] << " " << name << ": " << run.err;
    }
  }
}

}  // namespace
