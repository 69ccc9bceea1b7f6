// The shared interface atlases and the overview map's textures.
//
// The interface draws its button frames, the game's mouse pointer, nation
// flags and markers from a few picture atlases loaded once into the texture
// list (group 2) and kept in the process-wide handles below (0 = none). A
// missing picture leaves its handle at 0 and is written to the debug log;
// whatever would be drawn from it then draws nothing. Main thread only.
#pragma once

#include <cstdint>

#include "GraphicsEngine.h"

// The handles of the shared atlases and of the overview map's textures.
extern std::int32_t Display_Buttons_Texture;
extern std::int32_t Display_Buttons_2_Texture;
extern std::int32_t Display_Buttons_3_Texture;
extern std::int32_t Display_Buttons_4_Texture;
extern std::int32_t Display_Cursors_Texture;
extern std::int32_t Display_Flags_Texture;
extern std::int32_t Display_Misc_Texture;
extern std::int32_t Display_Map_Values_Texture;
extern std::int32_t Display_Move_Arrow_Texture;
extern std::int32_t Display_Combat_Flag_Texture;
extern std::int32_t Display_Overview_Background_Texture;
extern std::int32_t Display_Overview_Ownership_Texture;

// The overview ownership image's size in pixels.
constexpr std::int32_t DISPLAY_OVERVIEW_WIDTH = 512;
constexpr std::int32_t DISPLAY_OVERVIEW_HEIGHT = 256;

// Loads the ten atlases (Cursors, Move arrow and Combat flag black-keyed
// like the button atlases and Misc; Flags and Map values without key).
bool Init_Global_Display();
// Loads the atlases again after a new device (only the Cursors, Move arrow
// and Combat flag keyed); nothing without a texture list. An atlas still
// loaded keeps its handle.
bool Reload_Global_Display();
// Forgets all twelve handles without unloading anything.
bool Clear_Global_Display();

// Unloads the overview background and ownership image, loads the background
// of the current map and makes a new 512 x 256 ownership render target.
void Display_Load_Overview_Map_Textures();
// After a new device: the background when its file exists (else handle 0),
// and a new ownership render target.
void Reload_Overview_Map_Textures();

// One cell of a button atlas: style 1..6 selects the atlas and cell size,
// the row is 3 with the third flag, else 2 with the second, else 1 with the
// first, else 0. Other styles draw nothing.
void Display_Draw_Button_Frame(std::int32_t x, std::int32_t y, std::int32_t column, std::int32_t style,
                               bool first_state, bool second_state, bool third_state);
// The game's mouse pointer: the 40 x 40 cell at (160, 0) of the Cursors atlas.
void Display_Draw_Fixed_Icon(std::int32_t x, std::int32_t y);
// The flag cell (column, row), both from 1, of the Flags atlas in the game
// settings' flag size.
void Display_Draw_Grid_Icon(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t column);

// Redraws the ownership image: the overview background, every owned land
// region known to the viewers (the empires of the player and of the second
// player, 0 = none) tinted in its owner's colour, and the regions unknown to
// them darkened. Needs the world map and the empire list.
void Display_Update_Overview_Map_Ownership(std::int32_t player, std::int32_t second_player);
// The ownership image stretched into (x, y, width, height), the first and
// second regions highlighted (0 = none) and the third in another colour,
// the combat flags of the regions the player's empire knows, the move arrow
// from the first to the second region, and with frame_shown a white outline
// along the frame rectangle (relative to x, y). Nothing without background.
void Display_Draw_Overview_Map(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                               bool frame_shown, const TRect& frame, std::int32_t first_region,
                               std::int32_t second_region, std::int32_t third_region, std::int32_t player);

// The move arrow as a band 200 units wide on the map plane from one point to
// another, the image's top at the second point.
void Display_Draw_Move_Arrow(float from_x, float from_y, float to_x, float to_y);
// The combat flag (100 x 100) and the Misc atlas' marker (107 x 16.5),
// translucent, centred on a world point in the plane z = P.z.
void Display_Draw_Combat_Flag(float x, float y, float z);
void Display_Draw_Misc_Marker(float x, float y, float z);
