// Checking a student's answer to an exercise, and saying in plain Spanish what is wrong with it.
//
// What the student's string or number means is worked out with the program's own decoders and
// encoders (the value of a bit string in the asked system and in the others, the exercise's
// string read with another excess or normalisation), never with arithmetic of its own, so the
// diagnosis always agrees with the traces.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/exercise_sheet.h"

namespace repbin::exercises {

// Which fields of a floating-point answer of the right length are right.
struct FieldMarks {
  bool sign = false;
  bool exponent = false;
  bool mantissa = false;
};

struct Verdict {
  bool correcta = false;
  std::string diagnostico;  // UTF-8, plain Spanish; empty when the answer is right
  // The diagnosis as a stable code, for records and class reports ("c2_falta_sumar_1",
  // "exceso_sin_sumar", "longitud"...; every one in ErrorCodes()); empty when the answer is right
  // or is to be asked again.
  std::string error;
  std::optional<FieldMarks> campos;  // floating-point representations of the right length
  // The answer is a number where a bit string is asked: the student may answer again, and the
  // answer does not count as a try (diagnostico says what is asked).
  bool repetir = false;
};

// Checks `answer` (one line as typed) against the exercise's key. Accepted forms: a bit string
// grouped with spaces, '_' or '.' (and a pattern in hexadecimal after "0x"); "fuera de rango" in
// any case, with or without accents; a whole number for an integer reading (or a decimal number
// equal to it: "-59.0", "-59,00"); for a fixed-point reading a decimal number equal to the key
// ("-14.125", "-14,1250"); for a floating-point reading a real number (with '.' or ',') within
// half a unit of the sixth decimal of the key. A number where a bit string is asked gets
// `repetir`.
// The program-wide settings are as they were when it returns.
Verdict CheckAnswer(const Exercise& exercise, std::string_view answer);

// Every code a Verdict's `error` may hold, each with what it means in Spanish (for the manual
// page and the class report).
struct ErrorCode {
  const char* code;
  const char* meaning;
};
const std::vector<ErrorCode>& ErrorCodes();

// Whether `answer` says "fuera de rango": any case, accented vowels (UTF-8 or code page 850)
// taken as plain ones, spaces, '-' or '_' between the words, a final '.'.
bool SaysOutOfRange(std::string_view answer);

}  // namespace repbin::exercises
