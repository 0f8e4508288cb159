// The progress dialog and the message boxes on Linux, worked through their
// real GTK windows under a display.
#include <gtest/gtest.h>

#include "gated_copy.h"
#include "gtk_window_driver.h"
#include "list_helpers.h"
#include "run/shared_state.h"
#include "test_files.h"
#include "ui/gtk_session.h"
#include "ui/ui.h"

namespace {

using driver::Step;
constexpr const char* kTitle = "Progress.........";

GtkWindow* Progress() { return driver::FindWindow(kTitle); }

double Fraction() {
  GtkWindow* window = driver::FindWindow(kTitle);
  if (window == nullptr) {
    GList* all = gtk_window_list_toplevels();
    for (GList* item = all; item && !window; item = item->next)
      if (gtk_widget_get_visible(GTK_WIDGET(item->data)) &&
          driver::FindChild(GTK_WINDOW(item->data), GTK_TYPE_PROGRESS_BAR))
        window = GTK_WINDOW(item->data);
    g_list_free(all);
  }
  GtkWidget* bar = window ? driver::FindChild(window, GTK_TYPE_PROGRESS_BAR) : nullptr;
  return bar ? gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)) : -1;
}

// The window that shows the copy, whatever its caption says now.
GtkWindow* CopyWindow(const std::string& caption) { return driver::FindWindow(caption.c_str()); }

Step Click(const char* window, const char* button) {
  return [=] {
    GtkWindow* found = driver::FindWindow(window);
    GtkWidget* target = found ? driver::FindButton(found, button) : nullptr;
    if (target == nullptr) return false;
    driver::Click(target);
    return true;
  };
}

// Answers the stop question, checking its text, by a button or by Enter.
std::vector<Step> AnswerStop(const char* button) {
  static int openBefore;
  return {
      [] {
        GtkWindow* box = driver::FindWindow("?!");
        if (box == nullptr) return false;
        gchar* text = nullptr;
        g_object_get(box, "text", &text, nullptr);
        EXPECT_STREQ(text, "Really Stop?!");
        g_free(text);
        return true;
      },
      [=] {
        GtkWindow* box = driver::FindWindow("?!");
        if (box == nullptr) return false;
        openBefore = driver::CountWindows("?!");
        if (std::string(button) == "Enter")
          driver::Key(box, GDK_KEY_Return);
        else
          driver::Click(driver::FindButton(box, button));
        return true;
      },
      [] { return driver::CountWindows("?!") < openBefore; },
  };
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class GtkDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureGtk()) GTEST_SKIP() << "no display";
    source_ = testfs::NewFolder();
    target_ = testfs::NewFolder();
    snprintf(SourceFolder, kFolderSize, "%s", source_.c_str());
    snprintf(TargetFolder, kFolderSize, "%s", target_.c_str());
    gate::Reset(true);
    CopyRunning = 0;
  }
  void TearDown() override {
    if (source_.empty()) return;
    ReleaseFileList();
    testfs::RemoveTree(source_);
    testfs::RemoveTree(target_);
  }

  void ListFiles(int count) {
    std::vector<ListItem> items;
    for (int i = 0; i < count; i++) {
      std::string name = "f" + std::to_string(i);
      testfs::WriteFile(source_ + name, name);
      items.push_back(ListItem{name, Packed(2001, 5, 7, 14, 5, 0)});
    }
    BuildList(items);
  }

  // Shows the dialog while the steps work it; then lets the worker finish.
  void Run(std::vector<Step> steps) {
    driver::Start(std::move(steps), [] {
      gate::LetAll();
      // Whatever is still open is closed; a stop question that this raises is answered Yes.
      driver::CloseEverything();
      rescue_ = g_timeout_add(100, [](gpointer) -> gboolean {
        driver::CloseEverything();
        return G_SOURCE_CONTINUE;
      }, nullptr);
    });
    RunProgressDialog(nullptr);
    if (rescue_ != 0) g_source_remove(rescue_);
    rescue_ = 0;
    endedAtReturn_ = gate::Ended();
    gate::LetAll();
    rt::WaitForThread(WorkerThread);
    WorkerThread = nullptr;
    EXPECT_TRUE(driver::Finished()) << "the script did not run to its end";
  }

  std::string source_, target_;
  int endedAtReturn_ = -1;
  static guint rescue_;
};

guint GtkDialogs::rescue_ = 0;

TEST_F(GtkDialogs, ProgressShowsTheRunAndClosesItselfAtTheEnd) {
  ListFiles(3);
  Run({
      [] { return Progress() != nullptr; },
      [] {
        EXPECT_EQ(Fraction(), 0.0);
        EXPECT_EQ(gate::Begun(), 0);  // the worker waits half a second
        return true;
      },
      [] { return gate::Begun() == 1 && CopyWindow("Copy File No: 1 of 3") != nullptr; },
      [] {
        g_mkdir_with_parents(TAVRO_SCREENSHOT_DIR, 0755);
        EXPECT_TRUE(driver::SaveScreenshot(CopyWindow("Copy File No: 1 of 3"),
                                           TAVRO_SCREENSHOT_DIR "/progress-dialog-linux.png"));
        gate::Let(1);
        return true;
      },
      [] { return gate::Begun() == 2 && CopyWindow("Copy File No: 2 of 3") != nullptr && Fraction() == 0.5; },
      [] {
        gate::LetAll();
        return true;
      },
  });
  EXPECT_EQ(gate::Ended(), 3);
  EXPECT_EQ(gate::Opened(), std::vector<std::string>{target_});
  EXPECT_EQ(CopyRunning, 0);
}

TEST_F(GtkDialogs, FilesFasterThanTheScreenShowOnlyTheNewestStateAndMessagesForAnEndedDialogAreDropped) {
  ListFiles(101);
  static int titles;
  titles = 0;
  Run({
      [] {
        GtkWindow* window = CopyWindow("Copy File No: 1 of 101");
        if (gate::Begun() != 1 || window == nullptr) return false;
        g_signal_connect(window, "notify::title", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer) { titles++; }),
                         nullptr);
        return true;
      },
      [] {
        // The main loop is held while the worker sends fifty files' messages.
        gate::Let(50);
        while (gate::Begun() < 51) g_usleep(1000);
        return true;
      },
      [] {
        if (CopyWindow("Copy File No: 51 of 101") == nullptr) return false;
        EXPECT_EQ(Fraction(), 0.5);
        EXPECT_EQ(titles, 1);
        gate::LetAll();
        return true;
      },
  });
  EXPECT_EQ(gate::Ended(), 101);  // and the worker's end closed the dialog

  // What reaches the first dialog's handle while the next one's range still
  // waits to be shown neither takes that range nor ends the next dialog. The
  // main loop, kept busy with work of a higher priority, holds the range back.
  static WindowHandle ended;
  static guint busy;
  ended = gate::OpenedBy();
  ASSERT_NE(ended, nullptr);
  ReleaseFileList();
  ListFiles(2);
  gate::Reset(true);
  Run({[] {
         if (Progress() == nullptr) return false;
         busy = g_idle_add_full(G_PRIORITY_DEFAULT, [](gpointer) -> gboolean {
           g_usleep(1000);
           return G_SOURCE_CONTINUE;
         }, nullptr, nullptr);
         return true;
       },
       [] {
         if (gate::Begun() != 1) return false;
         SetDialogCaption(ended, "late");
         SendDialogCommand(ended, kCommandCancel);
         g_source_remove(busy);
         gate::Let(1);
         return true;
       },
       [] {
         if (gate::Begun() != 2 || CopyWindow("Copy File No: 2 of 2") == nullptr) return false;
         EXPECT_EQ(Fraction(), 1.0);  // by the range of 0 to 1 that the worker sent
         gate::LetAll();
         return true;
       }});
  EXPECT_EQ(gate::Ended(), 2);
  EXPECT_NE(gate::OpenedBy(), ended);
}

TEST_F(GtkDialogs, ACommandWithinTheFirstHalfSecondEndsItWithoutAWorker) {
  ListFiles(2);
  Run({Click(kTitle, "Cancel")});
  EXPECT_EQ(WorkerThread, nullptr);
  g_usleep(700 * 1000);
  while (gtk_events_pending()) gtk_main_iteration();
  EXPECT_EQ(gate::Begun(), 0);
  EXPECT_TRUE(gate::Opened().empty());
}

TEST_F(GtkDialogs, EveryWayToStopAsksFirstAndNoLetsTheCopyGoOn) {
  ListFiles(3);
  std::string first = "Copy File No: 1 of 3", second = "Copy File No: 2 of 3";
  Run(std::vector<Step>{[] { return gate::Begun() == 1; }, Click("Copy File No: 1 of 3", "Cancel")} +
      AnswerStop("No") +
      std::vector<Step>{[=] {
        if (!CopyWindow(first)) return false;
        driver::Key(CopyWindow(first), GDK_KEY_Escape);
        return true;
      }} +
      AnswerStop("Enter") +  // the default answer is No
      std::vector<Step>{[=] {
        driver::Key(CopyWindow(first), GDK_KEY_Return);
        return true;
      }} +
      AnswerStop("No") +
      std::vector<Step>{
          [] {
            gate::Let(1);
            return true;
          },
          [=] { return gate::Begun() == 2 && CopyWindow(second) != nullptr; },
          // The question has no owner: the dialog stays usable and asks again.
          Click("Copy File No: 2 of 3", "Cancel"),
          [] { return driver::CountWindows("?!") == 1; },
          Click("Copy File No: 2 of 3", "Cancel"),
          [] { return driver::CountWindows("?!") == 2; },
      } +
      AnswerStop("No") + AnswerStop("No") +
      std::vector<Step>{[=] {
        driver::Close(CopyWindow(second));  // the close box
        return true;
      }} +
      AnswerStop("Yes"));
  EXPECT_EQ(endedAtReturn_, 1);  // the dialog did not wait for the file in hand
  EXPECT_EQ(gate::Ended(), 2);   // which was completed
  EXPECT_EQ(gate::Begun(), 2);   // and no further file begun
  EXPECT_EQ(gate::Opened(), std::vector<std::string>{target_});
}

TEST_F(GtkDialogs, AWorkerThatEndsWhileTheQuestionIsOpenEndsTheDialog) {
  ListFiles(1);
  Run(std::vector<Step>{[] { return gate::Begun() == 1; }, Click("Copy File No: 1 of 1", "Cancel"),
                        [] { return driver::FindWindow("?!") != nullptr; },
                        [] {
                          gate::LetAll();
                          return true;
                        },
                        [] { return gate::Opened().size() == 1 && CopyWindow("Copy File No: 1 of 1") == nullptr; }} +
      AnswerStop("Yes"));
  EXPECT_EQ(gate::Ended(), 1);
  EXPECT_EQ(CopyRunning, 0);
}

// The message boxes: texts, caption, buttons, the default, and closing.
MessageAnswer AskWith(std::vector<Step> steps, MessageButtons buttons, int defaultButton,
                      const char* text = "Clear Target Directory:\n/photos/") {
  driver::Start(std::move(steps), driver::CloseEverything);
  MessageAnswer answer = ShowMessageBox(text, "?!", buttons, kIconQuestion, defaultButton);
  EXPECT_TRUE(driver::Finished());
  return answer;
}

// A step that checks the open box's text.
Step ExpectText(const char* expected) {
  return [expected] {
    GtkWindow* box = driver::FindWindow("?!");
    if (box == nullptr) return false;
    gchar* text = nullptr;
    g_object_get(box, "text", &text, nullptr);
    EXPECT_STREQ(text, expected);
    g_free(text);
    return true;
  };
}

Step PressKey(guint key) {
  return [key] {
    GtkWindow* box = driver::FindWindow("?!");
    if (box == nullptr) return false;
    driver::Key(box, key);
    return true;
  };
}

TEST_F(GtkDialogs, MessageBoxesAnswerAsTheirButtonsAndDefaultsSay) {
  EXPECT_EQ(AskWith({ExpectText("Clear Target Directory:\n/photos/"),
                     [] {
                       GtkWindow* box = driver::FindWindow("?!");
                       if (box == nullptr) return false;
                       EXPECT_NE(driver::FindButton(box, "Yes"), nullptr);
                       EXPECT_NE(driver::FindButton(box, "No"), nullptr);
                       EXPECT_NE(driver::FindButton(box, "Cancel"), nullptr);
                       return true;
                     },
                     PressKey(GDK_KEY_Return)},
                    kButtonsYesNoCancel, 1),
            kAnswerYes);
  EXPECT_EQ(AskWith({PressKey(GDK_KEY_Escape)}, kButtonsYesNoCancel, 1), kAnswerCancel);
  EXPECT_EQ(AskWith({[] {
                      GtkWindow* box = driver::FindWindow("?!");
                      if (box) driver::Close(box);
                      return box != nullptr;
                    }},
                    kButtonsYesNoCancel, 1),
            kAnswerCancel);
  EXPECT_EQ(AskWith({Click("?!", "No")}, kButtonsYesNoCancel, 1), kAnswerNo);
  EXPECT_EQ(AskWith({PressKey(GDK_KEY_Return)}, kButtonsYesNo, 2), kAnswerNo);
  EXPECT_EQ(AskWith({PressKey(GDK_KEY_Escape)}, kButtonsYesNo, 2), kAnswerNo);
  // A name that is no UTF-8 costs only its odd byte, not the whole text.
  EXPECT_EQ(AskWith({ExpectText("1 of 2 files could not be copied:\nf\xEF\xBF\xBDto: Permission denied"),
                     PressKey(GDK_KEY_Return)},
                    kButtonsOk, 1, "1 of 2 files could not be copied:\nf\xFFto: Permission denied"),
            kAnswerOk);
}

}  // namespace
