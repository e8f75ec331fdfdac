// `repbin informe`: what a class's practice records say, per student, per kind of exercise and
// per mistake, for the teacher (text, an HTML page to open or print, JSON) or for a gradebook
// (CSV for Moodle's grade import).
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/output.h"

namespace repbin {

// Runs `repbin informe ARGS...` (`args` without the command's own name); returns the exit
// status: 0 done, 2 a usage error or a file that cannot be read (with a Spanish message on
// standard error).
// `encoding`: an encoding option given before the command's name; one among `args` overrides it.
int RunClassReport(const std::vector<std::string>& args,
                   std::optional<out::Encoding> encoding = std::nullopt);

namespace exercises {

// The name a record without `alumno` is filed under.
inline constexpr const char* kNoName = "(sin nombre)";

struct StudentTally {
  int correctas = 0;
  int incorrectas = 0;
  int sin_responder = 0;
  int Answered() const { return correctas + incorrectas; }
  int Posed() const { return Answered() + sin_responder; }
  // The mark out of 10 in hundredths, rounded half up: right over posed.
  int MarkHundredths() const;
};

struct KindTally {
  int planteados = 0;
  int correctos = 0;
};

struct ErrorTally {
  int veces = 0;
  // The first record with this mistake.
  std::string alumno, enunciado, respuesta_alumno, respuesta;
};

struct ClassRecords {
  std::map<std::string, StudentTally> alumnos;  // by name, in byte order
  std::map<std::string, KindTally> tipos;       // by kind name ("representar-c2")
  std::map<std::string, ErrorTally> errores;    // by code
  int registros = 0;                            // records read
  int lineas_rotas = 0;                         // lines that are no record, skipped
  // Adds every record of `in` (JSON Lines as `repbin practicar --registro` writes them).
  void Read(std::istream& in);
  // Adds one line; false when it is no record (and it is counted as broken).
  bool AddLine(const std::string& line);
  // The error codes, the most frequent first (ties in code order).
  std::vector<std::string> ErrorsByFrequency() const;
};

// "7.50": hundredths as a number with two decimals.
std::string Hundredths(int hundredths);

std::string ReportText(const ClassRecords& records);
std::string ReportCsv(const ClassRecords& records);
std::string ReportHtml(const ClassRecords& records);
std::string ReportJson(const ClassRecords& records);

}  // namespace exercises
}  // namespace repbin
