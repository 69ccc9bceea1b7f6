// Large work memory through mmap, with huge pages asked for by madvise.
#include "Large_Memory.h"

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include <malloc.h>
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

void Large_Memory_Populate(void* data, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE) && !defined(GLOBARCH_LARGE_FROM_HEAP)
  const std::size_t page = Page_Size();
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (!data || end <= begin) return;
  // Slices cut at 2 MB boundaries, so that no huge page is shared by two.
  constexpr std::uintptr_t Step = std::uintptr_t(2) << 20;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::uintptr_t threads = std::min<std::uintptr_t>({(end - begin) / Step + 1, cores, 8});
  auto cut = [&](std::uintptr_t t) {
    if (t == 0) return begin;
    if (t >= threads) return end;
    return std::clamp(std::uintptr_t(begin + (end - begin) / threads * t) / Step * Step, begin, end);
  };
  auto populate = [&](std::uintptr_t t) {
    const std::uintptr_t from = cut(t), to = cut(t + 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  };
  std::vector<std::thread> helpers;
  for (std::uintptr_t t = 1; t < threads; ++t) helpers.emplace_back(populate, t);
  populate(0);
  for (std::thread& t : helpers) t.join();
#else
  (void)data;
  (void)bytes;
#endif
}

void Large_Memory_Own_Pages_From(std::size_t bytes) {
#if defined(M_MMAP_THRESHOLD) && !defined(GLOBARCH_LARGE_FROM_HEAP)
  ::mallopt(M_MMAP_THRESHOLD, int(std::min<std::size_t>(bytes, std::size_t(32) << 20)));
#else
  (void)bytes;
#endif
}

void Large_Memory_Trim_Heap() {
#if defined(__GLIBC__) && !defined(GLOBARCH_LARGE_FROM_HEAP)
  ::malloc_trim(0);
#endif
}

void Large_Memory_Discard(void* data, std::size_t bytes) {
#if defined(MADV_DONTNEED) && !defined(GLOBARCH_LARGE_FROM_HEAP)
  const std::size_t page = Page_Size();
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (data && end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
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
  Large_Memory_Populate(p, bytes);
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
