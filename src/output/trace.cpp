#include "output/trace.h"

#include <cstdio>

namespace repbin {
namespace {

class Printed final : public Trace {
  void Emit(bool standard_error, const char* format, std::va_list args) override {
    if (standard_error) {
      out::PrintErrV(format, args);
    } else {
      out::PrintV(format, args);
    }
  }
  void EmitText(bool standard_error, const char* text) override {
    if (standard_error) {
      out::PrintErrText(text);
    } else {
      out::PrintText(text);
    }
  }
};

class Dropped final : public Trace {
  void Emit(bool, const char*, std::va_list) override {}
  void EmitText(bool, const char*) override {}
};

}  // namespace

void Trace::Print(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  Emit(false, format, args);
  va_end(args);
}

void Trace::PrintErr(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  Emit(true, format, args);
  va_end(args);
}

Trace& PrintedTrace() {
  static Printed printed;
  return printed;
}

Trace& NoTrace() {
  static Dropped dropped;
  return dropped;
}

void RecordedTrace::Emit(bool standard_error, const char* format, std::va_list args) {
  std::va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  if (n > 0) {
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.pop_back();
    EmitText(standard_error, text.c_str());
  }
  va_end(again);
}

void RecordedTrace::EmitText(bool standard_error, const char* text) {
  if (!standard_error) out_ += text;
  merged_ += text;
}

std::vector<std::string> RecordedTrace::Lines() const {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < merged_.size()) {
    const std::size_t end = merged_.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(merged_.substr(start));
      break;
    }
    lines.push_back(merged_.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace repbin
