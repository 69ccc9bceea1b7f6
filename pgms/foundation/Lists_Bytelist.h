#pragma once

#include "Lists_Base.h"

// Growable list of std::uint8_t items, indexed from 1.
class TbyteList : public TInteger_List<std::uint8_t, std::uint16_t, 65520> {};
