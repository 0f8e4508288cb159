// The program's scan-and-copy core without a window: scans a source folder,
// copies it into a target folder the way the copy worker does, and prints how
// long each part took and how much memory the list holds per file.
//   tavro_scan_copy SOURCE/ TARGET/ [scan]
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "run/shared_state.h"
#include "ui/ui.h"

namespace {
double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}
}  // namespace

// The user interface that a run without windows needs: nothing shown.
MessageAnswer ShowMessageBox(const char* text, const char*, MessageButtons, MessageIcon, int) {
  fprintf(stderr, "%s\n", text);
  return kAnswerOk;
}
void SetProgressRange(WindowHandle, unsigned, unsigned) {}
void SetProgressPosition(WindowHandle, unsigned) {}
void SetDialogCaption(WindowHandle, const char*) {}
void SendDialogCommand(WindowHandle, int) {}
void OpenFolderInBrowser(WindowHandle, const char*) {}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s SOURCE/ TARGET/ [scan]\n", argv[0]);
    return 2;
  }
  snprintf(SourceFolder, kFolderSize, "%s", argv[1]);
  snprintf(TargetFolder, kFolderSize, "%s", argv[2]);
  size_t before = HeapInUse();
  auto start = std::chrono::steady_clock::now();
  ScanSourceFolder(SourceFolder);
  double scan = Seconds(start);
  size_t listBytes = HeapInUse() - before;
  size_t nameBytes = 0;
  for (BlockHandle node = FileList; node != nullptr;) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    nameBytes += strlen(static_cast<const char*>(LockBlock(entry->name))) + 1;
    UnlockBlock(entry->name);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
  printf("files %d\nscan_seconds %.3f\nlist_bytes_per_file_beyond_names %.1f\n", FileCount, scan,
         FileCount ? static_cast<double>(listBytes - nameBytes) / FileCount : 0.0);
  if (argc < 4 || strcmp(argv[3], "scan") != 0) {
    start = std::chrono::steady_clock::now();
    CopyRunning = 1;
    rt::WaitForThread(rt::BeginThread(CopyWorker, 0, nullptr));
    printf("copy_seconds %.3f\n", Seconds(start));
  }
  ReleaseFileList();
  return 0;
}
