#include "base/largeblock.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vkz::largeblock {

#if defined(__linux__)
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The mapped size of a block: whole huge pages (a huge page is used only
// where the mapping covers all of it).
std::size_t mappedSize(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
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
    // Mapped with room to move its start to a 2 MiB boundary; the room
    // around it is given back at once.
    void* m = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    const auto base = reinterpret_cast<std::uintptr_t>(m);
    const std::uintptr_t start = (base + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
    if (start > base) ::munmap(m, start - base);
    if (start + size < base + size + kHugePage)
      ::munmap(reinterpret_cast<void*>(start + size), base + kHugePage - start);
#if defined(MADV_HUGEPAGE)
    ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);  // a hint: may fail harmlessly
#endif
    return reinterpret_cast<void*>(start);
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

std::size_t shrink(void* p, std::size_t bytes, std::size_t keep) noexcept {
#if defined(__linux__)
  if (p && bytes >= kMinMapped && keep >= kMinMapped && keep < bytes) {
    // Kept at kMinMapped or more, so release() still knows the block mapped.
    const std::size_t from = mappedSize(keep), size = mappedSize(bytes);
    if (from < size && ::munmap(static_cast<char*>(p) + from, size - from) == 0) return from;
  }
#else
  (void)p;
  (void)keep;
#endif
  return bytes;
}

}  // namespace vkz::largeblock
