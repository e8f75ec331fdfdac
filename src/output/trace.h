// Trace sinks: where a conversion reports its steps.
//
// Every codec and operation computes its result and reports each step, as the text the dialogue
// shows, to the sink it is given. PrintedTrace() writes the steps through the output layer (the
// dialogue's bytes); NoTrace() drops them, for callers that want only the value; a RecordedTrace
// keeps them as text, so a door can show them in its own form (a JSON array, the page's steps).
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "output/output.h"

namespace repbin {

class Trace {
 public:
  // A step on standard output (printf-style, '.' as the decimal point).
  void Print(const char* format, ...) REPBIN_PRINTF_FORMAT(2, 3);
  // A step the dialogue has always shown on standard error.
  void PrintErr(const char* format, ...) REPBIN_PRINTF_FORMAT(2, 3);
  // A message text chosen at run time, on standard output, with no substitutions.
  void Text(const char* text) { EmitText(false, text); }

 protected:
  Trace() = default;
  ~Trace() = default;
  Trace(const Trace&) = default;
  Trace& operator=(const Trace&) = default;
  virtual void Emit(bool standard_error, const char* format, std::va_list args) = 0;
  virtual void EmitText(bool standard_error, const char* text) = 0;
};

// The sink that prints through the output layer, on the stream each step names.
Trace& PrintedTrace();
// The sink that drops every step.
Trace& NoTrace();

// The sink that keeps the steps, in UTF-8: those on standard output, and those of both streams
// in program order (what a terminal would show).
class RecordedTrace final : public Trace {
 public:
  const std::string& out() const { return out_; }
  const std::string& merged() const { return merged_; }
  // The merged text cut at its newlines; a last line without one is kept, empty lines too.
  std::vector<std::string> Lines() const;

 private:
  void Emit(bool standard_error, const char* format, std::va_list args) override;
  void EmitText(bool standard_error, const char* text) override;
  std::string out_;
  std::string merged_;
};

}  // namespace repbin
