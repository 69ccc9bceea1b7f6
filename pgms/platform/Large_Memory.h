// Memory for large work arrays (pictures of tens to hundreds of megabytes).
//
// Fresh memory is paid for page by page the first time it is touched, and on
// a virtual machine every such fault is dear: a 128 MB picture in ordinary
// 4 KB pages takes 32,768 of them. Where the system offers huge pages these
// blocks ask for them, which turns that into a few dozen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// Asks for huge pages in [data, data + bytes) (only the whole pages inside
// it); nothing happens where the system does not offer them.
void Large_Memory_Advise(void* data, std::size_t bytes);

// Has the system back [data, data + bytes) with memory now, on several
// threads at once, rather than fault by fault at first use; nothing happens
// where the system cannot.
void Large_Memory_Populate(void* data, std::size_t bytes);

// Gives the memory of [data, data + bytes) back to the system (only the
// whole pages inside it) while it stays addressable: what was there is gone
// and reads as zeros. For a work picture whose parts are done with before
// the whole is freed. Nothing happens where the system cannot, or where the
// blocks come from the heap (under the sanitizers).
void Large_Memory_Discard(void* data, std::size_t bytes);

// From now on every block of at least `bytes` bytes the program asks the
// heap for gets pages of its own, given back to the system when it is
// freed. Without this the C library raises that bound to the largest block
// freed so far, and pictures of a few megabytes freed after their textures
// were made stay in its pools as the program's memory. Nothing happens
// where the library has no such setting.
void Large_Memory_Own_Pages_From(std::size_t bytes);

// Gives the heap's free pages back to the system: after many blocks of a
// few hundred kilobytes were freed at once (textures let go), they would
// otherwise stay the program's memory until the heap reuses them. Nothing
// happens where the library has no such call.
void Large_Memory_Trim_Heap();

// Zero-filled memory of `bytes` bytes, backed at once (see above); std::bad_alloc
// when the system has none. Released with Large_Memory_Release.
void* Large_Memory_Acquire(std::size_t bytes);
void Large_Memory_Release(void* data, std::size_t bytes);

// Gives the vector `count` copies of `fill` in storage that asked for huge
// pages before it was first touched.
template <class T>
void Large_Vector_Assign(std::vector<T>& v, std::size_t count, const T& fill) {
  std::vector<T>().swap(v);
  v.reserve(count);
  Large_Memory_Advise(v.data(), count * sizeof(T));
  Large_Memory_Populate(v.data(), count * sizeof(T));
  v.assign(count, fill);
}

// Gives the vector room for `count` elements (keeping those it holds) in
// storage that asked for huge pages and is backed at once.
template <class T>
void Large_Vector_Reserve(std::vector<T>& v, std::size_t count) {
  if (count <= v.capacity()) return;
  std::vector<T> bigger;
  bigger.reserve(count);
  Large_Memory_Advise(bigger.data(), count * sizeof(T));
  Large_Memory_Populate(bigger.data(), count * sizeof(T));
  bigger.assign(v.begin(), v.end());
  v.swap(bigger);
}

// A zero-filled array of `size` elements of a trivial type in large memory.
template <class T>
class TLarge_Array {
  static_assert(std::is_trivial_v<T>);

public:
  TLarge_Array() = default;
  explicit TLarge_Array(std::size_t size) { Reset(size); }
  TLarge_Array(const TLarge_Array&) = delete;
  TLarge_Array& operator=(const TLarge_Array&) = delete;
  TLarge_Array(TLarge_Array&& other) noexcept { Swap(other); }
  TLarge_Array& operator=(TLarge_Array&& other) noexcept {
    TLarge_Array(std::move(other)).Swap(*this);
    return *this;
  }
  ~TLarge_Array() { Release(); }

  // `size` elements, all zero (the old contents go).
  void Reset(std::size_t size) {
    Release();
    if (size == 0) return;
    if (size > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    f_data = static_cast<T*>(Large_Memory_Acquire(size * sizeof(T)));
    f_size = size;
  }
  void Release() {
    if (f_data) Large_Memory_Release(f_data, f_size * sizeof(T));
    f_data = nullptr;
    f_size = 0;
  }
  std::size_t Size() const { return f_size; }
  bool Empty() const { return f_size == 0; }
  T* Data() { return f_data; }
  const T* Data() const { return f_data; }
  // Without range check: callers keep to 0 .. Size() - 1.
  T& operator[](std::size_t i) { return f_data[i]; }
  const T& operator[](std::size_t i) const { return f_data[i]; }

private:
  void Swap(TLarge_Array& other) noexcept {
    std::swap(f_data, other.f_data);
    std::swap(f_size, other.f_size);
  }
  T* f_data = nullptr;
  std::size_t f_size = 0;
};
