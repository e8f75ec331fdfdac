// The one reading of every command line: options anywhere, "--option=value", "--", values that
// start with '-', and the one wording of each refusal.
#include "operations/option_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace repbin::ops {
namespace {

struct Read {
  std::optional<std::string> refusal;
  std::string words;  // the positional words, joined by '|'
  int bits = 0;
  bool json = false;
  LayoutOptions layout;
};

Read ReadLine(const std::vector<std::string>& args) {
  Read r;
  OptionTable table;
  table.Flag({"--json"}, [&] { r.json = true; })
      .Whole({"-b", "--bits"}, "un número de bits", {1, 64},
             [&](std::int64_t n) { r.bits = static_cast<int>(n); })
      .Layout(r.layout);
  r.refusal = table.Parse(args, 0, [&](std::size_t i, bool&) -> std::optional<std::string> {
    r.words += (r.words.empty() ? "" : "|") + args[i];
    return std::nullopt;
  });
  return r;
}

TEST(OptionTableTest, ReadsEveryWritingOfAnOption) {
  struct Case {
    std::vector<std::string> args;
    std::string words;
    int bits;
    bool json;
  };
  const Case cases[] = {
      {{"c2", "-5", "-b", "8"}, "c2|-5", 8, false},
      {{"--bits=16", "x", "--json"}, "x", 16, true},
      {{"-", "-.5", "-b", "4"}, "-|-.5", 4, false},
      {{"-b", "4", "--", "-b", "--json"}, "-b|--json", 4, false},
  };
  for (const Case& c : cases) {
    const Read r = ReadLine(c.args);
    EXPECT_FALSE(r.refusal) << *r.refusal;
    EXPECT_EQ(r.words, c.words);
    EXPECT_EQ(r.bits, c.bits);
    EXPECT_EQ(r.json, c.json);
  }
  EXPECT_EQ(ReadLine({"-f", "ieee16", "--exp", "6"}).layout.exp, 6);
}

TEST(OptionTableTest, RefusesInOneWording) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-b", "65"}, "-b espera un número de bits entre 1 y 64, no «65»"},
      {{"--bits=ocho"}, "--bits espera un número de bits entre 1 y 64, no «ocho»"},
      {{"x", "-b"}, "falta el valor de -b"},
      {{"--json=1"}, "la opción --json no lleva valor"},
      {{"--jsn"}, "opción desconocida: --jsn"},
      {{"-f", "ieee128"},
       "-f espera ieee32, ieee16, ieee64, bfloat16, fp8-e4m3, fp8-e5m2 o un formato en una "
       "palabra como bits=16,exp=5,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,z=15,"
       "sis-man=sm,norma=1M, no «ieee128»"},
  };
  for (const auto& [args, refusal] : cases) EXPECT_EQ(ReadLine(args).refusal, refusal);
}

}  // namespace
}  // namespace repbin::ops

namespace repbin::ops {
namespace {

TEST(OptionTableTest, WritesTheHelpRows) {
  bool flag = false;
  int n = 0;
  OptionTable table;
  table.Flag({"-h", "--help"}, [&] { flag = true; })
      .Whole({"-n"}, "un número", {2, 40}, [&](std::int64_t v) { n = static_cast<int>(v); })
      .Valued({"--formato-largo"}, [](std::string_view) { return std::nullopt; });
  table.Describe("-n", "N", "cuántos ({rango})\nsegunda línea")
      .Note("Otras:")
      .DescribeAs("--formato-largo", "--formato-largo NOMBRE", "va en la línea siguiente")
      .Describe("-h", "", "ayuda");
  EXPECT_EQ(table.Help(16),
            "  -n N          cuántos (de 2 a 40)\n"
            "                segunda línea\n"
            "  Otras:\n"
            "  --formato-largo NOMBRE\n"
            "                va en la línea siguiente\n"
            "  -h, --help    ayuda\n");
  // A row for an option the table does not read is a mistake in the door's code.
  EXPECT_THROW(table.Describe("--nada", "", "x"), std::logic_error);
}

TEST(OptionTableTest, OptionalValuesAndOptionsThatEndTheReading) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> refusal;
    std::string puntos;  // what --puntos took, "(sin valor)" when given alone
    bool help;
  };
  const Case cases[] = {
      {{"--puntos"}, std::nullopt, "(sin valor)", false},
      {{"--puntos=20"}, std::nullopt, "20", false},
      {{"--puntos=x"}, "--puntos espera un número, no «x»", "", false},
      {{"-h", "--puntos=x", "--desconocida"}, std::nullopt, "", true},
      {{"--desconocida", "-h"}, "opción desconocida: --desconocida", "", false},
  };
  for (const Case& c : cases) {
    std::string puntos;
    bool help = false;
    OptionTable table;
    table
        .Flag(
            {"-h"}, [&] { help = true; }, OptionTable::After::kStop)
        .OptionallyValued(
            {"--puntos"},
            [&](const std::optional<std::string_view>& v) -> std::optional<std::string> {
              if (v && *v != "20") return "un número";
              puntos = v ? std::string(*v) : "(sin valor)";
              return std::nullopt;
            });
    EXPECT_EQ(table.Parse(c.args, 0, [](std::size_t, bool&) { return std::nullopt; }), c.refusal);
    EXPECT_EQ(puntos, c.puntos);
    EXPECT_EQ(help, c.help);
  }
}

// What a POSIX shell reads back from the quoted word, asked of /bin/sh itself.
std::string ReadByShell(const std::string& quoted) {
  const std::string command = "printf '%s' " + quoted;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "(no shell)";
  std::string read;
  char buffer[256];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) read.append(buffer, n);
  pclose(pipe);
  return read;
}

TEST(OptionTableTest, CommandLinesReadBackByTheShell) {
#ifdef _WIN32
  GTEST_SKIP() << "the quoting is a POSIX shell's, and Windows has none to ask";
#endif
  for (const std::string word :
       {"plain-1.5", "bits=16,exp=5", "0b1101 1011", "it's", "''", "$HOME", "a\"b", "*", "-", "~x",
        "a;b|c&d", "tab\there", "ñandú", "`echo`", "\\"}) {
    SCOPED_TRACE(word);
    EXPECT_EQ(ReadByShell(ShellWord(word)), word);
  }
  // Words the shell reads as they are stay as they are, so a recorded line stays readable.
  EXPECT_EQ(CommandText("ejercicios", {"-n", "5", "-f", "bits=16,exp=5", "--titulo", "Examen 1"}),
            "repbin ejercicios -n 5 -f bits=16,exp=5 --titulo 'Examen 1'");
  EXPECT_EQ(ShellWord(""), "''");
}

}  // namespace
}  // namespace repbin::ops
