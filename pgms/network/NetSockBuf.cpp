#include "NetSockBuf.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Errors.h"

namespace {
constexpr std::int32_t Default_Block_Size = 1460;
}

TNetBuffer::TNetBuffer(std::int32_t size) {
  f_size = size > 0 ? size : Default_Block_Size;
  f_data.resize(static_cast<std::size_t>(f_size));
}

void TNetBuffer::Resize(std::int32_t size) {
  if (size <= 0) size = Default_Block_Size;
  if (size == f_size) return;
  std::vector<char> data(static_cast<std::size_t>(size));
  if (f_write > f_read) {
    // Keep the stored bytes; a smaller block keeps as many as fit.
    std::int32_t keep = std::min(f_write - f_read, size);
    std::memcpy(data.data(), f_data.data() + f_read, static_cast<std::size_t>(keep));
    f_read = 0;
    f_write = keep;
  } else {
    f_read = f_write = 0;
  }
  f_data.swap(data);
  f_size = size;
}

std::int32_t TNetBuffer::Write(const void* data, std::int32_t len) {
  if (len <= 0) return 0;
  std::int32_t n = std::min(len, f_size - f_write);
  if (n <= 0) return 0;
  std::memcpy(f_data.data() + f_write, data, static_cast<std::size_t>(n));
  f_write += n;
  return n;
}

std::int32_t TNetBuffer::Peek(const char*& data) const {
  std::int32_t n = f_write - f_read;
  if (n <= 0) {
    data = nullptr;
    return 0;
  }
  data = f_data.data() + f_read;
  return n;
}

std::int32_t TNetBuffer::Remove(std::int32_t len) {
  if (len <= 0) return 0;
  std::int32_t n = std::min(len, f_write - f_read);
  f_read += n;
  if (f_read >= f_write) f_read = f_write = 0;
  return n;
}

TNetBufferLinkedList::~TNetBufferLinkedList() {
  TNetBuffer* b = f_head;
  while (b) {
    TNetBuffer* next = b->f_next;
    delete b;
    b = next;
  }
}

void TNetBufferLinkedList::Add_Tail(TNetBuffer* b) {
  b->f_next = nullptr;
  b->f_prev = f_tail;
  if (f_tail) f_tail->f_next = b;
  else f_head = b;
  f_tail = b;
}

void TNetBufferLinkedList::Add_Head(TNetBuffer* b) {
  b->f_prev = nullptr;
  b->f_next = f_head;
  if (f_head) f_head->f_prev = b;
  else f_tail = b;
  f_head = b;
}

void TNetBufferLinkedList::Unlink(TNetBuffer* b) {
  if (b->f_prev) b->f_prev->f_next = b->f_next;
  else f_head = b->f_next;
  if (b->f_next) b->f_next->f_prev = b->f_prev;
  else f_tail = b->f_prev;
  b->f_next = b->f_prev = nullptr;
}

std::int32_t TNetBufferLinkedList::Count() const {
  std::int32_t n = 0;
  for (TNetBuffer* b = f_head; b; b = b->f_next) ++n;
  return n;
}

TNetBuffer* TNetBufferHandler::Take_Block() {
  TNetBuffer* b = f_free.Head();
  if (b) {
    f_free.Unlink(b);
    b->Reset();
  } else {
    b = new TNetBuffer(BufSize);
  }
  f_in_use.Add_Tail(b);
  return b;
}

void TNetBufferHandler::Write(const void* data, std::int32_t len) {
  std::lock_guard<std::recursive_mutex> guard(f_lock);
  if (len <= 0) return;
  const char* p = static_cast<const char*>(data);
  TNetBuffer* b = f_in_use.Tail();
  if (!b) b = Take_Block();
  while (len > 0) {
    std::int32_t n = b->Write(p, len);
    p += n;
    len -= n;
    if (len > 0) b = Take_Block();
  }
}

std::int32_t TNetBufferHandler::Peek(const char*& data) const {
  TNetBuffer* b = f_in_use.Head();
  if (!b) {
    data = nullptr;
    return 0;
  }
  return b->Peek(data);
}

void TNetBufferHandler::Remove(std::int32_t count) {
  std::lock_guard<std::recursive_mutex> guard(f_lock);
  if (count < 0) throw EGlobarch_Error("TNetBufferHandler.Remove: Invalid Len " + std::to_string(count));
  TNetBuffer* b = f_in_use.Head();
  if (!b) throw EGlobarch_Error("TNetBufferHandler.Remove: nothing to remove");
  b->Remove(count);
  const char* d;
  if (b->Peek(d) == 0) {
    f_in_use.Unlink(b);
    f_free.Add_Head(b);
  }
}

bool TNetBufferHandler::Is_Empty() const {
  TNetBuffer* b = f_in_use.Head();
  const char* d;
  return !b || b->Peek(d) == 0;
}

void TNetBufferHandler::Delete_All() {
  std::lock_guard<std::recursive_mutex> guard(f_lock);
  while (TNetBuffer* b = f_in_use.Head()) {
    f_in_use.Unlink(b);
    b->Reset();
    f_free.Add_Tail(b);
  }
}
