// Threads on Windows. The runtime's _beginthreadex keeps the thread's handle
// open after the thread ends, so the run can wait on it safely.
#include <windows.h>
#include <process.h>

#include "os.h"

namespace {
struct Start {
  rt::ThreadFunction function;
  void* argument;
};

unsigned __stdcall ThreadStart(void* data) {
  Start start = *static_cast<Start*>(data);
  delete static_cast<Start*>(data);
  start.function(start.argument);
  return 0;
}
}  // namespace

namespace rt {

ThreadHandle BeginThread(ThreadFunction function, unsigned stackSize, void* argument) {
  Start* start = new Start{function, argument};
  uintptr_t thread = ::_beginthreadex(nullptr, stackSize, ThreadStart, start, 0, nullptr);
  if (thread == 0) {
    delete start;
    return nullptr;
  }
  return reinterpret_cast<ThreadHandle>(thread);
}

void EndThread() {
  ::_endthreadex(0);
  for (;;) {
  }
}

void WaitForThread(ThreadHandle thread) {
  if (thread == nullptr) return;
  // Messages that the thread sends meanwhile are delivered, so that a send
  // already under way to a window of ours can never hold both threads up.
  HANDLE handle = static_cast<HANDLE>(thread);
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(handle);
}

}  // namespace rt
