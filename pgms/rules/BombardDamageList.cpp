#include "BombardDamageList.h"

#include <algorithm>
#include <limits>

#include "Errors.h"
#include "Io_Fields.h"
#include "Io_Tagged.h"

// ---------------------------------------------------------------------------
// TBombard_Damage_List_Obj

void TBombard_Damage_List_Obj::m_Clear() {
  f_in_use = false;
  f_count = 0;
  f_capacity = 0;
  f_records.reset();
}

void TBombard_Damage_List_Obj::m_Set_Capacity(std::uint16_t capacity) {
  auto block = std::make_unique<TBombard_Damage_Record[]>(capacity);
  std::copy_n(f_records.get(), f_count, block.get());
  f_records = std::move(block);
  f_capacity = capacity;
}

void TBombard_Damage_List_Obj::m_Add_Record(const TBombard_Damage_Record& record) {
  std::uint16_t count = Checked_Add<std::uint16_t>(f_count, 1);
  if (count > f_capacity) {
    // Growing ten at a time, but never past the largest count a list can hold.
    constexpr int most = std::numeric_limits<std::uint16_t>::max();
    m_Set_Capacity(static_cast<std::uint16_t>(std::min(int(count) + 10, most)));
  }
  f_records[f_count] = record;
  f_count = count;
}

TBombard_Damage_Record TBombard_Damage_List_Obj::m_Get_Record(std::int64_t j) const {
  if (j < 1 || j > f_count) return {};
  return f_records[j - 1];
}

std::int32_t TBombard_Damage_List_Obj::m_Get_Target(std::int64_t j) const {
  return m_Get_Record(j).target_unit_id;
}

template <class F, class Self>
void TBombard_Damage_List_Obj::m_Fields(F& f, Self& self) {
  f.Boolean(self.f_in_use);
  std::uint16_t count = self.f_count;
  f.Word(count);
  if constexpr (F::reading) {
    // A record takes at least six bytes: a count the file cannot hold is
    // refused before anything is allocated for it.
    if (std::uint64_t(count) * 6 > f.m_Reader().m_Bytes_Left())
      throw EInOutError("Bombard damage list beyond the end of the file");
    self.m_Set_Capacity(count);
  }
  for (std::uint16_t j = 0; j < count; ++j) {
    auto& d = self.f_records[j];
    f.Integer(d.damage, d.attacking_unit_id, d.target_unit_id);
    if constexpr (F::reading) self.f_count = static_cast<std::uint16_t>(j + 1);
  }
}

void TBombard_Damage_List_Obj::m_Save(TIo_Writer& w) const {
  TIo_Field_Writer f(w);
  m_Fields(f, *this);
}

void TBombard_Damage_List_Obj::m_Load(TIo_Reader& r) {
  m_Clear();
  TIo_Field_Reader f(r);
  m_Fields(f, *this);
}

// ---------------------------------------------------------------------------
// TBombard_Damage_List_Storage

void TBombard_Damage_List_Storage::m_Save(TIo_Writer& w) const {
  Io_Write_Word(w, m_Count());
  for (const auto& list : f_lists) list->m_Save(w);
}

void TBombard_Damage_List_Storage::m_Load(TIo_Reader& r) {
  m_Clear();
  std::uint16_t count = Io_Read_Word(r);
  for (std::uint16_t i = 0; i < count; ++i) {
    f_lists.push_back(std::make_unique<TBombard_Damage_List_Obj>());
    f_lists.back()->m_Load(r);
  }
}

void TBombard_Damage_List_Storage::m_Clear() { f_lists.clear(); }

std::uint16_t TBombard_Damage_List_Storage::m_Allocate() {
  std::size_t i = 0;
  while (i < f_lists.size() && f_lists[i]->m_In_Use()) ++i;
  if (i == f_lists.size()) {
    if (f_lists.size() >= std::numeric_limits<std::uint16_t>::max()) throw EIntOverflow();
    f_lists.push_back(std::make_unique<TBombard_Damage_List_Obj>());
  }
  f_lists[i]->m_Set_In_Use(true);
  return static_cast<std::uint16_t>(i + 1);
}

bool TBombard_Damage_List_Storage::m_Release(std::int64_t i) {
  TBombard_Damage_List_Obj* list = m_Get_List(i);
  if (!list) return false;
  list->m_Clear();
  return true;
}

void TBombard_Damage_List_Storage::m_Add_Record(std::int64_t i, const TBombard_Damage_Record& record) {
  if (TBombard_Damage_List_Obj* list = m_Get_List(i)) list->m_Add_Record(record);
}

TBombard_Damage_Record TBombard_Damage_List_Storage::m_Get_Record(std::int64_t i, std::int64_t j) const {
  const TBombard_Damage_List_Obj* list = m_Get_List(i);
  return list ? list->m_Get_Record(j) : TBombard_Damage_Record{};
}

std::int32_t TBombard_Damage_List_Storage::m_Get_Record_Value(std::int64_t i, std::int64_t j) const {
  return m_Get_Record(i, j).target_unit_id;
}

TBombard_Damage_List_Obj* TBombard_Damage_List_Storage::m_Get_List(std::int64_t i) {
  if (i < 1 || i > std::int64_t(f_lists.size())) return nullptr;
  return f_lists[i - 1].get();
}

const TBombard_Damage_List_Obj* TBombard_Damage_List_Storage::m_Get_List(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_lists.size())) return nullptr;
  return f_lists[i - 1].get();
}
