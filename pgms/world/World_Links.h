// What the world model asks of the event log, of the main screen and of the
// drawing engine's texture list.
//
// The world model reaches them through these links so that it runs (and is
// tested) without them; until the event log and the main screen install
// their own links, every call does nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SelectedUnit.h"
#include "Vector_Types.h"

class TWorld_Event_Log_Link {
public:
  virtual ~TWorld_Event_Log_Link() = default;
  // A "Region Captured" entry: game date, former owner, new owner, region.
  virtual void m_Add_Region_Captured(std::int32_t date, std::uint8_t former_owner, std::uint8_t new_owner,
                                     std::int32_t region);
};

class TWorld_Main_Screen_Link {
public:
  virtual ~TWorld_Main_Screen_Link() = default;
  // Whether the main screen exists (calls below are skipped while it does not).
  virtual bool m_Exists() const;
  // Region owners or known regions changed: the overview map is redrawn.
  virtual void Map_Ownership_Changed();
  // Hands a camera to the main screen (eye, look-at, force flag, up).
  virtual void m_Set_Camera(const TVector& eye, const TVector& look_at, bool force, const TVector& up);
  // Adds a line to the notices of the main screen.
  virtual void m_Add_Notice(const std::string& text);
  // What the map drawing shows of the main screen: the regions a pending
  // order may target, the selected region and the selected unit groups
  // (empty without a main screen).
  virtual const std::vector<std::int32_t>& m_Highlighted_Regions() const;
  virtual std::int32_t m_Selected_Region() const;
  virtual const std::vector<TSelected_Unit>& m_Selected_Groups() const;
  // The main screen's hover state: true with the mouse position (screen
  // pixels) the screen recorded in its last drawing pass while the mouse was
  // over it; false (0, 0) when it is not hovered or there is no main screen.
  virtual bool m_Get_Hover_Position(std::int32_t& x, std::int32_t& y) const;
  // The game is over for a player (0: nobody can play any more): the main
  // screen shows the end of the game.
  virtual void m_Game_Over(std::uint8_t player);
};

// The links in force (never null).
TWorld_Event_Log_Link& World_Event_Log_Link();
TWorld_Main_Screen_Link& World_Main_Screen_Link();
// Installs a link (nullptr restores the one that does nothing).
void Set_World_Event_Log_Link(TWorld_Event_Log_Link* link);
void Set_World_Main_Screen_Link(TWorld_Main_Screen_Link* link);

// The texture list of the drawing engine, for the map's pictures: loads a
// picture file into a texture of a group with a colour key and returns its
// handle, 0 when it cannot. The engine installs its loader; until then (a
// program without a screen) nothing loads and every handle is 0.
constexpr std::uint8_t WORLD_TEXTURE_KEY_NONE = 0;   // the texture list's "no colour key"
constexpr std::uint8_t WORLD_TEXTURE_KEY_BLACK = 1;  // black is transparent
using TWorld_Texture_Loader = std::int32_t (*)(const std::string& file, std::uint8_t group,
                                               std::uint8_t color_key_type);
void Set_World_Texture_Loader(TWorld_Texture_Loader loader);
std::int32_t World_Load_Texture(const std::string& file, std::uint8_t group, std::uint8_t color_key_type);
