// What the network lobby asks of the running game.
//
// The lobby shows the empires of a loaded game, writes the game's files for
// the joined machines, hands empires to computer players when their player
// leaves, and on a joined machine loads the game the host sent. The game
// (world model, game folder, action timer) lies in the layers above the
// network, so the lobby reaches it through this link, which the game folder
// installs. Until it is installed every call does nothing and every answer
// says so: no empires, no files written, a load that fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game_Load_Result.h"

// One empire of the running game as the lobby lists it.
struct TLobby_Empire_Row {
  std::string nation_name;
  std::string player_name;
  bool computer = false;
  bool neutral = false;
};

class TLobby_Game_Link {
public:
  constexpr TLobby_Game_Link() = default;
  virtual ~TLobby_Game_Link() = default;
  // The number of empires of the running game (0 without a game).
  virtual std::int32_t m_Empire_Count() const;
  // Empire `n` (1-based); false when there is none.
  virtual bool m_Empire(std::int32_t n, TLobby_Empire_Row& row) const;
  // Hands empire `n` to the computer or back to its player; an empire that
  // does not exist is left alone.
  virtual void m_Set_Computer_Controlled(std::int32_t n, bool computer);
  // Whether a world map is loaded (the game's files can be written).
  virtual bool m_Has_Map() const;
  // Writes the running game into `directory` (ends with "\"): the world map
  // always, the other five files unless `map_only`. False when one of them
  // cannot be written.
  virtual bool m_Write_Game_Files(const std::string& directory, bool map_only);
  // The game folder's file names, in the order in which they are written.
  virtual std::vector<std::string> m_Game_Folder_Files() const;
  // Whether this machine has the stored map of that name (the user's own
  // maps and those shipped with the game).
  virtual bool m_Has_Stored_Map(const std::string& name) const;
  // Empties `directory` and fills it with the stored map of that name; false
  // (the reason shown) when that fails.
  virtual bool m_Replace_With_Stored_Map(const std::string& directory, const std::string& stored_map_name);
  // One step of loading the game that lies in the current-game folder (the
  // game folder's stepped load, files already in place); `result` as it
  // gives it.
  virtual bool m_Load_Step(const std::string& directory, bool first, bool last, TLoad_Result& result,
                           std::int32_t step);
  // Empties the action timer of the loaded game.
  virtual void m_Clear_Action_Timer();
};

// The link in force (never null).
TLobby_Game_Link& Lobby_Game_Link();
// Installs a link (nullptr restores the one that does nothing).
void Set_Lobby_Game_Link(TLobby_Game_Link* link);
