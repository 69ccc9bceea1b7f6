#pragma once

#include "Lists_Base.h"

// Growable list of std::uint16_t items, indexed from 1.
class TWordList : public TInteger_List<std::uint16_t, std::int32_t, 32760> {};
