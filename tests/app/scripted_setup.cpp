// The configurator as a process of its own, driven by the scripted user of
// whichever backend it is built for, with the user's part given on the
// command line, so tests can watch a real process
// start the game and end:
//   tg_scripted_setup click:3            ("Save and Run Brax" in the menu)
//   tg_scripted_setup click:3 answer:1   (then OK on a message box)
//   tg_scripted_setup arg:/games/t click:2   (started with that argument)
//   tg_scripted_setup arg:/missing nomenu answer:1   (no menu opens)
// Ends with the configurator's exit code; 3 when the script did not fit what
// the program showed, 4 when steps were left over, 2 for bad arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "tests/harness/scripted_user/user_script.h"

int main(int argc, char **argv) {
  userscript::setFailureHandler([](const std::string &message) {
    fprintf(stderr, "script: %s\n", message.c_str());
    std::_Exit(3);
  });
  std::vector<userscript::Action> menu;
  std::vector<int> answers;
  std::vector<std::string> arguments;
  bool menuOpens = true;
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "arg:", 4) == 0)
      arguments.push_back(argv[i] + 4);
    else if (strcmp(argv[i], "nomenu") == 0)
      menuOpens = false;
    else if (strncmp(argv[i], "click:", 6) == 0)
      menu.push_back(userscript::click(atoi(argv[i] + 6)));
    else if (strncmp(argv[i], "answer:", 7) == 0)
      answers.push_back(atoi(argv[i] + 7));
    else {
      fprintf(stderr, "unknown step: %s\n", argv[i]);
      return 2;
    }
  }
  if (menuOpens) userscript::expectDialog("Tarrengard Configuration", menu);
  for (int answer : answers) userscript::expectMessageBox(answer);
#ifdef _WIN32
  HINSTANCE instance = GetModuleHandleA(nullptr);  // the templates are this program's resources
#else
  static char module;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(&module);
#endif
  int code = tarrengardMain(instance, arguments);
  return userscript::finished() ? code : 4;
}
