// Message boxes on Linux, with GTK 3.
#include <gtk/gtk.h>

#include <cstdio>

#include "gtk_session.h"
#include "linux_backends.h"

namespace {
// What closing the box (close box or Escape) answers: Cancel where there is
// one, else No, else OK.
MessageAnswer ClosedAnswer(MessageButtons buttons) {
  return buttons == kButtonsYesNoCancel ? kAnswerCancel : buttons == kButtonsYesNo ? kAnswerNo : kAnswerOk;
}

struct Waiting {
  GMainLoop* loop;
  int response;
};

void OnResponse(GtkDialog* box, int response, gpointer data) {
  // Answered, the box goes at once, even while a box opened after it still waits.
  gtk_widget_hide(GTK_WIDGET(box));
  Waiting* waiting = static_cast<Waiting*>(data);
  waiting->response = response;
  g_main_loop_quit(waiting->loop);
}

// The close box answers like Escape; the box stays until the answer is taken.
gboolean OnDelete(GtkWidget* box, GdkEvent*, gpointer) {
  gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_DELETE_EVENT);
  return TRUE;
}

// Keeps the box within the screen, whatever its text: long names wrap
// anywhere (where there is no space to break at), and a text taller than
// about two thirds of the screen scrolls, so the buttons stay in sight.
void FitToScreen(GtkWidget* box) {
  GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
  GList* children = gtk_container_get_children(GTK_CONTAINER(area));
  GtkWidget* label = children != nullptr ? GTK_WIDGET(children->data) : nullptr;
  g_list_free(children);
  if (!GTK_IS_LABEL(label)) return;
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
  // A hyphen at such a break would read as part of the name.
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
  gtk_label_set_attributes(GTK_LABEL(label), attributes);
  pango_attr_list_unref(attributes);

  GdkRectangle screen = {0, 0, 1024, 768};
  GdkDisplay* display = gtk_widget_get_display(box);
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
  if (monitor != nullptr) gdk_monitor_get_workarea(monitor, &screen);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(scroller);
  gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_propagate_natural_width(scrolled, TRUE);
  gtk_scrolled_window_set_propagate_natural_height(scrolled, TRUE);
  gtk_scrolled_window_set_max_content_height(scrolled, screen.height * 2 / 3);
  g_object_ref(label);
  gtk_container_remove(GTK_CONTAINER(area), label);
  gtk_container_add(GTK_CONTAINER(scroller), label);
  g_object_unref(label);
  gtk_box_pack_start(GTK_BOX(area), scroller, TRUE, TRUE, 0);
  gtk_box_reorder_child(GTK_BOX(area), scroller, 0);
}

MessageAnswer FromResponse(int response, MessageButtons buttons) {
  switch (response) {
    case GTK_RESPONSE_YES: return kAnswerYes;
    case GTK_RESPONSE_NO: return kAnswerNo;
    case GTK_RESPONSE_OK: return kAnswerOk;
    case GTK_RESPONSE_CANCEL: return kAnswerCancel;
    default: return ClosedAnswer(buttons);
  }
}
}  // namespace

MessageAnswer GtkShowMessageBox(const char* text, const char* caption, MessageButtons buttons,
                             MessageIcon icon, int defaultButton) {
  if (!EnsureGtk()) {
    // Without a display no question can be put; the safe answer is taken.
    fprintf(stderr, "%s: %s\n", caption, text);
    return ClosedAnswer(buttons);
  }
  // Not modal: like a box without an owner window, it leaves other windows of
  // the program usable while it waits.
  // Names need not be UTF-8, which GTK requires: bytes that are not are shown
  // as replacement characters rather than losing the whole text.
  gchar* shown = g_utf8_make_valid(text, -1);
  GtkWidget* box = gtk_message_dialog_new(nullptr, GtkDialogFlags(0),
                                          icon == kIconError ? GTK_MESSAGE_ERROR : GTK_MESSAGE_QUESTION,
                                          GTK_BUTTONS_NONE, "%s", shown);
  g_free(shown);
  FitToScreen(box);
  gtk_window_set_title(GTK_WINDOW(box), caption);
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  int responses[3];
  int count = 0;
  if (buttons == kButtonsOk) {
    responses[count++] = GTK_RESPONSE_OK;
    gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
  } else {
    responses[count++] = GTK_RESPONSE_YES;
    gtk_dialog_add_button(GTK_DIALOG(box), "_Yes", GTK_RESPONSE_YES);
    responses[count++] = GTK_RESPONSE_NO;
    gtk_dialog_add_button(GTK_DIALOG(box), "_No", GTK_RESPONSE_NO);
    if (buttons == kButtonsYesNoCancel) {
      responses[count++] = GTK_RESPONSE_CANCEL;
      gtk_dialog_add_button(GTK_DIALOG(box), "_Cancel", GTK_RESPONSE_CANCEL);
    }
  }
  Waiting waiting{g_main_loop_new(nullptr, FALSE), GTK_RESPONSE_NONE};
  g_signal_connect(box, "response", G_CALLBACK(OnResponse), &waiting);
  g_signal_connect(box, "delete-event", G_CALLBACK(OnDelete), nullptr);
  gtk_widget_show_all(box);
  // Enter takes the focused button, so the default button gets the focus once shown.
  if (defaultButton >= 1 && defaultButton <= count) {
    gtk_dialog_set_default_response(GTK_DIALOG(box), responses[defaultButton - 1]);
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), responses[defaultButton - 1]);
    if (button != nullptr) gtk_widget_grab_focus(button);
  }
  g_main_loop_run(waiting.loop);
  g_main_loop_unref(waiting.loop);
  int response = waiting.response;
  gtk_widget_destroy(box);
  while (gtk_events_pending()) gtk_main_iteration();
  return FromResponse(response, buttons);
}
