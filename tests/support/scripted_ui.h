// The scripted user interface: answers each dialog from a script and records
// what was shown, so the run can be tested without a window.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

namespace script {

struct FolderAnswer {
  bool chosen;
  std::string folder;  // written into the buffer when chosen
};

enum ProgressMode {
  kRunToEnd,            // the dialog waits for the worker's end
  kCommandBeforeStart,  // Cancel within the first half second: no worker
  kStopAtPosition,      // a confirmed stop when the bar reaches a position
};

// Forgets all answers, recordings and stored settings.
void Reset();
void AnswerFolders(std::vector<FolderAnswer> answers);
void AnswerMessages(std::vector<MessageAnswer> answers);
void SetProgressMode(ProgressMode mode, unsigned stopPosition = 0);

// What was shown, in order, one line each, for example
// "choose|Auswahl Quell Verzeichnis |/tmp/a/|source" or "message|?!|text|3|question|1".
std::vector<std::string> Events();
// The events that begin with the prefix.
std::vector<std::string> EventsStartingWith(const std::string& prefix);

// Adds a line to what was shown.
void Record(const std::string& event);

// The settings store of the scripted run (scripted_settings.cpp), emptied by Reset.
void ClearSettings();
void StoreSetting(const std::string& name, const std::string& value);
bool StoredSetting(const std::string& name, std::string* value);

}  // namespace script
