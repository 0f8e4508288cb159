// The run's questions in the terminal: the same texts and captions as the
// message boxes, answered with a key. Names in the texts are shown escaped.
#include <cctype>
#include <cstdio>
#include <string>

#include "linux_backends.h"
#include "terminal_bytes.h"
#include "terminal_keys.h"
#include "terminal_screen.h"

MessageAnswer TerminalShowMessageBox(const char* text, const char* caption, MessageButtons buttons, MessageIcon icon,
                                     int defaultButton) {
  static const MessageAnswer answers[3][3] = {
      {kAnswerOk}, {kAnswerYes, kAnswerNo}, {kAnswerYes, kAnswerNo, kAnswerCancel}};
  static const char* const names[3][3] = {{"OK"}, {"Yes", "No"}, {"Yes", "No", "Cancel"}};
  int count = buttons == kButtonsOk ? 1 : buttons == kButtonsYesNo ? 2 : 3;
  int chosen = defaultButton >= 1 && defaultButton <= count ? defaultButton - 1 : 0;
  // Escape, Ctrl+C and the end of input close the box: Cancel, else No, else OK.
  MessageAnswer closed = answers[buttons][count - 1];

  std::string shown = Shown(text, true);
  // An error is also part of the output where that goes to a file or a pipe.
  if (icon == kIconError && !OutputIsScreen()) {
    printf("%s: %s\n", caption, shown.c_str());
    fflush(stdout);
  }
  FILE* screen = Screen();
  fprintf(screen, "\n%s: %s\n", caption, shown.c_str());
  for (int i = 0; i < count; i++)
    fprintf(screen, "%s[%c]%s", i ? " / " : "", names[buttons][i][0], names[buttons][i] + 1);
  fprintf(screen, " (Enter: %s) ", names[buttons][chosen]);
  fflush(screen);
  BeginKeys();
  MessageAnswer answer = closed;
  for (;;) {
    int key = ReadKey(-1);
    if (key == '\r' || key == '\n') {
      answer = answers[buttons][chosen];
      break;
    }
    if (key == kKeyEscape || key == kKeyEnd || key == 3) break;
    bool found = false;
    for (int i = 0; i < count && key > 0; i++)
      if (tolower(key) == tolower(names[buttons][i][0])) {
        answer = answers[buttons][i];
        found = true;
      }
    if (found) break;
  }
  EndKeys();
  for (int i = 0; i < count; i++)
    if (answers[buttons][i] == answer) fprintf(screen, "%s\n", names[buttons][i]);
  fflush(screen);
  return answer;
}
