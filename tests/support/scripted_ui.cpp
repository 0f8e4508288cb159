#include "scripted_ui.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

#include "copy/copy_worker.h"
#include "run/shared_state.h"

namespace {
std::mutex mutex;
std::condition_variable dialogEnded;
bool dialogOpen = false;
std::deque<script::FolderAnswer> folderAnswers;
std::deque<MessageAnswer> messageAnswers;
script::ProgressMode progressMode = script::kRunToEnd;
unsigned stopPosition = 0;
std::vector<std::string> events;

// The scripted dialog's window handle: any recognisable non-null value.
WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0x4662);

}  // namespace

void script::Record(const std::string& event) {
  std::lock_guard<std::mutex> guard(mutex);
  events.push_back(event);
}

namespace {
void EndDialog() {
  std::lock_guard<std::mutex> guard(mutex);
  dialogOpen = false;
  dialogEnded.notify_all();
}
}  // namespace

namespace script {

void Reset() {
  std::lock_guard<std::mutex> guard(mutex);
  folderAnswers.clear();
  messageAnswers.clear();
  progressMode = kRunToEnd;
  events.clear();
  dialogOpen = false;
  ClearSettings();
}

void AnswerFolders(std::vector<FolderAnswer> answers) { folderAnswers.assign(answers.begin(), answers.end()); }
void AnswerMessages(std::vector<MessageAnswer> answers) {
  messageAnswers.assign(answers.begin(), answers.end());
}
void SetProgressMode(ProgressMode mode, unsigned position) {
  progressMode = mode;
  stopPosition = position;
}

std::vector<std::string> Events() {
  std::lock_guard<std::mutex> guard(mutex);
  return events;
}

std::vector<std::string> EventsStartingWith(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& event : Events())
    if (event.compare(0, prefix.size(), prefix) == 0) found.push_back(event);
  return found;
}

}  // namespace script

using script::Record;

// ---- The user-interface seam ---------------------------------------------------

MessageAnswer ShowMessageBox(const char* text, const char* caption, MessageButtons buttons,
                             MessageIcon icon, int defaultButton) {
  // Also on standard error, where a death test can see it.
  static const char* const buttonNames[] = {"OK", "Yes No", "Yes No Cancel"};
  fprintf(stderr, "message box %s, %s icon, %s, default %d: %s\n", caption,
          icon == kIconError ? "error" : "question", buttonNames[buttons], defaultButton, text);
  Record(std::string("message|") + caption + "|" + text + "|" + std::to_string(buttons + 1) + "|" +
         (icon == kIconError ? "error" : "question") + "|" + std::to_string(defaultButton));
  if (messageAnswers.empty()) return buttons == kButtonsOk ? kAnswerOk : kAnswerCancel;
  MessageAnswer answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

int ChooseFolder(WindowHandle, const char* title, char* buffer, FolderKind kind) {
  Record(std::string("choose|") + title + "|" + buffer + "|" + (kind == kSourceFolder ? "source" : "target"));
  if (folderAnswers.empty()) return 0;
  script::FolderAnswer answer = folderAnswers.front();
  folderAnswers.pop_front();
  if (!answer.chosen || answer.folder.size() >= static_cast<size_t>(kFolderSize)) return 0;
  memcpy(buffer, answer.folder.c_str(), answer.folder.size() + 1);
  return 1;
}

void RunProgressDialog(InstanceHandle) {
  Record("dialog");
  if (progressMode == script::kCommandBeforeStart) {
    CopyRunning = 0;
    return;
  }
  {
    std::lock_guard<std::mutex> guard(mutex);
    dialogOpen = true;
  }
  CopyRunning = 1;
  WorkerThread = rt::BeginThread(CopyWorker, 0, kDialog);
  std::unique_lock<std::mutex> lock(mutex);
  dialogEnded.wait(lock, [] { return !dialogOpen; });
}

void SetProgressRange(WindowHandle, unsigned low, unsigned high) {
  Record("range|" + std::to_string(low) + "|" + std::to_string(high));
}

void SetProgressPosition(WindowHandle, unsigned position) {
  Record("position|" + std::to_string(position));
  if (progressMode == script::kStopAtPosition && position == stopPosition && CopyRunning == 1) {
    Record("stop");  // the user confirms "Really Stop?!"
    CopyRunning = 0;
    EndDialog();
  }
}

void SetDialogCaption(WindowHandle, const char* text) { Record(std::string("caption|") + text); }

void SendDialogCommand(WindowHandle, int command) {
  Record("command|" + std::to_string(command));
  if (command == kCommandCancel && CopyRunning == 0) EndDialog();
}

void OpenFolderInBrowser(WindowHandle, const char* folder) { Record(std::string("open|") + folder); }
