#pragma once

#include <vector>

#include "Lists_Base.h"

// Growable list of std::int32_t items, indexed from 1.
class TLongintList : public TInteger_List<std::int32_t, std::int32_t, 1000000> {};

// The list of the given ids, in their order.
inline TLongintList Longint_List_Of(const std::vector<std::int32_t>& ids) {
  TLongintList list;
  for (std::int32_t id : ids) list.m_Add(id);
  return list;
}
