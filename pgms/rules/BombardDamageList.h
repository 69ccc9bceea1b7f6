// Damage rolled for a bombardment when the order is given, kept until the
// Bombard Unit action applies it (possibly after a save and a load, or on
// another machine replaying the action).
//
// The action timer owns one storage: a numbered pool of lists, one list per
// pending bombardment. A Bombard Unit record holds only its list number.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TIo_Reader;
class TIo_Writer;

// One roll of a bombardment against one unit.
struct TBombard_Damage_Record {
  std::int32_t damage = 0;
  std::int32_t attacking_unit_id = 0;
  std::int32_t target_unit_id = 0;

  friend bool operator==(const TBombard_Damage_Record&, const TBombard_Damage_Record&) = default;
};

class TBombard_Damage_List_Obj {
public:
  TBombard_Damage_List_Obj() { m_Clear(); }
  ~TBombard_Damage_List_Obj() { m_Clear(); }
  TBombard_Damage_List_Obj(const TBombard_Damage_List_Obj&) = delete;
  TBombard_Damage_List_Obj& operator=(const TBombard_Damage_List_Obj&) = delete;

  // Not in use, no records.
  void m_Clear();
  void m_Add_Record(const TBombard_Damage_Record& record);
  // Record j (1-based); three zeros for 0 or above the count.
  TBombard_Damage_Record m_Get_Record(std::int64_t j) const;
  // Target unit id of record j; 0 for 0 or above the count.
  std::int32_t m_Get_Target(std::int64_t j) const;

  // In use, the count, then each record's damage, attacking and target unit.
  void m_Save(TIo_Writer& w) const;
  // Clears first; the capacity becomes the count read.
  void m_Load(TIo_Reader& r);

  bool m_In_Use() const { return f_in_use; }
  void m_Set_In_Use(bool in_use) { f_in_use = in_use; }
  std::uint16_t m_Count() const { return f_count; }
  std::uint16_t m_Capacity() const { return f_capacity; }

private:
  void m_Set_Capacity(std::uint16_t capacity);
  // The list's fields, read or written (see Io_Fields.h).
  template <class F, class Self>
  static void m_Fields(F& f, Self& self);

  bool f_in_use = false;
  std::uint16_t f_count = 0;
  std::uint16_t f_capacity = 0;
  std::unique_ptr<TBombard_Damage_Record[]> f_records;
};

class TBombard_Damage_List_Storage {
public:
  TBombard_Damage_List_Storage() = default;
  ~TBombard_Damage_List_Storage() { m_Clear(); }
  TBombard_Damage_List_Storage(const TBombard_Damage_List_Storage&) = delete;
  TBombard_Damage_List_Storage& operator=(const TBombard_Damage_List_Storage&) = delete;

  // Frees every list.
  void m_Clear();
  // The lowest-numbered list not in use (a new list when all are), marked
  // in use; it is empty because lists are emptied when released.
  std::uint16_t m_Allocate();
  // False for 0 or a number above the count; else the list is emptied and
  // marked free.
  bool m_Release(std::int64_t i);
  // Appends to list i; nothing for 0 or a number above the count.
  void m_Add_Record(std::int64_t i, const TBombard_Damage_Record& record);
  // Zeros when i or j is out of range.
  TBombard_Damage_Record m_Get_Record(std::int64_t i, std::int64_t j) const;
  // Target unit id of record j of list i; 0 when out of range.
  std::int32_t m_Get_Record_Value(std::int64_t i, std::int64_t j) const;

  // The count, then every list, released ones too, so that list numbers
  // keep their meaning after a load.
  void m_Save(TIo_Writer& w) const;
  // Clears first.
  void m_Load(TIo_Reader& r);

  std::uint16_t m_Count() const { return static_cast<std::uint16_t>(f_lists.size()); }
  // List i, or none for 0 or a number above the count.
  TBombard_Damage_List_Obj* m_Get_List(std::int64_t i);
  const TBombard_Damage_List_Obj* m_Get_List(std::int64_t i) const;

private:
  std::vector<std::unique_ptr<TBombard_Damage_List_Obj>> f_lists;
};
