#include "posix_usage.h"

#include <cstdio>
#include <cstring>

#include "run.h"
#include "version.h"

namespace {
const char kUsage[] =
    "Usage: tavro\n"
    "       tavro --help | --version\n"
    "\n"
    "Copies every ordinary file directly inside a source folder into a target\n"
    "folder and names each copy NNNNN_YYYY_MM_DD_hh_mm_name: its position in date\n"
    "order, the date and time of its stamp, then its own name. It asks for both\n"
    "folders and whether to empty the target first, then shows the copy's progress\n"
    "and opens the target. It asks in windows where a display can be opened, else\n"
    "on the terminal of standard input; where standard output is no terminal, the\n"
    "progress goes there as plain lines.\n"
    "\n"
    "Settings: ${XDG_CONFIG_HOME:-$HOME/.config}/Tavro/settings.ini keeps the two\n"
    "folders of the last run; without it both questions offer the home folder.\n"
    "\n"
    "Exit status:\n"
    "  0    the run ended: copied, or cancelled\n"
    "  1-5  a memory failure of the file list (\"Fehler No N\", N the status)\n"
    "  6    the run ended, but not all was done: files not copied, the target not\n"
    "       emptied, or a source that could not be read\n"
    "  7    neither a display nor a terminal on standard input to ask on\n"
    "  8    the connection to the display was lost\n"
    "  64   an argument other than --help or --version\n"
    "  74   the answer to --help or --version could not be written\n"
    "\n"
    "Manual: man tavro\n";
}  // namespace

int AnswerArguments(int count, char** arguments) {
  if (count <= 1) return -1;
  if (count == 2 && strcmp(arguments[1], "--help") == 0) {
    fputs(kUsage, stdout);
    return fflush(stdout) == 0 ? 0 : kExitOutputFailed;
  }
  if (count == 2 && strcmp(arguments[1], "--version") == 0) {
    fputs("tavro " TAVRO_VERSION "\n", stdout);
    return fflush(stdout) == 0 ? 0 : kExitOutputFailed;
  }
  fprintf(stderr, "tavro: takes no arguments, not '%s'\nTry 'tavro --help'.\n", arguments[1]);
  return kExitUsage;
}
