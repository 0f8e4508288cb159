// The copy worker over real folders behind the scripted progress dialog:
// a source and a target folder of their own for each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "copy/copy_worker.h"
#include "list_helpers.h"
#include "run/run.h"
#include "run/run_report.h"
#include "run/shared_state.h"
#include "scripted_ui.h"
#include "test_files.h"

class CopyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    ResetRunReport();
    FileCount = 0;
    source_ = testfs::NewFolder();
    target_ = testfs::NewFolder();
    snprintf(SourceFolder, kFolderSize, "%s", source_.c_str());
    snprintf(TargetFolder, kFolderSize, "%s", target_.c_str());
  }
  void TearDown() override {
    ReleaseFileList();
    testfs::RemoveTree(source_);
    testfs::RemoveTree(target_);
  }

  // Lists files of the source with the given stamps, in this order.
  void ListFiles(const std::vector<ListItem>& items) {
    for (const ListItem& item : items) testfs::WriteFile(source_ + item.name, "content of " + item.name);
    BuildList(items);
  }

  void RunDialog() {
    RunProgressDialog(nullptr);
    rt::WaitForThread(WorkerThread);
    WorkerThread = nullptr;
    ReadList();  // fails for a lock on the list that the run never gave back
  }

  std::string source_, target_;
};
