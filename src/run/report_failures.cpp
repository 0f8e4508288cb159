#include <cstdarg>
#include <cstdio>

#include "filelist/filelist.h"
#include "run.h"
#include "run_report.h"

namespace {
// Room for the notes, ten names of at most 255 bytes with their reasons, and
// the last line: every line fits.
constexpr size_t kTextSize = 1024 + kFailuresShown * (sizeof CopyFailures[0].name + sizeof CopyFailures[0].reason + 3);

// Adds a line (after a line break, unless it is the first).
void AddLine(char* text, size_t* used, const char* format, ...) __attribute__((format(printf, 3, 4)));
void AddLine(char* text, size_t* used, const char* format, ...) {
  if (*used > 0 && *used + 1 < kTextSize) text[(*used)++] = '\n';
  va_list args;
  va_start(args, format);
  int length = vsnprintf(text + *used, kTextSize - *used, format, args);
  va_end(args);
  if (length > 0) *used += static_cast<size_t>(length) < kTextSize - *used ? static_cast<size_t>(length) : 0;
  text[*used] = '\0';
}

void AddReason(char* text, size_t* used, const char* what, FileError error) {
  char reason[128];
  DescribeFileError(error, reason, sizeof reason);
  AddLine(text, used, "%s: %s", what, reason);
}
}  // namespace

bool ReportRunFailures() {
  if (!RunFellShort()) return false;
  static char text[kTextSize];
  size_t used = 0;
  text[0] = '\0';
  if (SourceError != kNoError) AddReason(text, &used, "The source folder could not be read", SourceError);
  if (ClearResult == kClearSkippedSameFolder)
    AddLine(text, &used, "The target folder was not emptied: it is the source folder.");
  if (ClearResult == kClearSkippedCannotTell)
    AddLine(text, &used, "The target folder was not emptied: it could not be told apart from the source folder.");
  if (KeptInTarget > 0)
    AddLine(text, &used, "%u files were kept in the target folder: they are or may be files of the source folder.",
            KeptInTarget);
  if (CopyFailureCount > 0) {
    AddLine(text, &used, "%u of %u files could not be copied:", CopyFailureCount,
            static_cast<unsigned>(FileCount) + UnlistedCount);
    unsigned shown = CopyFailureCount < kFailuresShown ? CopyFailureCount : kFailuresShown;
    for (unsigned i = 0; i < shown; i++) AddLine(text, &used, "%s: %s", CopyFailures[i].name, CopyFailures[i].reason);
    if (CopyFailureCount > shown) AddLine(text, &used, "... and %u more", CopyFailureCount - shown);
  }
  if (FlushError != kNoError) AddReason(text, &used, "The copies could not all be written to the disk", FlushError);
  ShowMessageBox(text, "Fehler", kButtonsOk, kIconError, 1);
  return true;
}
