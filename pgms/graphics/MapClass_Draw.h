// Drawing of the world map in the plane z = 0 (map y upwards; a point of the
// map's own y axis, which runs down from the top, is drawn at map height
// - y).
//
// The map only offers what is drawn (regions, squares, units, textures);
// everything about drawing it lives here. A TMap_View keeps what one view of
// the map learnt from the last visibility test: m_Update_Visibility tests the
// sections and regions against the camera, and m_Draw then skips what is out
// of view. The single pieces of the picture are free functions over the map,
// for the screens and tests that draw one of them alone.
#pragma once

#include <cstdint>
#include <vector>

#include "Vector_Types.h"

class TMap;

// The haze over regions a player has not explored, on the world map and on
// the overview alike: drawn over the region's picture with source alpha
// blending (its alpha: how much of the haze covers the ground).
constexpr TColor Map_Hidden_Region_Color = Make_Color(70, 78, 90, 180);
// What darkens a region of the world map that the player does not know: the
// screen under the region's shape keeps (255 - alpha) / 255 of its light.
constexpr TColor Map_Unknown_Region_Color = Make_Color(50, 50, 50, 200);

class TMap_View {
 public:
  // Tests the map's sections and regions against the camera: the regions
  // keep their own flags (the map's clicks and the actions ask them too),
  // the sections' flags stay with this view.
  void m_Update_Visibility(TMap& map);
  // Section i (1..count) passed the last visibility test.
  bool m_Get_Section_Visible(std::int64_t i) const;
  // The map as the player sees it: sections, owner tints of the known land
  // regions, unknown regions darkened, the highlighted regions of the main
  // screen (unless highlights_off; the purchase target brighter), value
  // symbols and flags, selection frames, unit stacks and combat markers.
  void m_Draw(const TMap& map, std::uint8_t player, bool highlights_off, std::int32_t purchase_target,
              bool draw_everything) const;

 private:
  std::vector<std::uint8_t> f_section_visible;  // index = section, slot 0 unused
};

void Map_Draw_Region_Tint(const TMap& map, std::int32_t region, TColor color);
void Map_Draw_Hidden_Region(const TMap& map, std::int32_t region);
void Map_Draw_Highlighted_Region(const TMap& map, std::int32_t region, bool is_target);
void Map_Draw_Region_Symbols(const TMap& map, std::uint8_t player);
void Map_Draw_Selection_Frames(const TMap& map);
// colour 0: untinted.
void Map_Draw_Selection_Frame(const TMap& map, TColor color, float width, float height, float y, float x);
void Map_Draw_Units(const TMap& map, std::uint8_t player);
void Map_Draw_Combat_Markers(const TMap& map, std::uint8_t player);
// One stack picture at (x, y) of the map plane (y upwards), tinted in the
// colour (0: untinted), turned by the heading (radians) about its centre,
// with the unit count beside it while the camera is near.
void Map_Draw_Unit_Icon(const TMap& map, std::uint16_t unit_type, std::int32_t count, float heading, TColor color,
                        float height, float width, float y, float x);
