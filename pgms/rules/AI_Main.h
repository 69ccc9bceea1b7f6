// The computer player. For now: the strength of a unit that the computer
// player weighs forces with, which the event log's battle statistics share.
#pragma once

#include <cstdint>

// The strength of a unit of the type: "Hit Points" + "Initiative" + "Combat
// Damage Amount Min" + "Combat Damage Amount Max" for a type that takes part
// in combat, else 0; 0 for an unknown type. With a cargo list (not 0) of the
// world map, when the type's transported units take part in combat and
// `without_cargo` is false, the strength of every carried unit is added
// (each without its own cargo).
float AI_Unit_Strength(std::int64_t unit_type, std::int32_t cargo_list, bool without_cargo);
