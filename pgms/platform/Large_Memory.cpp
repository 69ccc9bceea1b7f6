// Large work memory through mmap, with huge pages asked for by madvise.
#include "Large_Memory.h"

#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

// Under the address sanitizer the blocks come from its allocator, so that a
// stray index into them is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define GLOBARCH_LARGE_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLOBARCH_LARGE_FROM_HEAP 1
#endif
#endif

namespace {
std::size_t Page_Size() {
  static const std::size_t size = [] {
    const long s = ::sysconf(_SC_PAGESIZE);
    return s > 0 ? std::size_t(s) : std::size_t(4096);
  }();
  return size;
}
}  // namespace

void Large_Memory_Advise(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (!data || bytes == 0) return;
  const std::size_t page = Page_Size();
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

void* Large_Memory_Acquire(std::size_t bytes) {
#ifdef GLOBARCH_LARGE_FROM_HEAP
  void* h = std::calloc(bytes, 1);
  if (!h) throw std::bad_alloc();
  return h;
#else
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  Large_Memory_Advise(p, bytes);
  return p;
#endif
}

void Large_Memory_Release(void* data, std::size_t bytes) {
#ifdef GLOBARCH_LARGE_FROM_HEAP
  (void)bytes;
  std::free(data);
#else
  if (data) ::munmap(data, bytes);
#endif
}
