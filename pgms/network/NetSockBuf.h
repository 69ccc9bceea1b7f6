// Send queue of a socket: a chain of fixed-size byte blocks, oldest first,
// with a list of emptied blocks kept for reuse. Everything given to a socket
// is appended here; the socket drains the queue one block at a time as far
// as the network accepts it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// One block of the queue. The unread bytes lie between the read count and
// the write count; when they meet both go back to 0 so that the block is
// refilled from its start.
class TNetBuffer {
public:
  explicit TNetBuffer(std::int32_t size);

  // New size (non-positive means 1460); stored bytes are kept.
  void Resize(std::int32_t size);
  // Copies as many bytes as still fit, at most len; returns how many.
  std::int32_t Write(const void* data, std::int32_t len);
  // First unread byte and the number of unread bytes (0 when none).
  std::int32_t Peek(const char*& data) const;
  // Takes up to len unread bytes away; returns how many.
  std::int32_t Remove(std::int32_t len);

  std::int32_t BufSize() const { return f_size; }
  std::int32_t Write_Count() const { return f_write; }
  std::int32_t Read_Count() const { return f_read; }
  void Reset() { f_read = f_write = 0; }

  TNetBuffer* f_next = nullptr;
  TNetBuffer* f_prev = nullptr;

private:
  std::vector<char> f_data;
  std::int32_t f_size = 0;
  std::int32_t f_write = 0;
  std::int32_t f_read = 0;
};

// Doubly linked list of blocks; it owns its blocks.
class TNetBufferLinkedList {
public:
  TNetBufferLinkedList() = default;
  TNetBufferLinkedList(const TNetBufferLinkedList&) = delete;
  TNetBufferLinkedList& operator=(const TNetBufferLinkedList&) = delete;
  ~TNetBufferLinkedList();

  void Add_Tail(TNetBuffer* b);
  void Add_Head(TNetBuffer* b);
  // Unlinks b (which must be in this list) without freeing it.
  void Unlink(TNetBuffer* b);
  TNetBuffer* Head() const { return f_head; }
  TNetBuffer* Tail() const { return f_tail; }
  std::int32_t Count() const;

private:
  TNetBuffer* f_head = nullptr;
  TNetBuffer* f_tail = nullptr;
};

// The queue of one socket.
class TNetBufferHandler {
public:
  TNetBufferHandler() = default;

  // Appends the bytes at the tail, filling the tail block first.
  void Write(const void* data, std::int32_t len);
  // Unread bytes of the head block only (0 when the queue is empty).
  std::int32_t Peek(const char*& data) const;
  // Takes count bytes from the head block; an emptied block moves to the
  // front of the free list.
  void Remove(std::int32_t count);
  bool Is_Empty() const;
  // Every queued block is reset and moved to the free list.
  void Delete_All();

  std::int32_t BufSize = 1460;
  std::recursive_mutex& Lock() { return f_lock; }

  const TNetBufferLinkedList& In_Use() const { return f_in_use; }
  const TNetBufferLinkedList& Free_List() const { return f_free; }

private:
  TNetBuffer* Take_Block();

  TNetBufferLinkedList f_in_use;
  TNetBufferLinkedList f_free;
  std::recursive_mutex f_lock;
};
