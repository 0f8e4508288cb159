// The Linux message boxes with long texts, worked through their real GTK windows.
#include <gtest/gtest.h>

#include <string>

#include "gtk_window_driver.h"
#include "ui/gtk_session.h"
#include "ui/ui.h"

namespace {

// Whether the widget lies wholly within the area of the screen.
bool Within(GtkWidget* widget, const GdkRectangle& area) {
  int x = 0, y = 0, left = 0, top = 0;
  gtk_widget_translate_coordinates(widget, gtk_widget_get_toplevel(widget), 0, 0, &x, &y);
  gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(widget)), &left, &top);
  return left + x >= area.x && top + y >= area.y &&
         left + x + gtk_widget_get_allocated_width(widget) <= area.x + area.width &&
         top + y + gtk_widget_get_allocated_height(widget) <= area.y + area.height;
}

TEST(LongMessageBoxes, StayWithinTheScreenWithTheirWholeTextAndOkInSight) {
  if (!EnsureGtk()) GTEST_SKIP() << "no display";
  GdkRectangle screen;
  gdk_monitor_get_workarea(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
  for (auto [names, length] : {std::pair<int, size_t>{3, 240}, {10, 255}}) {
    static std::string text;
    text = std::to_string(names) + " of 20 files could not be copied:";
    for (int i = 0; i < names; i++) text += "\n" + std::string(length - 4, static_cast<char>('a' + i)) + ".jpg: Permission denied";
    driver::Start({[screen] {
                    GtkWindow* box = driver::FindWindow("Fehler");
                    GtkWidget* ok = box ? driver::FindButton(box, "OK") : nullptr;
                    if (ok == nullptr || !gtk_widget_get_mapped(ok) || gtk_widget_get_allocated_width(ok) <= 1)
                      return false;
                    gchar* shown = nullptr;
                    g_object_get(box, "text", &shown, nullptr);
                    EXPECT_EQ(std::string(shown), text);
                    g_free(shown);
                    EXPECT_TRUE(Within(GTK_WIDGET(box), screen)) << "the box is larger than the screen";
                    EXPECT_TRUE(Within(ok, screen)) << "OK is out of sight";
                    driver::Click(ok);
                    return true;
                  }},
                  driver::CloseEverything);
    EXPECT_EQ(ShowMessageBox(text.c_str(), "Fehler", kButtonsOk, kIconError, 1), kAnswerOk);
    EXPECT_TRUE(driver::Finished());
  }
}

}  // namespace
