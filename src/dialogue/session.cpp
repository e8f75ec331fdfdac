#include "dialogue/session.h"

#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "output/output.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

int RunSession(std::FILE* in) {
  if (in != nullptr) in::BindInput(in);
  ResetSettings();
  dialogue::MainMenu();
  out::Flush();
  return 0;
}

Transcript RunSessionOnText(std::string_view input) {
  int status = 0;
  out::Captured printed = out::Capture([&] {
    in::BindInputText(input);
    status = RunSession(nullptr);
  });
  in::BindInput(stdin);
  return {std::move(printed.out), std::move(printed.err), status};
}

}  // namespace repbin
