// Memory for the large buffers a data file fills (a grid's row texts and
// rows, the per-record value arrays). Fresh memory costs a page fault per
// 4 KiB page, which on some systems is most of the time of opening a large
// file, so blocks from 256 KiB on are mapped on their own: a block smaller
// than 2 MiB is made ready in one request to the kernel; a larger one is
// aligned to 2 MiB and its whole 2 MiB pages are marked for transparent
// huge pages (filled a huge page at a time as they are touched, so room a
// file does not fill costs little), its rest made ready at once. A mapped
// block given back is kept for the next block of its size (64 MiB of them
// at most). Smaller blocks come from malloc as usual.
#pragma once
#include <cstddef>
#include <new>

namespace vkz {
namespace largeblock {

// From this size on a block is mapped on its own.
inline constexpr std::size_t kMinMapped = std::size_t{256} << 10;

// A block of `bytes` (mapped when `bytes` >= kMinMapped); throws
// std::bad_alloc when there is no memory.
void* allocate(std::size_t bytes);
// Gives back a block allocate() returned for the same `bytes`.
void release(void* p, std::size_t bytes) noexcept;
// Gives the memory of a mapped block of `bytes` back past its first `keep`
// bytes; the block keeps its size and place, and the pages given back read
// as zeros when touched again. Nothing for a block from malloc.
void discardPast(void* p, std::size_t bytes, std::size_t keep) noexcept;

}  // namespace largeblock

// A standard allocator over largeblock.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(largeblock::allocate(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { largeblock::release(p, n * sizeof(T)); }
  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

}  // namespace vkz
