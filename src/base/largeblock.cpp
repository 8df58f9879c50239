#include "base/largeblock.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace vkz::largeblock {

#if defined(__linux__)
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t pageSize() {
  static const std::size_t page = [] {
    const long p = ::sysconf(_SC_PAGESIZE);
    return p > 0 ? static_cast<std::size_t>(p) : std::size_t{4096};
  }();
  return page;
}

// The mapped size of a block: whole pages.
std::size_t mappedSize(std::size_t bytes) {
  const std::size_t page = pageSize();
  return (bytes + page - 1) / page * page;
}

// Has the kernel make the pages of [p, p + n) ready in one request instead
// of a fault per page. A hint: an older kernel, or too little memory,
// leaves them to be faulted in as they are touched.
void populate(void* p, std::size_t n) {
#if defined(MADV_POPULATE_WRITE)
  if (n > 0) ::madvise(p, n, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)n;
#endif
}

// A fresh mapping of `size` bytes (whole pages). Below a huge page it is
// made ready at once (it is not much more than a reader fills). From a huge
// page on it is aligned to 2 MiB and its whole huge pages are left to the
// kernel's huge pages, filled as they are touched; the rest after them is
// made ready at once.
void* mapFresh(std::size_t size) {
  if (size < kHugePage) {
    void* m = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    populate(m, size);
    return m;
  }
  // Mapped with room to move its start to a 2 MiB boundary; the room
  // around it is given back at once.
  void* m = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  const auto base = reinterpret_cast<std::uintptr_t>(m);
  const std::uintptr_t start = (base + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  if (start > base) ::munmap(m, start - base);
  ::munmap(reinterpret_cast<void*>(start + size), base + kHugePage - start);
  const std::size_t whole = size / kHugePage * kHugePage;
#if defined(MADV_HUGEPAGE)
  ::madvise(reinterpret_cast<void*>(start), whole, MADV_HUGEPAGE);  // a hint: may fail harmlessly
#endif
  populate(reinterpret_cast<void*>(start + whole), size - whole);
  return reinterpret_cast<void*>(start);
}

// Mapped blocks given back are kept, up to kKeep bytes in all, for the
// next block of the same size: a file opened again (or another of its
// length) finds its memory ready instead of faulting it in afresh, as it
// would find malloc's heap. The oldest kept block goes first.
class KeptBlocks {
 public:
  void* take(std::size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = count_ - 1; i >= 0; --i) {
      if (blocks_[i].size != size) continue;
      void* p = blocks_[i].p;
      kept_ -= size;
      for (int k = i + 1; k < count_; ++k) blocks_[k - 1] = blocks_[k];
      --count_;
      return p;
    }
    return nullptr;
  }
  // False when the block is not kept (the caller unmaps it).
  bool keep(void* p, std::size_t size) {
    if (size > kKeep) return false;
    Block dropped[kMaxBlocks];
    int drop = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      while (count_ > 0 && (count_ == kMaxBlocks || kept_ + size > kKeep)) {
        dropped[drop++] = blocks_[0];
        kept_ -= blocks_[0].size;
        for (int k = 1; k < count_; ++k) blocks_[k - 1] = blocks_[k];
        --count_;
      }
      blocks_[count_++] = {p, size};
      kept_ += size;
    }
    for (int i = 0; i < drop; ++i) ::munmap(dropped[i].p, dropped[i].size);
    return true;
  }

 private:
  static constexpr std::size_t kKeep = std::size_t{64} << 20;
  static constexpr int kMaxBlocks = 16;
  struct Block {
    void* p;
    std::size_t size;
  };
  std::mutex mutex_;
  Block blocks_[kMaxBlocks]{};
  int count_ = 0;
  std::size_t kept_ = 0;
};

KeptBlocks& keptBlocks() {
  static KeptBlocks* kept = new KeptBlocks;  // lives to the end: blocks go back at any time
  return *kept;
}

}  // namespace
#endif

void* allocate(std::size_t bytes) {
#if defined(__linux__)
  if (bytes >= kMinMapped) {
    if (bytes > SIZE_MAX / 4) throw std::bad_alloc();
    const std::size_t size = mappedSize(bytes);
    if (void* p = keptBlocks().take(size)) return p;
    return mapFresh(size);
  }
#endif
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (!p) throw std::bad_alloc();
  return p;
}

void release(void* p, std::size_t bytes) noexcept {
  if (!p) return;
#if defined(__linux__)
  if (bytes >= kMinMapped) {
    const std::size_t size = mappedSize(bytes);
    if (!keptBlocks().keep(p, size)) ::munmap(p, size);
    return;
  }
#endif
  std::free(p);
}

void discardPast(void* p, std::size_t bytes, std::size_t keep) noexcept {
#if defined(__linux__)
  if (!p || bytes < kMinMapped || keep >= bytes) return;
  const std::size_t from = mappedSize(keep), size = mappedSize(bytes);
  if (from < size) ::madvise(static_cast<char*>(p) + from, size - from, MADV_DONTNEED);
#else
  (void)p;
  (void)bytes;
  (void)keep;
#endif
}

}  // namespace vkz::largeblock
