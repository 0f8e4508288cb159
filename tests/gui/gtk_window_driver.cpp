#include "gtk_window_driver.h"

#include <cstdio>
#include <cstring>

namespace driver {

namespace {
struct Script {
  std::vector<Step> steps;
  size_t next;
  gint64 deadline;
  bool finished;
  std::function<void()> onTimeout;
};
Script script;

gboolean Tick(gpointer) {
  while (script.next < script.steps.size() && script.steps[script.next]()) script.next++;
  if (script.next == script.steps.size()) {
    script.finished = true;
    return G_SOURCE_REMOVE;
  }
  if (g_get_monotonic_time() < script.deadline) return G_SOURCE_CONTINUE;
  fprintf(stderr, "window script: step %zu of %zu did not come about in time\n", script.next + 1,
          script.steps.size());
  if (script.onTimeout) script.onTimeout();
  return G_SOURCE_REMOVE;
}

GtkWidget* Search(GtkWidget* widget, const std::function<bool(GtkWidget*)>& match) {
  if (match(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* child = children; child != nullptr && found == nullptr; child = child->next)
    found = Search(GTK_WIDGET(child->data), match);
  g_list_free(children);
  return found;
}
}  // namespace

void Start(std::vector<Step> steps, std::function<void()> onTimeout, int timeoutMilliseconds) {
  script = Script{std::move(steps), 0, g_get_monotonic_time() + timeoutMilliseconds * 1000LL, false,
                  std::move(onTimeout)};
  g_timeout_add(10, Tick, nullptr);
}

bool Finished() {
  gint64 until = g_get_monotonic_time() + 2000000;
  while (!script.finished && script.next < script.steps.size() && g_get_monotonic_time() < until &&
         g_get_monotonic_time() < script.deadline)
    g_main_context_iteration(nullptr, FALSE);
  return script.finished;
}

void CloseEverything() {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    if (GTK_IS_DIALOG(item->data))
      gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_YES);
    else if (gtk_widget_get_visible(GTK_WIDGET(item->data)))
      gtk_window_close(GTK_WINDOW(item->data));
  }
  g_list_free(windows);
}

GtkWindow* FindWindow(const char* title) {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (found == nullptr && gtk_widget_get_visible(GTK_WIDGET(window)) && Title(window) == title) found = window;
  }
  g_list_free(windows);
  return found;
}

int CountWindows(const char* title) {
  int count = 0;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (gtk_widget_get_visible(GTK_WIDGET(window)) && Title(window) == title) count++;
  }
  g_list_free(windows);
  return count;
}

std::string Title(GtkWindow* window) {
  const char* title = gtk_window_get_title(window);
  return title ? title : "";
}

GtkWidget* FindChild(GtkWindow* window, GType type) {
  return Search(GTK_WIDGET(window), [type](GtkWidget* widget) { return G_TYPE_CHECK_INSTANCE_TYPE(widget, type); });
}

GtkWidget* FindButton(GtkWindow* window, const char* label) {
  return Search(GTK_WIDGET(window), [label](GtkWidget* widget) {
    if (!GTK_IS_BUTTON(widget)) return false;
    const char* text = gtk_button_get_label(GTK_BUTTON(widget));
    if (text == nullptr) return false;
    std::string plain;
    for (const char* c = text; *c; c++)
      if (*c != '_') plain += *c;
    return plain == label;
  });
}

namespace {
// Runs the action once from the main loop, holding the widget meanwhile.
void Soon(GtkWidget* widget, std::function<void(GtkWidget*)> action) {
  struct Pending {
    GtkWidget* widget;
    std::function<void(GtkWidget*)> action;
  };
  g_object_ref(widget);
  g_idle_add(
      [](gpointer data) -> gboolean {
        Pending* pending = static_cast<Pending*>(data);
        pending->action(pending->widget);
        g_object_unref(pending->widget);
        delete pending;
        return G_SOURCE_REMOVE;
      },
      new Pending{widget, std::move(action)});
}

void KeyNow(GtkWindow* window, guint keyval) {
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
  event->key.keyval = keyval;
  event->key.time = GDK_CURRENT_TIME;
  // Key bindings look at the key's code, as a real keyboard sends it.
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys,
                                        &count) &&
      count > 0) {
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    event->key.group = static_cast<guint8>(keys[0].group);
  }
  g_free(keys);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
  gtk_main_do_event(event);
  gdk_event_free(event);
}
}  // namespace

void Key(GtkWindow* window, guint keyval) {
  Soon(GTK_WIDGET(window), [keyval](GtkWidget* widget) { KeyNow(GTK_WINDOW(widget), keyval); });
}

void Click(GtkWidget* button) {
  Soon(button, [](GtkWidget* widget) { gtk_button_clicked(GTK_BUTTON(widget)); });
}

void Close(GtkWindow* window) {
  Soon(GTK_WIDGET(window), [](GtkWidget* widget) { gtk_window_close(GTK_WINDOW(widget)); });
}

bool SaveScreenshot(GtkWindow* window, const std::string& path) {
  GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
  if (surface == nullptr) return false;
  GdkPixbuf* picture = gdk_pixbuf_get_from_window(surface, 0, 0, gdk_window_get_width(surface),
                                                  gdk_window_get_height(surface));
  if (picture == nullptr) return false;
  gboolean saved = gdk_pixbuf_save(picture, path.c_str(), "png", nullptr, nullptr);
  g_object_unref(picture);
  return saved;
}

}  // namespace driver
