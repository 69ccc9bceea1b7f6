#pragma once

#include "Lists_Base.h"

// Growable list of std::int32_t items, indexed from 1.
class TLongintList : public TInteger_List<std::int32_t, std::int32_t, 1000000> {};
