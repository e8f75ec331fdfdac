#include "console/session.h"

#include "console/dialogue.h"
#include "console/input.h"
#include "output/output.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

int RunSession(std::FILE* in) {
  if (in != nullptr) console::BindInput(in);
  ResetSettings();
  ResetDescriptor();
  console::MainMenu();
  out::Flush();
  return 0;
}

Transcript RunSessionOnText(std::string_view input) {
  int status = 0;
  out::Captured printed = out::Capture([&] {
    console::BindInputText(input);
    status = RunSession(nullptr);
  });
  console::BindInput(stdin);
  return {std::move(printed.out), std::move(printed.err), status};
}

}  // namespace repbin
