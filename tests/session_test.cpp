// Whole sessions: typed input in, both streams and the exit status out. Expected texts are the
// dialogue's own messages, written out here; Cp850 turns "ó" and "ú" into the bytes printed.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dialogue/session.h"
#include "support.h"

namespace {

using repbin::RunSessionOnText;
using repbin::Transcript;
using repbin::test::Cp850;
using Strings = std::vector<std::string>;

const std::string kSep = std::string(58, '=') + "\n";
const std::string kMain = Cp850("\n0) Salir \n1) Representación\n2) Interpretación\n ");
const std::string kRepMenuHead = Cp850(
    "0) Menu Anterior \n1) Binario Natural \n2) Complemento a uno \n3) Complemento a dos "
    "\n4) Exceso Z \n5) Coma flotante \n6) Cambiar el número total de la representación "
    "(Actual) ");
const auto RepMenu = [](int w) {
  return kRepMenuHead + std::to_string(w) + "\n 7) Signo-Magnitud \n";
};
const std::string kRepTitle = kSep + Cp850(" Representación \n");  // each time the menu is shown
const std::string kInterpMenu =
    "0) Menu Anterior \n1) Binario Natural \n2) Complemento a uno \n3) Complemento a dos "
    "\n4) Exceso Z \n5) Coma flotante \n6) Signo Magnitud \n ";
const std::string kWidthQ = Cp850("Numero total de bits que tiene el sistema de represntación ");
const std::string kValueQ = "\n Introduzca el valor a representar ";      // items 1, 4, 7
const std::string kValueQTight = "\n Introduzca el valor a representar";  // 2, 3, floating
const std::string kExcessQ = "\n Intoduzca el exceso ";
const std::string kStringQ = "\n Introduzca la cadena a interpretar ";      // item 1
const std::string kStringQTight = "\n Introduzca la cadena a interpretar";  // items 2, 3, 4, 6
const std::string kRange = "\n Fuera de Rango\n";

// A conversion trace: heading, a division line per `divs` string (halving `num`), a line per
// `strs` string; the bit strings shown padded with '_' to `width`.
std::string Trace(long num, std::size_t width, const Strings& divs, const Strings& strs = {}) {
  auto lines = Cp850("=======Conversión a binario del número ") + std::to_string(num) + " ======\n";
  const auto pad = [width](const std::string& b) { return std::string(width - b.size(), '_') + b; };
  for (std::size_t i = 0; i < divs.size(); ++i, num /= 2) {
    lines += "\t" + std::to_string(num) + "/2=\t " + std::to_string(num / 2) + "\t y el resto " +
             std::to_string(num % 2) + " \t " + pad(divs[i]) + "\n";
  }
  for (const std::string& bits : strs) lines += "\t\t\t\t\t " + pad(bits) + "\n";
  return lines;
}
// `fill` digits before `tail`, from `size` digits up to 32.
Strings Column(std::size_t size, char fill, const std::string& tail) {
  Strings bits;
  for (; size <= 32; ++size) bits.push_back(std::string(size - tail.size(), fill) + tail);
  return bits;
}
const std::string kFiveAt32 = kRepTitle + "Valor a representar 5 \n" +
                              Trace(5, 32, {"1", "01", "101"}, Column(4, '0', "101")) +
                              "\n El dato representado es: " + std::string(29, '0') + "101 \n" +
                              kSep;

// The floating-format questions in the order asked; the interpretation menu words some apart.
const Strings kRepFormatQ = {
    "\nIndique el numero de bits para el exponente ",
    Cp850("\nIntroduzca la posición de comienzo del exponente "),
    Cp850("\nIntroduzca la posición de comienzo de la mantisa "),
    Cp850("\nIntroduzca la posición del signo "),
    Cp850("\nIntroduzca el sistema de representación de exponente \n0  Signo Magnitud \n1 "
          "Complemento a 1 \n2 Complemento a 2 \n3 Exceso Z \n "),
    kExcessQ,
    Cp850("\nIntroduzca el sistema de representación del mantisa \n0  Signo Magnitud \n1 "
          "Complemento a 1 \n2 Complemento a 2\n  "),
    "\n \n Introduzca la normalizacion: \n 0 Mantisa fracionaria sin bit implicito 0'M \n 1 "
    "Mantisa fracionaria con bit implicito entero 1'M \n 2 Mantisa fracionaria con bit "
    "implicito fraccionario \n"};
const std::string kInterpFormatQ =
    kRepFormatQ[0] +
    Cp850(
        "\n Introduzca la posición de comienzo del exponente\n Introduzca la "
        "posición de comienzo de la mantisa \n Introduzca la posición del "
        "signo \n Introduzca el sistema de representación de exponente \n0  "
        "Signo Magnitud \n 1 Complemento a 1 \n 2 Complemento a 2\t\t\t  \n "
        "3 Exceso Z \n \n Intoduzca el exceso \nIntroduzca el sistema de "
        "representación del mantisa \n0  Signo Magnitud \n 1 Complemento a "
        "1 \n 2 Complemento a 2\n  ") +
    kRepFormatQ[7];

// The answers for the 32-bit IEEE 754 single layout, with `refused` typed first at question `at`.
std::string Ieee(std::size_t at = 8, const std::string& refused = "") {
  const Strings answers = {"8", "1", "9", "0", "3", "127", "0", "1"};
  std::string all;
  for (std::size_t i = 0; i < 8; ++i) all += (i == at ? refused + "\n" : "") + answers[i] + "\n";
  return all;
}
const std::string kIeee = Ieee();
const std::string kRep5 = "1\n5\n" + kIeee;  // representation item 5 up to the data entry
const std::string kIeeeSummary =
    " Coma flotante de 32 bits( 8 de exponente)\nExponente: S30-S23 \n  Representado en Exceso "
    "127\nMantisa:S22-S0 \n  Representado en signo-magnitud \n  Mantisa fracionaria con bit "
    "implicito entero 1'M \nSigno:S31 \n";
const std::string kEntryQ = Cp850("\n Introducción de datos :\n 0 Coma fija \n 1 Coma flotante \n");
const std::string kFixedQ = "\nIntroduzca el valor a representar en coma fija ";
const std::string kBitsQ = Cp850("\n Introducción de la cadena a interpretar ");
const std::string kFixedResult = "\n El dato representado es 01000000101011000000000000000000 \n";
const std::string kFloatResult = "\n El dato representar es 01000000101011000000000000000000 \n";

// What was printed between the two times `piece` was asked; empty unless asked exactly twice.
std::string Between(const std::string& text, const std::string& piece) {
  const std::size_t first = text.find(piece), last = text.rfind(piece);
  if (first == last || text.find(piece, first + 1) != last) return "";
  return text.substr(first + piece.size(), last - first - piece.size());
}

// Sessions whose two streams are compared byte for byte: input, stdout, stderr; status 0.
using Exact = std::array<std::string, 3>;
void ExpectTranscripts(const std::vector<Exact>& cases) {
  for (const auto& [input, out, err] : cases) {
    SCOPED_TRACE(input);
    const Transcript t = RunSessionOnText(input);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.out, out);
    EXPECT_EQ(t.err, err);
  }
}

TEST(MenuSession, Transcripts) {
  const std::string five_err = kMain + RepMenu(32) + kValueQ + kMain,
                    dato = "\n" + kSep + " Dato a interpretar ", iw = kMain + kInterpMenu + kWidthQ;
  const std::string five =
      dato + "00000101 \n\n00000101=2^2+2^0=5\n\n El resultado en binario natural es: 5 \n";
  const std::string w4 = iw + kStringQTight + kMain;  // interpretation at width 4
  std::vector<Exact> cases = {
      {"0\n", "", kMain},
      {"3\n0\n", "", kMain + kMain},
      {"1\n9\n-1\n0\n0\n", kRepTitle + kRepTitle + kRepTitle + "\n" + kSep,
       kMain + RepMenu(32) + RepMenu(32) + RepMenu(32) + kMain},
      {"1\n1\n5\n0\n", kFiveAt32, five_err},
      {"1 1 5\n0\n", kFiveAt32, five_err},
      {"1\n1\n-1\n0\n",
       kRepTitle + "Valor a representar -1 \n" + Trace(-1, 32, {}, Column(1, '1', "")) + kRange +
           "\n El dato representado es: " + std::string(32, '1') + " \n" + kSep,
       five_err},
      {"1\n6\n8\n1\n1\n256\n0\n",
       kRepTitle + kRepTitle + "Valor a representar 256 \n" +
           Trace(256, 8, {"0", "00", "000", "0000", "00000", "000000", "0000000", "00000000"}) +
           kRange + "\n El dato representado es: 00000000 \n" + kSep,
       kMain + RepMenu(32) + kWidthQ + kMain + RepMenu(8) + kValueQ + kMain},
      {"2\n9\n7\n1\n8\n00000101\n0\n", five,
       kMain + kInterpMenu + kInterpMenu + kInterpMenu + kWidthQ + kStringQ + kMain},
      {"2\n4\n8\n127\n10000000\n0\n",
       dato + "10000000 \n\n10000000=2^7=128\n\n El resultado en Exceso 127 es 1 \n",
       iw + kExcessQ + kStringQTight + kMain},
      // The width typed here is the one the representation menu shows afterwards.
      {"2\n1\n8\n00000101\n1\n0\n0\n", five + kRepTitle + "\n" + kSep,
       iw + kStringQ + kMain + RepMenu(8) + kMain},
      {"2\n2\n4\n1110\n0\n", dato + "1110 \n\n El resultado en complemento a uno es: -1 \n", w4},
      {"2\n3\n4\n1110\n0\n", dato + "1110 \n\n El resultado en complemento a dos es: -2 \n", w4},
      {"2\n3\n4\n0110\n0\n",
       dato + "0110 \n\n0110=2^2+2^1=6\n\n El resultado en complemento a dos es: 6 \n", w4},
      {"2\n6\n4\n1111\n0\n",
       dato + "1111 \n\n111=2^2+2^1+2^0=7\n\n El resultado en signo/magnitud es: -7 \n", w4}};
  // Width 4 (item 6), then a signed item: answers, heading, value, trace, result, stderr after.
  const std::vector<std::array<std::string, 6>> signed_items = {
      {"2\n-5\n", "Complemento a uno", "-5", Trace(-6, 4, {}, {"0", "10", "010", "1010"}),
       "es 1010", kValueQTight},
      {"3\n-5\n", "Complemento a dos", "-5", Trace(-5, 4, {}, {"1", "11", "011", "1011"}),
       "es: 1011", kValueQTight},
      {"3\n8\n", "Complemento a dos", "8", Trace(8, 4, {"0", "00", "000", "1000"}) + kRange,
       "es: 1000", kValueQTight},
      {"4\n7\n-3\n", " Exceso 7", "-3",
       Cp850(" \n El Exceso 7 del -3 es en binario el número 4 \n") +
           Trace(4, 4, {"0", "00", "100"}, {"0100"}),
       "es: 0100", kExcessQ + kValueQ},
      {"7\n-5\n", " Signo - Magnitud", "-5", Trace(5, 3, {"1", "01", "101"}), "es 1101", kValueQ},
      {"7\n8\n", " Signo - Magnitud", "8", Trace(8, 3, {"0", "00", "000"}), "es 0000",
       kValueQ + kRange}};
  for (const auto& [answers, name, value, trace, result, asked] : signed_items) {
    cases.push_back({"1\n6\n4\n1\n" + answers + "0\n",
                     kRepTitle + kRepTitle + name + " con 4 bits \nValor a representar " + value +
                         " \n" + trace + "\n El dato representado " + result + " \n" + kSep,
                     kMain + RepMenu(32) + kWidthQ + kMain + RepMenu(4) + asked + kMain});
  }
  // Integer readings are exact at every width up to 64, in the expansion line and the result:
  // item, width, excess ("" when the item asks none), string, expansion line ("" when it prints
  // none), result line.
  const auto powers = [](int high) {  // "2^high+...+2^0"
    std::string terms = "2^" + std::to_string(high);
    for (int p = high - 1; p >= 0; --p) terms += "+2^" + std::to_string(p);
    return terms;
  };
  const std::string one31 = "1" + std::string(30, '0') + "1", ones32(32, '1'), ones64(64, '1');
  const std::vector<std::array<std::string, 6>> exact = {
      {"1", "32", "", one31, one31 + "=2^31+2^0=2147483649", "en binario natural es: 2147483649"},
      {"1", "64", "", ones64, ones64 + "=" + powers(63) + "=18446744073709551615",
       "en binario natural es: 18446744073709551615"},
      {"2", "64", "", "1" + std::string(63, '0'), "",
       "en complemento a uno es: -9223372036854775807"},
      {"3", "64", "", ones64, "", "en complemento a dos es: -1"},
      {"4", "32", "127", ones32, ones32 + "=" + powers(31) + "=4294967295",
       "en Exceso 127 es 4294967168"},
      {"4", "64", "-1", ones64, ones64 + "=" + powers(63) + "=18446744073709551615",
       "en Exceso -1 es 18446744073709551616"},
      {"6", "64", "", ones64, std::string(63, '1') + "=" + powers(62) + "=9223372036854775807",
       "en signo/magnitud es: -9223372036854775807"}};
  for (const auto& [item, width, z, bits, expansion, result] : exact) {
    const std::string excess = z.empty() ? "" : z + "\n";
    cases.push_back(
        {"2\n" + item + "\n" + width + "\n" + excess + bits + "\n0\n",
         dato + bits + " \n" + (expansion.empty() ? "" : "\n" + expansion + "\n") +
             "\n El resultado " + result + " \n",
         iw + (z.empty() ? "" : kExcessQ) + (item == "1" ? kStringQ : kStringQTight) + kMain});
  }
  ExpectTranscripts(cases);
}

TEST(FloatSession, IeeeSingle) {
  const std::string five = "01000000101000000000000000000000";
  const Transcript t = RunSessionOnText("2\n5\n32\n" + kIeee + five + "\n0\n");
  EXPECT_TRUE(t.out.starts_with("\n" + kSep + " Dato a interpretar " + five + " \n")) << t.out;
  EXPECT_TRUE(t.out.ends_with("\n El resultado es 5.000000")) << t.out;
  EXPECT_EQ(t.err, kMain + kInterpMenu + kWidthQ + kInterpFormatQ + kBitsQ + kMain);
  // Representation: data entry 0 (fixed-point text) and 1 (floating value); 2 ends the item.
  EXPECT_TRUE(RunSessionOnText(kRep5 + "0\n5.375\n0\n").out.ends_with(kFixedResult));
  EXPECT_TRUE(RunSessionOnText(kRep5 + "1\n5.375\n0\n").out.ends_with(kFloatResult));
  // A fraction that is 1 in single precision is accepted and truncates: 1001.111...
  EXPECT_TRUE(RunSessionOnText(kRep5 + "0\n9.99999999\n0\n")
                  .out.ends_with("\n El dato representado es 01000001000111111111111111111111 \n"));
  std::string asked = kMain + RepMenu(32);
  for (const std::string& q : kRepFormatQ) asked += q;
  ExpectTranscripts({{kRep5 + "2\n0\n", kRepTitle + kIeeeSummary, asked + kEntryQ + kMain}});
  // At width 2 no format fits: a message instead of the questions.
  const Transcript t2 = RunSessionOnText("1\n6\n2\n1\n5\n0\n");
  const std::string before = kMain + RepMenu(32) + kWidthQ + kMain + RepMenu(2);
  EXPECT_EQ(t2.out, kRepTitle + kRepTitle);
  EXPECT_TRUE(t2.err.starts_with(before) && t2.err.ends_with(kMain)) << t2.err;
  EXPECT_GT(t2.err.size(), before.size() + kMain.size()) << "no message";
  EXPECT_EQ(t2.err.find(kRepFormatQ[0]), std::string::npos);
}

struct Bad {  // `question`, unless empty, is asked twice with `message` in what comes between
  std::string input, question, message, out;  // `out`: the end of stdout; all of it if `whole`
  std::string err_end = kMain;
  bool whole = false;
};
void ExpectBad(const std::vector<Bad>& cases) {
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 60));
    const Transcript t = RunSessionOnText(c.input);
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(t.err.ends_with(c.err_end)) << t.err;
    EXPECT_TRUE(c.whole ? t.out == c.out : t.out.ends_with(c.out)) << t.out;
    for (const char* echo : {" Dato a interpretar ", "alor a representar "}) {
      EXPECT_EQ(t.out.find(echo), t.out.rfind(echo)) << "more than the accepted answer echoed";
    }
    if (c.question.empty()) continue;
    const std::string between = Between(t.err, c.question);
    EXPECT_TRUE(!between.empty() && between.find(c.message) != std::string::npos) << t.err;
  }
}

TEST(BadInputSession, EndOfInputOrWidthOutOfBounds) {
  const std::string rep_menu = RepMenu(32), nbexp = kRepFormatQ[0], fixed = kRep5 + "0\n",
                    flt = kRep5 + "1\n", bits = "2\n5\n32\n" + kIeee;
  // End of input: the input, and the question it leaves unanswered.
  const std::vector<std::pair<std::string, std::string>> ends = {
      {"", kMain},         {"1\n", rep_menu},   {"1\n1\nabc", kValueQ},
      {"1\n6\n", kWidthQ}, {"1\n5\n", nbexp},   {kRep5, kEntryQ},
      {fixed, kFixedQ},    {flt, kValueQTight}, {"2\n1\n8\n0101", kStringQ},
      {bits, kBitsQ}};
  std::vector<Bad> cases;
  for (const auto& [input, last] : ends) cases.push_back({input, "", "", "", last});
  // Widths: menu and item, the width refused, the width accepted, and the question that follows.
  const std::vector<std::tuple<std::string, int, int, std::string>> widths = {
      {"1\n6\n", 0, 1, kMain},           {"1\n6\n", 65, 64, kMain},
      {"2\n1\n", 0, 1, kStringQ},        {"2\n1\n", 65, 64, kStringQ},
      {"2\n2\n", -1, 64, kStringQTight}, {"2\n3\n", 65, 1, kStringQTight},
      {"2\n4\n", 65, 64, kExcessQ},      {"2\n6\n", 1, 2, kStringQTight},
      {"2\n6\n", 65, 64, kStringQTight}, {"2\n5\n", 2, 3, kRepFormatQ[0]},
      {"2\n5\n", 65, 64, kRepFormatQ[0]}};
  for (const auto& [item, refused, accepted, next] : widths) {
    cases.push_back({item + std::to_string(refused) + "\n" + std::to_string(accepted) + "\n",
                     kWidthQ, "", "", kWidthQ + next});
  }
  ExpectBad(cases);
}

TEST(BadInputSession, AnswersRefusedAndAskedAgain) {
  const std::string msg = Cp850("Escriba un número entero"), back = "\n" + kSep,
                    n8 = "natural es: 5 \n", x8 = "exactamente 8 caracteres",
                    menu = Cp850("Elija una opción del menú: ");
  std::vector<Bad> cases = {
      // Not an integer: the rest of the line goes with the word. A menu names its choices.
      {"1\nabc 1\n0\n0\n", RepMenu(32), menu + Cp850("un número de 0 a 7."), back},
      {"2\n1.5 1\n0\n0\n", kInterpMenu, menu + Cp850("un número de 0 a 6."), "\n" + kSep},
      {"1\n1\n12x 7\n5\n0\n", kValueQ, msg, kFiveAt32},
      {"1\n6\n1.5 7\n4\n1\n1\n5\n0\n", kWidthQ, msg, " El dato representado es: 0101 \n" + kSep},
      {"1\n5\nabc 7\n" + kIeee + "2\n0\n", kRepFormatQ[0], msg, kIeeeSummary},
      {kRep5 + "x 0\n2\n0\n", kEntryQ, menu + "0 o 1.", kIeeeSummary},
      // Bit strings of the wrong length.
      {"2\n1\n8\n0101\n00000101\n0\n", kStringQ, x8, n8},
      {"2\n1\n8\n000001010\n00000101\n0\n", kStringQ, x8, n8},
      {"2\n6\n4\n" + std::string(300, '1') + "\n1111\n0\n", kStringQTight, "",
       "signo/magnitud es: -7 \n"},
      {"2\n5\n32\n" + kIeee + std::string(31, '0') + "\n01000000101000000000000000000000\n0\n",
       kBitsQ, "exactamente 32 caracteres", "\n El resultado es 5.000000"}};
  for (const char* word : {"abc", "12x", "99999999999", "1.5", "-", "+"}) {
    cases.push_back({std::string(word) + " 1\n0\n", kMain, menu + Cp850("un número de 0 a 2."), "",
                     kMain, true});
  }
  // Fixed-point text that is not a decimal number, or that the text cannot hold.
  const std::string range = "La parte entera debe estar entre";
  std::vector<std::pair<std::string, std::string>> texts = {
      {"1" + std::string(63, '0'), Cp850("más de 63 caracteres")},
      {"2147483648.5", range},
      {"-2147483648.5", range},
      {"0,1", "Use el punto decimal: 0.1\n"},
      {"0.00000000000000000001", Cp850("como valor en coma flotante (la respuesta 1")}};
  for (const char* bad : {".5e1", "abc", "1e-10", "1/3", "--5", "5.5.5"}) {
    texts.emplace_back(bad, Cp850("Escriba un número en coma fija"));
  }
  for (const auto& [bad, message] : texts) {
    cases.push_back({kRep5 + "0\n" + bad + "\n5.375\n0\n", kFixedQ, message, kFixedResult});
  }
  for (const char* bad : {"abc", "inf", "nan", "-inf", "1e39", "5.375x"}) {
    cases.push_back({kRep5 + "1\n" + bad + "\n5.375\n0\n", kValueQTight, "", kFloatResult});
  }
  // Format question, answer refused, part of the message; then the IEEE single format follows.
  // Positions are refused if the mantissa would not fit or the exponent run past the end (p1),
  // the mantissa would overlap the exponent (p2), or the sign would fall in the mantissa (p3).
  const char *p1 = "posición 0, 1, 23 o 24.", *p2 = "posición 9.", *p3 = "posición 0.";
  const std::vector<std::tuple<std::size_t, const char*, const char*>> rows = {
      {0, "0", "1 y 30"}, {0, "31", "1 y 30"}, {1, "5", p1},      {1, "25", p1},
      {2, "0", p2},       {3, "31", p3},       {4, "4", "0 y 3"}, {4, "-1", "0 y 3"},
      {6, "3", "0 y 2"},  {7, "3", "0 y 2"},   {7, "-1", "0 y 2"}};
  for (const auto& [at, refused, message] : rows) {
    cases.push_back({"1\n5\n" + Ieee(at, refused) + "2\n0\n", kRepFormatQ[at], Cp850(message),
                     kRepTitle + kIeeeSummary, kMain, true});
  }
  ExpectBad(cases);
}

}  // namespace
