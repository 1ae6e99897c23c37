#pragma once
// The threads that draw a frame larger than the classic one. A frame's work
// is cut into tasks that touch disjoint pixels (bands of rows, the quadrants
// of a blur); RunTasks hands them to the threads and returns when all are
// done. Which thread runs which task never matters: a task's result depends
// on its inputs alone, so a frame's bytes are the same for any thread count.
//
// The workers are started on the first RunTasks that needs them and wait
// between calls; they are joined at exit. A build without threads (the
// browser's) runs every task on the calling thread.
#include <cstdint>
#include <type_traits>

namespace vx {

// Threads that RunTasks uses, the calling one included: 1 .. MaxDrawThreads.
// The default is the processor's core count (at most MaxDrawThreads).
inline constexpr int MaxDrawThreads = 64;
void SetDrawThreads(int threads);
int DrawThreads();
// The processor's cores as the system reports them (at least 1).
int ProcessorCores();

// Calls task(context, i) for i = 0 .. count - 1, each once, spread over
// DrawThreads() threads, and returns when every call has returned. Calls
// from inside a task run serially on that thread. Allocates nothing once the
// workers are up.
void RunTasks(int count, void (*task)(const void* context, int index), const void* context);

// RunTasks for a callable: fn(i) for i = 0 .. count - 1.
template <typename Fn>
void ForEachTask(int count, const Fn& fn) {
  static_assert(std::is_invocable_v<const Fn&, int>);
  RunTasks(
      count, [](const void* context, int index) { (*static_cast<const Fn*>(context))(index); },
      &fn);
}

}  // namespace vx
