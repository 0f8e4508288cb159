#include "filelist.h"
#include "platform/text.h"
#include "ui/ui.h"

void ReportFatalError(int code) {
  char text[100];
  FormatText(text, sizeof text, "Fehler No %i", code);
  ShowMessageBox(text, "Fehler", kButtonsOk, kIconError, 1);
  EndProcess(code);
}
