// The progress of the copy in the terminal: one line redrawn in place, fitted
// to the terminal's width, or plain lines where the output is no terminal.
// Escape or Ctrl+C asks "Really Stop?!" while the copy goes on.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "linux_backends.h"
#include "run/shared_state.h"
#include "terminal_bytes.h"
#include "terminal_keys.h"
#include "terminal_screen.h"

namespace {
std::atomic<unsigned> high{0};
std::atomic<unsigned> position{0};
std::atomic<bool> ended{false};
std::mutex captionMutex;
char caption[300];            // the newest caption; guarded by captionMutex
bool showing = false;         // the progress line is on the screen
std::string openedFolder;     // the target, to be named once the line is done
// The worker's end wakes the line at once through this pipe, so the run
// does not wait for the next redraw to end.
int wake[2] = {-1, -1};

using Clock = std::chrono::steady_clock;

std::string Caption() {
  std::lock_guard<std::mutex> guard(captionMutex);
  return caption;
}

// Waits up to the time for a key (where input has not ended), or for the
// worker's end.
int WaitForKey(int timeoutMilliseconds, bool inputEnded) {
  struct pollfd ready[2] = {{wake[0], POLLIN, 0}, {inputEnded ? -1 : STDIN_FILENO, POLLIN, 0}};
  if (poll(ready, 2, timeoutMilliseconds) <= 0) return kKeyNone;
  if (ready[0].revents != 0) {
    char drained[16];
    while (read(wake[0], drained, sizeof drained) > 0) {
    }
  }
  return ready[1].revents != 0 ? ReadKey(0) : kKeyNone;
}

// The line in place: the bar and the caption within the columns, the bar
// narrower where the room is short and left out where even the caption
// barely fits. The last column stays free, so the line never wraps.
std::string FittedLine(const std::string& text, double done, int columns) {
  const int widest = 30, narrowest = 5;
  int room = columns - 1;
  int bar = std::min(widest, room - 3 - static_cast<int>(text.size()));
  if (bar < narrowest) return text.substr(0, static_cast<size_t>(std::max(room, 0)));
  int filled = static_cast<int>(std::min(1.0, done) * bar);
  return "[" + std::string(filled, '#') + std::string(bar - filled, '-') + "] " + text;
}

// Draws the line; on a terminal in place, else as a plain line when it changed.
void Draw(bool inPlace, std::string* last) {
  std::string text = Caption();
  if (!inPlace) {
    if (text != *last) printf("%s\n", text.c_str());
    *last = text;
    fflush(stdout);
    return;
  }
  unsigned top = high.load(), at = position.load();
  double done = top == 0 ? 0.0 : static_cast<double>(at) / top;
  // The width is read for every line, so the line follows a resized terminal.
  fprintf(Screen(), "\r%s\033[K", FittedLine(text, done, ScreenColumns()).c_str());
  fflush(Screen());
}

// Escape, Ctrl+C or Enter: the same handling as the dialog's Cancel.
void Command() {
  if (CopyRunning == 1 &&
      TerminalShowMessageBox("Really Stop?!", "?!", kButtonsYesNo, kIconQuestion, 2) != kAnswerYes)
    return;
  CopyRunning = 0;
  ended = true;
}

bool IsCommandKey(int key) { return key == kKeyEscape || key == 3 || key == '\r' || key == '\n'; }
}  // namespace

void TerminalRunProgressDialog() {
  high = FileCount > 0xFFFF ? static_cast<unsigned>(FileCount) : (FileCount & 0xFFFF);
  position = 0;
  ended = false;
  {
    std::lock_guard<std::mutex> guard(captionMutex);
    snprintf(caption, sizeof caption, "%s", "Progress.........");
    showing = true;
  }
  if (wake[0] < 0 && pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) wake[0] = wake[1] = -1;
  const bool inPlace = OutputIsScreen();
  std::string last;
  if (inPlace) fputs("\n", Screen());
  BeginKeys();
  Draw(inPlace, &last);
  // The copy starts after half a second; a command before then ends it unstarted.
  Clock::time_point start = Clock::now() + std::chrono::milliseconds(500);
  bool started = false, inputEnded = false;
  Clock::time_point drawn = Clock::now();
  while (!ended) {
    int wait = 200;
    if (!started) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start - Clock::now()).count();
      if (left <= 0) {
        CopyRunning = 1;
        WorkerThread = rt::BeginThread(CopyWorker, 0, nullptr);
        started = true;
        continue;
      }
      wait = static_cast<int>(std::min<long long>(wait, left));
    }
    int key = WaitForKey(wait, inputEnded);
    if (key == kKeyEnd) {
      // Input has ended: no stop can be asked for any more; the copy runs on.
      inputEnded = true;
    } else if (IsCommandKey(key)) {
      if (inPlace) fputs("\n", Screen());
      Command();
      last.clear();
    }
    if (Clock::now() - drawn >= std::chrono::milliseconds(200)) {
      Draw(inPlace, &last);
      drawn = Clock::now();
    }
  }
  Draw(inPlace, &last);
  if (inPlace) fputs("\n", Screen());
  fflush(Screen());
  std::lock_guard<std::mutex> guard(captionMutex);
  showing = false;
  if (!openedFolder.empty()) printf("Target folder: %s\n", Shown(openedFolder).c_str());
  openedFolder.clear();
  fflush(stdout);
  EndKeys();
}

// There is no file browser to open: the target's path is printed, after the
// progress line when that is still on the screen.
void TerminalOpenFolderInBrowser(const char* folder) {
  std::lock_guard<std::mutex> guard(captionMutex);
  if (showing) {
    openedFolder = folder;
    return;
  }
  printf("Target folder: %s\n", Shown(folder).c_str());
  fflush(stdout);
}

void TerminalSetProgressRange(unsigned, unsigned top) { high = top; }
void TerminalSetProgressPosition(unsigned at) { position = at; }
void TerminalSetDialogCaption(const char* text) {
  std::lock_guard<std::mutex> guard(captionMutex);
  snprintf(caption, sizeof caption, "%s", text);
}
void TerminalSendDialogCommand(int command) {
  if ((command == kCommandOk || command == kCommandCancel) && CopyRunning == 0) {
    ended = true;
    if (wake[1] >= 0 && write(wake[1], "", 1) < 0) return;  // a full pipe is awake already
  }
}
