#include <cstring>

#include "copy_worker.h"
#include "platform/text.h"
#include "ui/ui.h"

bool ReportCopyFailures() {
  if (CopyFailureCount == 0) return false;
  // Room for the first line, ten names of at most 255 bytes with their
  // reasons, and the last line: every line fits.
  char text[80 + kFailuresShown * (sizeof CopyFailures[0].name + sizeof CopyFailures[0].reason + 3) + 40];
  FormatText(text, sizeof text, "%u of %u files could not be copied:", CopyFailureCount,
             static_cast<unsigned>(FileCount));
  size_t used = strlen(text);
  unsigned shown = CopyFailureCount < kFailuresShown ? CopyFailureCount : kFailuresShown;
  for (unsigned i = 0; i < shown; i++)
    if (FormatText(text + used, sizeof text - used, "\n%s: %s", CopyFailures[i].name, CopyFailures[i].reason))
      used += strlen(text + used);
  if (CopyFailureCount > shown)
    FormatText(text + used, sizeof text - used, "\n... and %u more", CopyFailureCount - shown);
  ShowMessageBox(text, "Fehler", kButtonsOk, kIconError, 1);
  return true;
}
