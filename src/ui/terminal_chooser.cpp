// The folder browser in the terminal: a line, filled with the remembered
// folder, edited with the line editor (Tab completes folder names).
#include <editline/readline.h>
#include <errno.h>
#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "linux_backends.h"
#include "platform/text.h"
#include "run/shared_state.h"
#include "terminal_bytes.h"
#include "terminal_keys.h"
#include "terminal_screen.h"

namespace {
bool escaped = false;
std::string unread;  // bytes read ahead that are yet to be handed out
volatile sig_atomic_t resized = 0;

void OnResize(int) { resized = 1; }

// Whether input came within the time (-1: no limit). The editor is told of
// a resized terminal meanwhile, and draws its line again after a stop, as it
// does not watch for either itself here.
bool InputWithin(int timeoutMilliseconds) {
  struct pollfd input = {STDIN_FILENO, POLLIN, 0};
  for (;;) {
    int ready = poll(&input, 1, timeoutMilliseconds);
    if (ready >= 0 || errno != EINTR) return ready > 0;
    if (resized) {
      resized = 0;
      rl_resize_terminal();
    }
    if (TakeResumed()) {
      // Drawn anew on a cleared line: the shell may have written below it meanwhile.
      fputs("\r\033[K", Screen());
      fflush(Screen());
      rl_forced_update_display();
    }
  }
}

// The next byte of input, or EOF; waits at most the time when one is given.
int NextByte(int timeoutMilliseconds = -1) {
  if (!unread.empty()) {
    unsigned char byte = static_cast<unsigned char>(unread[0]);
    unread.erase(0, 1);
    return byte;
  }
  if (!InputWithin(timeoutMilliseconds)) return EOF;
  unsigned char byte;
  return read(STDIN_FILENO, &byte, 1) == 1 ? byte : EOF;
}

// Reads the line editor's keys, as characters: a UTF-8 character whole, any
// other byte as its stand-in. Escape alone (not the start of a longer key
// such as an arrow) gives up the choice, as Cancel does in the browser: it
// ends the line as Enter would, and the line is then dropped.
int ReadEditorKey(FILE*) {
  int lead = NextByte();
  if (lead == EOF) return EOF;
  if (lead == 27) {
    if (unread.empty() && !InputWithin(40)) {
      escaped = true;
      return '\n';
    }
    return lead;
  }
  if (lead < 0x80) return lead;
  // The rest of a character comes with its first byte.
  unsigned char character[4] = {static_cast<unsigned char>(lead)};
  size_t got = 1;
  size_t wanted = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  while (got < wanted) {
    int next = NextByte(40);
    if (next == EOF) break;
    character[got++] = static_cast<unsigned char>(next);
  }
  if (got == wanted && Utf8Length(character, got) == got) return static_cast<int>(Utf8CodePoint(character, got));
  unread.insert(0, reinterpret_cast<const char*>(character + 1), got - 1);
  return static_cast<int>(kStandInBase + character[0]);
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Offers folder names only, looked up by their bytes and handed to the
// editor with stand-ins.
char* FolderNames(const char* text, int state) {
  std::string typed = WithoutStandIns(text);
  while (char* match = rl_filename_completion_function(typed.c_str(), state)) {
    state = 1;
    std::string path = match;
    free(match);
    if (!path.empty() && path[0] == '~') {
      const char* home = getenv("HOME");
      if (IsFolder(std::string(home ? home : "") + path.substr(1))) return strdup(WithStandIns(path).c_str());
    } else if (IsFolder(path)) {
      return strdup(WithStandIns(path).c_str());
    }
  }
  return nullptr;
}

char** CompleteFolder(const char* text, int, int) {
  rl_completion_append_character = '/';
  return rl_completion_matches(text, FolderNames);
}

std::string ExpandHome(const std::string& path) {
  if (path == "~" || path.compare(0, 2, "~/") == 0) {
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + path.substr(1);
  }
  return path;
}

// The editor asks on the screen. The program's own signal handlers put the
// terminal back and end it; the editor's would pass a signal on to the whole
// process group, the shell that started the program among it.
void SetUpEditor() {
  static bool done = false;
  if (done) return;
  done = true;
  rl_catch_signals = 0;
  rl_catch_sigwinch = 0;
  rl_instream = stdin;
  rl_outstream = Screen();
  rl_attempted_completion_function = CompleteFolder;
  rl_getc_function = ReadEditorKey;
  struct sigaction resize = {};
  resize.sa_handler = OnResize;
  resize.sa_flags = SA_RESTART;  // the copy's own calls go on undisturbed
  sigemptyset(&resize.sa_mask);
  sigaction(SIGWINCH, &resize, nullptr);
}

// One line of input; false when given up (Escape or end of input).
bool ReadFolderLine(const std::string& prompt, std::string* line) {
  SetUpEditor();
  escaped = false;
  unread.clear();
  char* text = readline(WithStandIns(prompt).c_str());
  if (text == nullptr || escaped) {
    if (text == nullptr) fputs("\n", Screen());
    free(text);
    return false;
  }
  *line = WithoutStandIns(text);
  free(text);
  return true;
}
}  // namespace

// The first prompt offers the remembered folder, which Enter accepts; after a
// folder that would not do, the prompt is fresh and an empty line gives up.
int TerminalChooseFolder(const char* title, char* buffer, FolderKind kind) {
  FILE* screen = Screen();
  fprintf(screen, "\n%s\n", title);
  fflush(screen);
  bool fresh = false;
  for (;;) {
    std::string line;
    std::string prompt = fresh ? std::string("Folder: ") : "Folder [" + Shown(buffer) + "]: ";
    if (!ReadFolderLine(prompt, &line)) return 0;
    if (line.empty()) {
      if (fresh) return 0;
      line = buffer;
    }
    fresh = true;
    std::string path = ExpandHome(line);
    if (!IsFolder(path)) {
      bool exists = access(path.c_str(), F_OK) == 0;
      if (kind != kTargetFolder || exists) {
        fprintf(screen, "Not a folder: %s\n", Shown(path).c_str());
        continue;
      }
      std::string question = "Create the folder " + path + "?";
      if (TerminalShowMessageBox(question.c_str(), title, kButtonsYesNo, kIconQuestion, 2) != kAnswerYes) continue;
      if (g_mkdir_with_parents(path.c_str(), 0777) != 0) {
        fprintf(screen, "Cannot create: %s\n", Shown(path).c_str());
        continue;
      }
    }
    char resolved[PATH_MAX];
    char chosen[kFolderSize];
    if (realpath(path.c_str(), resolved) == nullptr) {
      fprintf(screen, "Not a folder: %s\n", Shown(path).c_str());
      continue;
    }
    bool root = strcmp(resolved, "/") == 0;
    if (!FormatText(chosen, sizeof chosen, root ? "%s" : "%s/", resolved)) {
      fprintf(screen, "Too long a path: %s\n", Shown(resolved).c_str());
      continue;
    }
    memcpy(buffer, chosen, strlen(chosen) + 1);
    return 1;
  }
}
