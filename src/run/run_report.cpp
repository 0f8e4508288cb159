#include "run_report.h"

#include <cstdio>

CopyFailure CopyFailures[kFailuresShown];
unsigned CopyFailureCount = 0;
unsigned UnlistedCount = 0;
ClearOutcome ClearResult = kClearNotAsked;
unsigned KeptInTarget = 0;
FileError SourceError = kNoError;
FileError FlushError = kNoError;

void ResetRunReport() {
  CopyFailureCount = UnlistedCount = KeptInTarget = 0;
  ClearResult = kClearNotAsked;
  SourceError = FlushError = kNoError;
}

void RecordFailure(const char* name, FileError error, bool unlisted) {
  if (CopyFailureCount < kFailuresShown) {
    CopyFailure& failure = CopyFailures[CopyFailureCount];
    snprintf(failure.name, sizeof failure.name, "%s", name);
    DescribeFileError(error, failure.reason, sizeof failure.reason);
  }
  CopyFailureCount++;
  if (unlisted) UnlistedCount++;
}

bool RunFellShort() {
  return CopyFailureCount > 0 || KeptInTarget > 0 || SourceError != kNoError || FlushError != kNoError ||
         ClearResult == kClearSkippedSameFolder || ClearResult == kClearSkippedCannotTell;
}
