// The thread that readies the record grid's memory while the data-file
// reader fills it.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace vkz::detail {

// Makes the pages of fresh memory ready on a thread of its own while the
// reader fills them. Fresh memory costs the kernel a page fault per page
// (about half the time of reopening a large file, the reading itself the
// other half); asked for ahead, the faults happen beside the reading
// instead of in the middle of it. The memory is not read or written here,
// and no more of it is made ready than a short way ahead of the reader: a
// file that ends early, or holds far fewer records than it announces,
// costs no more memory than it fills.
class MemoryWarmer {
 public:
  static std::unique_ptr<MemoryWarmer> start(std::span<char> room) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(room.data()) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(room.data()) + room.size()) & ~(page - 1);
    if (page == 0 || (page & (page - 1)) != 0 || to <= from) return nullptr;
    try {
      return std::unique_ptr<MemoryWarmer>(new MemoryWarmer(from, to));
    } catch (const std::exception&) {  // no thread to be had: the reading goes on without
      return nullptr;
    }
#else
    (void)room;
    return nullptr;
#endif
  }
  ~MemoryWarmer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    moved_.notify_one();
    thread_.join();
  }
  // The reader has filled the memory up to `at`.
  void readerAt(const char* at) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reader_ = reinterpret_cast<std::uintptr_t>(at);
    }
    moved_.notify_one();
  }

 private:
  static constexpr std::uintptr_t kStep = 2 << 20;    // made ready at a time
  static constexpr std::uintptr_t kAhead = 16 << 20;  // at most this far ahead of the reader

  MemoryWarmer(std::uintptr_t from, std::uintptr_t to)
      : reader_(from), thread_([this, from, to] { run(from, to); }) {}
  void run(std::uintptr_t from, std::uintptr_t to) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    for (std::uintptr_t at = from; at < to; at += kStep) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        moved_.wait(lock, [&] { return stop_ || at < reader_ + kAhead; });
        if (stop_) return;
      }
      // Fails harmlessly when the memory has moved away (the grid grew
      // past its reserve) or the kernel is too old to know the request.
      if (::madvise(reinterpret_cast<void*>(at), std::min(kStep, to - at), MADV_POPULATE_WRITE) != 0) return;
    }
#else
    (void)from;
    (void)to;
#endif
  }
  std::mutex mutex_;
  std::condition_variable moved_;
  bool stop_ = false;
  std::uintptr_t reader_;
  std::thread thread_;
};

}  // namespace vkz::detail
