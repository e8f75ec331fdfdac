#include "console/session.h"

#include <cstdlib>

#include "console/dialogue.h"
#include "console/input.h"
#include "output/output.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

int RunSession(std::FILE* in) {
  console::BindInput(in);
  ResetSettings();
  ResetDescriptor();
  console::MainMenu();
  out::Flush();
  return 0;
}

Transcript RunSessionOnText(std::string_view input) {
  std::string text(input);  // fmemopen wants writable storage
  std::FILE* in = fmemopen(text.data(), text.size(), "r");
  if (in == nullptr) std::abort();  // no memory left: nothing sound to do
  int status = 0;
  out::Captured printed = out::Capture([&] { status = RunSession(in); });
  std::fclose(in);
  console::BindInput(stdin);
  return {std::move(printed.out), std::move(printed.err), status};
}

}  // namespace repbin
