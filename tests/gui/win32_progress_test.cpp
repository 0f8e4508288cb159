// The progress dialog on Windows, driven through its real window from a
// second thread while the run's thread shows it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gated_copy.h"
#include "list_helpers.h"
#include "run/shared_state.h"
#include "test_files.h"
#include "ui/ui.h"
#include "win32_window_driver.h"

namespace {

using driver::WaitUntil;
constexpr const char* kTitle = "Progress.........";

class ProgressDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = testfs::NewFolder();
    target_ = testfs::NewFolder();
    snprintf(SourceFolder, kFolderSize, "%s", source_.c_str());
    snprintf(TargetFolder, kFolderSize, "%s", target_.c_str());
    gate::Reset(true);
    CopyRunning = 0;
    dialogReturned_ = false;
  }
  void TearDown() override {
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

  // Shows the dialog on this thread while the script works it from another;
  // whatever happens, the script ends by letting every copy through.
  void Run(const std::function<void(HWND)>& script) {
    std::thread user([&] {
      HWND dialog = nullptr;
      if (WaitUntil([&] { return (dialog = driver::FindDialog(kTitle)) != nullptr; }))
        script(dialog);
      else
        ADD_FAILURE() << "the dialog never showed";
      WaitUntil([&] { return dialogReturned_.load(); });
      gate::LetAll();
    });
    RunProgressDialog(GetModuleHandleA(nullptr));
    endedAtReturn_ = gate::Ended();
    dialogReturned_ = true;
    user.join();
    rt::WaitForThread(WorkerThread);
    WorkerThread = nullptr;
  }

  // Waits for the stop question and answers it through its own window.
  static void AnswerStop(int button) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = driver::FindDialog("?!")) != nullptr; }));
    EXPECT_EQ(driver::StaticText(box), "Really Stop?!");
    if (button == IDOK)
      driver::Key(box, VK_RETURN);  // the default button
    else
      driver::Press(box, button);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  }

  std::string source_, target_;
  std::atomic<bool> dialogReturned_{false};
  int endedAtReturn_ = -1;
};

TEST_F(ProgressDialog, ShowsTheRunAndClosesItselfAtTheEnd) {
  ListFiles(3);
  Run([&](HWND dialog) {
    int low, high;
    driver::BarRange(dialog, &low, &high);
    EXPECT_EQ(high, 3);  // the file count until the worker sets its own range
    EXPECT_EQ(driver::BarPosition(dialog), 0);
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 1; }));
    EXPECT_EQ(driver::Caption(dialog), "Copy File No: 1 of 3");
    driver::BarRange(dialog, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 2);
    CreateDirectoryA(TAVRO_SCREENSHOT_DIR, nullptr);
    EXPECT_TRUE(driver::SaveScreenshot(dialog, TAVRO_SCREENSHOT_DIR "/progress-dialog-windows.bmp"));
    gate::Let(1);
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 2; }));
    EXPECT_EQ(driver::Caption(dialog), "Copy File No: 2 of 3");
    EXPECT_EQ(driver::BarPosition(dialog), 1);
    gate::LetAll();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(gate::Ended(), 3);
  EXPECT_EQ(gate::Opened(), std::vector<std::string>{target_});
  EXPECT_EQ(CopyRunning, 0);
}

TEST_F(ProgressDialog, ACommandWithinTheFirstHalfSecondEndsItWithoutAWorker) {
  ListFiles(2);
  Run([&](HWND dialog) { driver::Press(dialog, IDCANCEL); });
  EXPECT_EQ(WorkerThread, nullptr);
  Sleep(700);  // past the moment the timer would have fired
  EXPECT_EQ(gate::Begun(), 0);
  EXPECT_TRUE(gate::Opened().empty());
  EXPECT_EQ(CopyRunning, 0);
}

TEST_F(ProgressDialog, EveryWayToStopAsksFirstAndNoLetsTheCopyGoOn) {
  ListFiles(3);
  Run([&](HWND dialog) {
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 1; }));
    driver::Press(dialog, IDCANCEL);
    AnswerStop(IDNO);
    driver::Key(dialog, VK_ESCAPE);
    AnswerStop(IDOK);  // Enter takes the default, No
    driver::Key(dialog, VK_RETURN);  // the hidden OK button
    AnswerStop(IDNO);
    EXPECT_TRUE(IsWindowVisible(dialog));
    gate::Let(1);
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 2; }));
    // The question has no owner: the dialog stays usable and asks again.
    driver::Press(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([] { return driver::CountDialogs("?!") == 1; }));
    driver::Press(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([] { return driver::CountDialogs("?!") == 2; }));
    AnswerStop(IDNO);
    AnswerStop(IDNO);
    // The close box, answered Yes: the dialog ends with the second file in hand.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    AnswerStop(IDYES);
  });
  EXPECT_EQ(endedAtReturn_, 1);  // the dialog did not wait for the file in hand
  EXPECT_EQ(gate::Ended(), 2);   // which was completed
  EXPECT_EQ(gate::Begun(), 2);   // and no further file begun
  EXPECT_EQ(gate::Opened(), std::vector<std::string>{target_});
}

TEST_F(ProgressDialog, AWorkerThatEndsWhileTheQuestionIsOpenEndsTheDialog) {
  ListFiles(1);
  Run([&](HWND dialog) {
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 1; }));
    driver::Press(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([] { return driver::FindDialog("?!") != nullptr; }));
    gate::LetAll();
    ASSERT_TRUE(WaitUntil([] { return gate::Opened().size() == 1; }));
    AnswerStop(IDYES);  // changes nothing more
  });
  EXPECT_EQ(gate::Ended(), 1);
  EXPECT_EQ(CopyRunning, 0);
}

TEST_F(ProgressDialog, MoreFilesThanSixteenBitsHoldShowTheTrueRange) {
  BuildList(std::vector<ListItem>(70000, ListItem{"missing", Packed(2001, 1, 1, 0, 0, 0)}));
  Run([&](HWND dialog) {
    int low, high;
    driver::BarRange(dialog, &low, &high);
    EXPECT_EQ(high, 70000);
    ASSERT_TRUE(WaitUntil([] { return gate::Begun() == 1; }));
    driver::BarRange(dialog, &low, &high);
    EXPECT_EQ(high, 69999);
    driver::Press(dialog, IDCANCEL);
    AnswerStop(IDYES);
  });
  EXPECT_EQ(gate::Ended(), 1);
}

}  // namespace

namespace {

// Shows a message box on this thread while a second thread answers it.
MessageAnswer AskWith(const std::function<void(HWND)>& answer, MessageButtons buttons, int defaultButton) {
  std::thread user([&] {
    HWND box = nullptr;
    if (driver::WaitUntil([&] { return (box = driver::FindDialog("?!")) != nullptr; }))
      answer(box);
    else
      ADD_FAILURE() << "the box never showed";
  });
  MessageAnswer result =
      ShowMessageBox("Clear Target Directory:\nC:\\photos\\", "?!", buttons, kIconQuestion, defaultButton);
  user.join();
  return result;
}

TEST(MessageBoxes, AnswerAsTheirButtonsAndDefaultsSay) {
  EXPECT_EQ(AskWith(
                [](HWND box) {
                  EXPECT_EQ(driver::StaticText(box), "Clear Target Directory:\nC:\\photos\\");
                  EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
                  EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
                  EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
                  driver::Key(box, VK_RETURN);
                },
                kButtonsYesNoCancel, 1),
            kAnswerYes);
  EXPECT_EQ(AskWith([](HWND box) { driver::Key(box, VK_ESCAPE); }, kButtonsYesNoCancel, 1), kAnswerCancel);
  EXPECT_EQ(AskWith([](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }, kButtonsYesNoCancel, 1),
            kAnswerCancel);
  EXPECT_EQ(AskWith([](HWND box) { driver::Press(box, IDNO); }, kButtonsYesNoCancel, 1), kAnswerNo);
  EXPECT_EQ(AskWith([](HWND box) { driver::Key(box, VK_RETURN); }, kButtonsYesNo, 2), kAnswerNo);
}

}  // namespace
