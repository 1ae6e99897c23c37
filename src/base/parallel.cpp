// The draw threads: a fixed crew of workers that wait for a job (a count of
// tasks and the function to call), take task indices from one counter until
// none is left, and report when the last one is done. The calling thread
// takes tasks too, so one thread means no worker at all.
#include "base/parallel.h"

#include <algorithm>
#include <atomic>

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define VX_NO_THREADS 1
#endif

#if !defined(VX_NO_THREADS)
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#endif

namespace vx {
namespace {

int ClampThreads(int threads) {
  return std::clamp(threads, 1, MaxDrawThreads);
}

int drawThreads = 0;  // 0: not set yet, the processor's cores

void RunSerially(int count, void (*task)(const void*, int), const void* context) {
  for (int i = 0; i < count; ++i) task(context, i);
}

#if !defined(VX_NO_THREADS)

// Set while a thread runs a task, so that a task asking for more tasks runs
// them itself instead of waiting for a crew that is busy with its caller.
thread_local bool insideTask = false;

class Crew {
 public:
  ~Crew() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  // Runs the job on the caller and up to `workers` workers.
  void Run(int workers, int count, void (*task)(const void*, int), const void* context) {
    std::unique_lock lock(mutex_);
    // A worker that woke late for the last job may still be looking at its
    // counter: the job's fields change only once no worker is inside one.
    done_.wait(lock, [this] { return busy_ == 0; });
    while (static_cast<int>(workers_.size()) < workers) {
      workers_.emplace_back([this, id = static_cast<int>(workers_.size())] { Work(id); });
    }
    task_ = task;
    context_ = context;
    count_ = count;
    next_.store(0, std::memory_order_relaxed);
    unfinished_ = count;
    active_ = workers;
    ++generation_;
    lock.unlock();
    wake_.notify_all();

    const int finished = TakeTasks();

    lock.lock();
    unfinished_ -= finished;
    done_.wait(lock, [this] { return unfinished_ == 0; });
  }

 private:
  void Work(int id) {
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stopping_ || (generation_ != seen && id < active_); });
      if (stopping_) return;
      seen = generation_;
      ++busy_;
      lock.unlock();
      const int finished = TakeTasks();
      lock.lock();
      unfinished_ -= finished;
      --busy_;
      if (unfinished_ == 0 || busy_ == 0) done_.notify_all();
    }
  }

  // Runs tasks until the counter passes the count; the number it ran.
  int TakeTasks() {
    insideTask = true;
    int finished = 0;
    for (;;) {
      const int i = next_.fetch_add(1, std::memory_order_relaxed);
      if (i >= count_) break;
      task_(context_, i);
      ++finished;
    }
    insideTask = false;
    return finished;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::vector<std::thread> workers_;
  bool stopping_ = false;
  std::uint64_t generation_ = 0;
  int active_ = 0;  // workers of the current job: ids 0 .. active_ - 1
  int busy_ = 0;    // workers inside a job's tasks
  void (*task_)(const void*, int) = nullptr;
  const void* context_ = nullptr;
  int count_ = 0;
  std::atomic<int> next_{0};
  int unfinished_ = 0;
};

Crew& TheCrew() {
  static Crew crew;
  return crew;
}

// One job at a time: two threads of the program asking at once (there is
// one drawing thread, but a tool may differ) take turns.
std::mutex& JobMutex() {
  static std::mutex m;
  return m;
}

#endif

}  // namespace

void SetDrawThreads(int threads) {
  drawThreads = ClampThreads(threads);
}

int DrawThreads() {
  if (drawThreads == 0) drawThreads = ClampThreads(ProcessorCores());
  return drawThreads;
}

int ProcessorCores() {
#if defined(VX_NO_THREADS)
  return 1;
#else
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, MaxDrawThreads));
#endif
}

void RunTasks(int count, void (*task)(const void* context, int index), const void* context) {
  if (count <= 0) return;
  const int threads = std::min(DrawThreads(), count);
#if defined(VX_NO_THREADS)
  (void)threads;
  RunSerially(count, task, context);
#else
  if (threads <= 1 || insideTask) {
    RunSerially(count, task, context);
    return;
  }
  std::lock_guard job(JobMutex());
  TheCrew().Run(threads - 1, count, task, context);
#endif
}

}  // namespace vx
