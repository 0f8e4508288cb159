// Threads on POSIX: joinable threads, so the run can wait for the worker.
#include <pthread.h>

#include "os.h"

namespace {
struct Thread {
  pthread_t id;
  rt::ThreadFunction function;
  void* argument;
};

void* ThreadStart(void* data) {
  Thread* thread = static_cast<Thread*>(data);
  thread->function(thread->argument);
  return nullptr;
}
}  // namespace

namespace rt {

ThreadHandle BeginThread(ThreadFunction function, unsigned stackSize, void* argument) {
  Thread* thread = new Thread{pthread_t{}, function, argument};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  if (stackSize != 0) pthread_attr_setstacksize(&attributes, stackSize);
  int failed = pthread_create(&thread->id, &attributes, ThreadStart, thread);
  pthread_attr_destroy(&attributes);
  if (failed) {
    delete thread;
    return nullptr;
  }
  return thread;
}

void EndThread() { pthread_exit(nullptr); }

void WaitForThread(ThreadHandle handle) {
  Thread* thread = static_cast<Thread*>(handle);
  if (thread == nullptr) return;
  pthread_join(thread->id, nullptr);
  delete thread;
}

}  // namespace rt
