// The shared design of the growable integer lists: items addressed from 1,
// growth in small steps (4, 8, then 16 at a time), and "Invalid Index" for
// any index, capacity or count outside the list.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "Errors.h"

template <typename Item, typename Count, std::int64_t Max_Items>
class TInteger_List {
public:
  TInteger_List() = default;
  TInteger_List(const TInteger_List& other) { *this = other; }
  TInteger_List& operator=(const TInteger_List& other) {
    if (this != &other) {
      m_Clear();
      m_Set_Capacity(other.f_capacity);
      std::memcpy(f_items.get(), other.f_items.get(), sizeof(Item) * other.f_count);
      f_count = other.f_count;
    }
    return *this;
  }
  TInteger_List(TInteger_List&&) noexcept = default;
  TInteger_List& operator=(TInteger_List&&) noexcept = default;
  virtual ~TInteger_List() = default;

  Count m_Count() const { return f_count; }
  Count m_Capacity() const { return f_capacity; }

  // Appends a value and returns the count before adding (its 0-based position).
  Count m_Add(Item value) {
    if (f_count == f_capacity) m_Grow();
    f_items[f_count] = value;
    Count before = f_count;
    f_count = Checked_Add<Count>(f_count, 1);
    return before;
  }

  Item m_Get(std::int64_t index) const {
    m_Check(index);
    return f_items[index - 1];
  }

  void m_Put(std::int64_t index, Item value) {
    m_Check(index);
    f_items[index - 1] = value;
  }

  void m_Delete(std::int64_t index) {
    m_Check(index);
    std::memmove(&f_items[index - 1], &f_items[index], sizeof(Item) * (f_count - index));
    f_count = static_cast<Count>(f_count - 1);
  }

  void m_Set_Capacity(std::int64_t n) {
    if (n < f_count || n > Max_Items) m_Index_Error();
    if (n == f_capacity) return;
    std::unique_ptr<Item[]> block;
    if (n > 0) {
      block = std::make_unique<Item[]>(static_cast<std::size_t>(n));
      if (f_count > 0) std::memcpy(block.get(), f_items.get(), sizeof(Item) * f_count);
    }
    f_items = std::move(block);
    f_capacity = static_cast<Count>(n);
  }

  void m_Set_Count(std::int64_t n) {
    if (n < 0 || n > Max_Items) m_Index_Error();
    if (n > f_capacity) m_Set_Capacity(n);
    for (std::int64_t i = f_count; i < n; ++i) f_items[i] = 0;
    f_count = static_cast<Count>(n);
  }

  void m_Clear() {
    m_Set_Count(0);
    m_Set_Capacity(0);
  }

  bool m_Contains(Item value) const {
    for (Count i = 0; i < f_count; ++i)
      if (f_items[i] == value) return true;
    return false;
  }

protected:
  [[noreturn]] virtual void m_Index_Error() const { throw EListError("Invalid Index"); }

  virtual void m_Grow() {
    std::int64_t step = f_capacity >= 9 ? 16 : (f_capacity >= 5 ? 8 : 4);
    std::int64_t wanted = std::int64_t(f_capacity) + step;
    if (wanted > std::int64_t(std::numeric_limits<Count>::max())) throw EIntOverflow();
    if (wanted > Max_Items) {
      if (f_capacity >= Max_Items) throw ERangeError();
      wanted = Max_Items;
    }
    m_Set_Capacity(wanted);
  }

private:
  void m_Check(std::int64_t index) const {
    if (index < 1 || index > f_count) m_Index_Error();
  }

  std::unique_ptr<Item[]> f_items;
  Count f_count = 0;
  Count f_capacity = 0;
};
