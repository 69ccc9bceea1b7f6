#pragma once

#include "Lists_Base.h"

// Growable list of std::uint32_t items, indexed from 1.
class TLongWordList : public TInteger_List<std::uint32_t, std::int32_t, 16380> {};
