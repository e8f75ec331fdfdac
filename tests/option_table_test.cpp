// The one reading of every command line: options anywhere, "--option=value", "--", values that
// start with '-', and the one wording of each refusal.
#include "operations/option_table.h"

#include <gtest/gtest.h>

#include <optional>
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
      .Whole({"-b", "--bits"}, "un número de bits", 1, 64,
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
