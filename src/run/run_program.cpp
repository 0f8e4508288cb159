#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "platform/text.h"
#include "run.h"
#include "run_report.h"
#include "settings/settings.h"
#include "shared_state.h"

namespace {
InstanceHandle programInstance;

// The clear prompt: Yes empties the target, No keeps it, Cancel ends the run.
MessageAnswer AskClearTarget() {
  char text[kFolderSize + 32];
  FormatText(text, sizeof text, "Clear Target Directory:\n%s", TargetFolder);
  return ShowMessageBox(text, "?!", kButtonsYesNoCancel, kIconQuestion, 1);
}

// Waits for a worker that may still be finishing its last file, tells what
// the run could not do, then gives the list back.
int EndRun() {
  if (WorkerThread != nullptr) {
    rt::WaitForThread(WorkerThread);
    WorkerThread = nullptr;
  }
  bool failed = ReportRunFailures();
  ReleaseFileList();
  return failed ? kExitFilesNotCopied : 0;
}
}  // namespace

int RunProgram(InstanceHandle instance) {
  programInstance = instance;
  ResetRunReport();
  ReadFolderSetting("SourcePath", SourceFolder, DefaultFolder());
  ReadFolderSetting("TargetPath", TargetFolder, DefaultFolder());

  if (!ChooseFolder(nullptr, "Auswahl Quell Verzeichnis ", SourceFolder, kSourceFolder)) return 0;
  WriteFolderSetting("SourcePath", SourceFolder);
  // The source is read now, before the target is known. One that cannot be
  // read is told before anything in a target is touched.
  ScanSourceFolder(SourceFolder);

  if (SourceError == kNoError && ChooseFolder(nullptr, "Auswahl Ziel Verzeichnis ", TargetFolder, kTargetFolder)) {
    WriteFolderSetting("TargetPath", TargetFolder);
    MessageAnswer answer = AskClearTarget();
    if (answer == kAnswerYes) ClearTargetFolder();
    if (answer != kAnswerCancel) RunProgressDialog(programInstance);
  }
  return EndRun();
}
