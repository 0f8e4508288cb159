// The Linux message boxes with long texts, and what the end of a run shows
// in windows, worked through their real GTK windows under a display.
#include <gtest/gtest.h>

#include <string>

#include "gtk_window_driver.h"
#include "ui/gtk_session.h"
#include "ui/ui.h"

namespace {

// Where the widget lies on the screen.
GdkRectangle OnScreen(GtkWidget* widget) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  int x = 0, y = 0, left = 0, upper = 0;
  gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y);
  gdk_window_get_origin(gtk_widget_get_window(top), &left, &upper);
  return {left + x, upper + y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
}

bool Within(const GdkRectangle& inner, const GdkRectangle& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

// The failure report for names of the given length, as the copy makes it.
std::string FailureText(int names, size_t length) {
  std::string text = std::to_string(names) + " of 20 files could not be copied:";
  for (int i = 0; i < names; i++)
    text += "\n" + std::string(length - 4, static_cast<char>('a' + i)) + ".jpg: Permission denied";
  return text;
}

TEST(LongMessageBoxes, StayWithinTheScreenWithTheirWholeTextAndOkInSight) {
  if (!EnsureGtk()) GTEST_SKIP() << "no display";
  GdkRectangle screen;
  gdk_monitor_get_workarea(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
  struct Case {
    int names;
    size_t length;
  };
  for (Case each : {Case{3, 240}, Case{10, 255}}) {
    static std::string text;
    static gint64 shownAt;
    text = FailureText(each.names, each.length);
    driver::Start({[&] {
                     GtkWindow* box = driver::FindWindow("Fehler");
                     GtkWidget* ok = box ? driver::FindButton(box, "OK") : nullptr;
                     if (ok == nullptr || !gtk_widget_get_mapped(ok) || gtk_widget_get_allocated_width(ok) <= 1)
                       return false;
                     gchar* shown = nullptr;
                     g_object_get(box, "text", &shown, nullptr);
                     EXPECT_EQ(std::string(shown ? shown : ""), text);
                     g_free(shown);
                     GdkRectangle whole = OnScreen(GTK_WIDGET(box));
                     EXPECT_TRUE(Within(whole, screen)) << each.names << " names: the box is " << whole.width
                                                        << "x" << whole.height << " at " << whole.x << "," << whole.y;
                     EXPECT_TRUE(Within(OnScreen(ok), screen)) << "OK is out of sight";
                     shownAt = g_get_monotonic_time();
                     return true;
                   },
                   [&] {
                     // Drawn by now: a picture for people to look at.
                     if (g_get_monotonic_time() < shownAt + 300000) return false;
                     GtkWindow* box = driver::FindWindow("Fehler");
                     g_mkdir_with_parents(TAVRO_SCREENSHOT_DIR, 0755);
                     std::string picture = "/failure-box-" + std::to_string(each.names) + "-linux.png";
                     driver::SaveScreenshot(box, TAVRO_SCREENSHOT_DIR + picture);
                     driver::Click(driver::FindButton(box, "OK"));
                     return true;
                   }},
                  driver::CloseEverything);
    EXPECT_EQ(ShowMessageBox(text.c_str(), "Fehler", kButtonsOk, kIconError, 1), kAnswerOk);
    EXPECT_TRUE(driver::Finished());
  }
}

}  // namespace
