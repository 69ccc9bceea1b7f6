// The battle screen: background, grid, pieces, panel, turn-order strip and
// the expected losses of an attack on the hovered piece.
#include "Combat.h"

void Combat_Draw() {}
void Combat_Update_Hover(float) {}
void Combat_Kill_Preview(std::int32_t, std::int32_t) {}
void Combat_Draw_Piece(std::uint16_t, std::uint8_t, std::int32_t, TColor, float, float, float, float) {}
