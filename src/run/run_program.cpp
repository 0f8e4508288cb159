#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "platform/text.h"
#include "run.h"
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

// Waits for a worker that may still be finishing its last file, tells which
// files it could not copy, then gives the list back.
int EndRun() {
  if (WorkerThread != nullptr) {
    rt::WaitForThread(WorkerThread);
    WorkerThread = nullptr;
  }
  bool failed = ReportCopyFailures();
  ReleaseFileList();
  return failed ? kExitFilesNotCopied : 0;
}
}  // namespace

int RunProgram(InstanceHandle instance) {
  programInstance = instance;
  CopyFailureCount = 0;
  ReadFolderSetting("SourcePath", SourceFolder, DefaultFolder());
  ReadFolderSetting("TargetPath", TargetFolder, DefaultFolder());

  if (!ChooseFolder(nullptr, "Auswahl Quell Verzeichnis ", SourceFolder, kSourceFolder)) return 0;
  WriteFolderSetting("SourcePath", SourceFolder);
  // The source is read now, before the target is known.
  ScanSourceFolder(SourceFolder);

  if (ChooseFolder(nullptr, "Auswahl Ziel Verzeichnis ", TargetFolder, kTargetFolder)) {
    WriteFolderSetting("TargetPath", TargetFolder);
    MessageAnswer answer = AskClearTarget();
    if (answer == kAnswerYes) ClearTargetFolder();
    if (answer != kAnswerCancel) RunProgressDialog(programInstance);
  }
  return EndRun();
}
