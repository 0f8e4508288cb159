// The progress dialog on Linux, with GTK 3: the same caption, layout, bar and
// full-width Cancel button as the Windows dialog template. The worker reaches
// the dialog only through the main loop, which shows the newest state at most
// once a frame however fast the files go; what the worker sends after the
// dialog has ended finds nothing and is dropped.
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <mutex>

#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "gtk_session.h"
#include "run/shared_state.h"
#include "linux_backends.h"

namespace {

struct Progress {
  GtkWidget* window;
  GtkWidget* bar;
  GMainLoop* loop;
  guint startTimer;
  unsigned high;
  bool ended;
};

// The open dialog and its number, which is the handle the worker holds; both
// are read and written on the main thread only.
Progress* openDialog = nullptr;
uintptr_t openDialogNumber = 0;
uintptr_t dialogsMade = 0;

// Dialog units of an 8-point dialog font: a base character of 6 by 13 pixels
// is 4 by 8 units.
int UnitsToPixelsX(int units) { return (units * 6 + 2) / 4; }
int UnitsToPixelsY(int units) { return (units * 13 + 4) / 8; }

void SetBarPosition(Progress* dialog, unsigned position) {
  double fraction = dialog->high == 0 ? 0.0 : static_cast<double>(position) / dialog->high;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(dialog->bar), fraction > 1.0 ? 1.0 : fraction);
}

void EndProgress(Progress* dialog) {
  if (dialog->ended) return;
  dialog->ended = true;
  if (dialog->startTimer != 0) g_source_remove(dialog->startTimer);
  dialog->startTimer = 0;
  gtk_widget_hide(dialog->window);
  g_main_loop_quit(dialog->loop);
}

// Cancel, Escape, Enter, the close box and the worker's end all arrive here.
void Command(Progress* dialog) {
  if (CopyRunning == 1 && ShowMessageBox("Really Stop?!", "?!", kButtonsYesNo, kIconQuestion, 2) != kAnswerYes)
    return;
  CopyRunning = 0;
  EndProgress(dialog);
}

gboolean OnStartTimer(gpointer data) {
  Progress* dialog = static_cast<Progress*>(data);
  dialog->startTimer = 0;
  CopyRunning = 1;
  WorkerThread = rt::BeginThread(CopyWorker, 0, reinterpret_cast<void*>(openDialogNumber));
  return G_SOURCE_REMOVE;
}

void OnCancelClicked(GtkButton*, gpointer data) { Command(static_cast<Progress*>(data)); }

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_Escape:
      Command(static_cast<Progress*>(data));
      return TRUE;
    default:
      return FALSE;
  }
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  Command(static_cast<Progress*>(data));
  return TRUE;  // the window goes only when the dialog ends
}

void BuildWindow(Progress* dialog) {
  dialog->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(dialog->window);
  gtk_window_set_title(window, "Progress.........");
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_size_request(layout, UnitsToPixelsX(377), UnitsToPixelsY(54));
  gtk_container_add(GTK_CONTAINER(dialog->window), layout);

  dialog->bar = gtk_progress_bar_new();
  gtk_widget_set_size_request(dialog->bar, UnitsToPixelsX(364), UnitsToPixelsY(12));
  // The theme's bar is a thin line; this one fills its box as the Windows bar does.
  GtkCssProvider* style = gtk_css_provider_new();
  gtk_css_provider_load_from_data(style, "trough, progress { min-height: 18px; }", -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(dialog->bar), GTK_STYLE_PROVIDER(style),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(style);
  gtk_fixed_put(GTK_FIXED(layout), dialog->bar, UnitsToPixelsX(4), UnitsToPixelsY(8));
  GtkWidget* cancel = gtk_button_new_with_label("Cancel");
  gtk_widget_set_size_request(cancel, UnitsToPixelsX(360), UnitsToPixelsY(14));
  gtk_fixed_put(GTK_FIXED(layout), cancel, UnitsToPixelsX(8), UnitsToPixelsY(28));

  g_signal_connect(cancel, "clicked", G_CALLBACK(OnCancelClicked), dialog);
  g_signal_connect(dialog->window, "key-press-event", G_CALLBACK(OnKeyPress), dialog);
  g_signal_connect(dialog->window, "delete-event", G_CALLBACK(OnDelete), dialog);
  gtk_widget_show_all(dialog->window);
  gtk_widget_grab_focus(cancel);
}

// What the worker has sent that the dialog has not shown yet: the newest
// position and caption, and the range and the command, which are never lost.
// One source, made once and never given back, carries it to the main loop
// at most once a frame; the end comes at once. The worker allocates nothing.
struct Pending {
  uintptr_t dialogNumber;  // the dialog it was sent to
  bool hasRange, hasPosition, hasCaption;
  unsigned high, position;
  int command;  // 0: none
  char caption[300];
};

constexpr gint64 kFrameMicroseconds = 1000000 / 60;
std::mutex pendingMutex;
Pending pending;           // guarded by pendingMutex
bool scheduled = false;    // the source is due; guarded by pendingMutex
gint64 shownAt = 0;        // when the dialog last took the state; likewise
GSource* carrier = nullptr;

void Show(const Pending& state) {
  Progress* dialog = openDialog;
  if (dialog == nullptr || dialog->ended || state.dialogNumber != openDialogNumber) return;
  if (state.hasRange) dialog->high = state.high;
  if (state.hasPosition) SetBarPosition(dialog, state.position);
  if (state.hasCaption) gtk_window_set_title(GTK_WINDOW(dialog->window), state.caption);
  if (state.command == kCommandOk || state.command == kCommandCancel) Command(dialog);
}

gboolean Deliver(GSource* source, GSourceFunc, gpointer) {
  Pending state;
  {
    std::lock_guard<std::mutex> guard(pendingMutex);
    state = pending;
    pending = Pending{};
    scheduled = false;
    shownAt = g_get_monotonic_time();
    g_source_set_ready_time(source, -1);
  }
  Show(state);
  return G_SOURCE_CONTINUE;
}

void MakeCarrier() {
  static GSourceFuncs funcs = {nullptr, nullptr, Deliver, nullptr, nullptr, nullptr};
  if (carrier != nullptr) return;
  carrier = g_source_new(&funcs, sizeof(GSource));
  g_source_set_priority(carrier, G_PRIORITY_DEFAULT_IDLE);
  g_source_attach(carrier, nullptr);
}

// Keeps what the message changes; a state kept for an earlier dialog is dropped.
template <typename Change>
void Post(WindowHandle handle, bool atOnce, Change change) {
  uintptr_t number = reinterpret_cast<uintptr_t>(handle);
  if (number == 0 || carrier == nullptr) return;  // no dialog was ever shown
  std::lock_guard<std::mutex> guard(pendingMutex);
  // Dialogs are numbered as they are made: a message to an earlier one finds
  // it ended, and never takes a later one's state with it.
  if (number < pending.dialogNumber) return;
  if (number > pending.dialogNumber) {
    pending = Pending{};
    pending.dialogNumber = number;
  }
  change(pending);
  if (scheduled && !atOnce) return;
  scheduled = true;
  gint64 due = shownAt + kFrameMicroseconds;
  g_source_set_ready_time(carrier, atOnce || due <= g_get_monotonic_time() ? 0 : due);
}
}  // namespace

void GtkRunProgressDialog(InstanceHandle) {
  if (!EnsureGtk()) {
    // No display to show a dialog on: the copy runs unseen and the run waits for it.
    CopyRunning = 1;
    WorkerThread = rt::BeginThread(CopyWorker, 0, nullptr);
    return;
  }
  Progress dialog{};
  dialog.loop = g_main_loop_new(nullptr, FALSE);
  dialog.high = FileCount > 0xFFFF ? static_cast<unsigned>(FileCount) : (FileCount & 0xFFFF);
  BuildWindow(&dialog);
  SetBarPosition(&dialog, 0);
  MakeCarrier();
  openDialog = &dialog;
  openDialogNumber = ++dialogsMade;
  dialog.startTimer = g_timeout_add(500, OnStartTimer, &dialog);
  g_main_loop_run(dialog.loop);
  openDialog = nullptr;
  openDialogNumber = 0;
  gtk_widget_destroy(dialog.window);
  g_main_loop_unref(dialog.loop);
  while (gtk_events_pending()) gtk_main_iteration();
}

void GtkSetProgressRange(WindowHandle dialog, unsigned, unsigned high) {
  Post(dialog, true, [=](Pending& state) {
    state.hasRange = true;
    state.high = high;
  });
}

void GtkSetProgressPosition(WindowHandle dialog, unsigned position) {
  Post(dialog, false, [=](Pending& state) {
    state.hasPosition = true;
    state.position = position;
  });
}

void GtkSetDialogCaption(WindowHandle dialog, const char* text) {
  Post(dialog, false, [=](Pending& state) {
    state.hasCaption = true;
    snprintf(state.caption, sizeof state.caption, "%s", text);
  });
}

void GtkSendDialogCommand(WindowHandle dialog, int command) {
  Post(dialog, true, [=](Pending& state) { state.command = command; });
}
