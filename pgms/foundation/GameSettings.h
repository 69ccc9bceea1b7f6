// The setup and progress of the game being played, saved as
// GameSettings.dat in the game's folder.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Io_Tagged.h"
#include "Vector_Types.h"

// One player slot of a network game.
struct TGame_Settings_Player_Slot {
  std::uint16_t f_client_id = 0;
  std::uint16_t f_slot_number = 0;
  std::string f_player_name;
  std::string f_nation_name;
  std::string f_password;
  std::uint16_t f_connected = 0;  // 0 free, 1 joined player, 2 host
  std::uint16_t f_ready = 0;
};

// N x N bytes over the empires, rows and columns 1..N.
class Relations_Matrix {
public:
  std::uint8_t m_Count() const { return f_count; }
  // Makes the matrix count x count with every cell 0.
  void m_Set_Size(std::uint8_t count);
  // ERangeError outside 1..count.
  std::uint8_t m_Get(std::int32_t row, std::int32_t column) const;
  void m_Put(std::int32_t row, std::int32_t column, std::uint8_t value);

private:
  std::size_t m_Index(std::int32_t row, std::int32_t column) const;
  std::uint8_t f_count = 0;
  std::vector<std::uint8_t> f_cells;
};

constexpr int Game_Settings_Player_Slots = 9;

class TGame_Settings {
public:
  TGame_Settings();

  // Every field to its default, the matrix emptied, the slots cleared.
  void m_Reset();
  // GameSettings.dat through the tagged-file pattern ("Save file error: "
  // and "Load file error: " on failure).
  bool m_Save_To_File(const std::string& file_name) const;
  // A file whose network save name could not name a save (or a hosted
  // game's file without one) is refused as well: its message says why, and
  // the settings are reset.
  bool m_Load_From_File(const std::string& file_name);
  // Why the network save name cannot be used as the folder of the host's
  // saves; empty when it can (or when a game that is not hosted has none).
  std::string m_Network_Save_Name_Problem() const;
  void m_Write(TIo_Writer& w) const;
  // Resets, then reads the fields in file order.
  void m_Read(TIo_Reader& r);

  void m_Set_Current_Turn(std::int32_t date) { f_game_date = date; }
  void m_Set_Turn_Empire(std::uint8_t number) { f_turn_empire = number; }
  void m_Set_Local_Empire(std::uint8_t number) { f_local_empire = number; }
  // Both 0..65535 (ERangeError otherwise).
  void m_Set_Flag_Size(std::int32_t width, std::int32_t height);
  void m_Set_Names(const std::string& game_type_name, const std::string& game_type_folder,
                   const std::string& creation_date, const std::string& version);
  void m_Set_Version(const std::string& text) { f_version = text; }
  void m_Set_Description(const std::string& text) { f_description = text; }
  // The technology level the game was set up with (1 start, 2 medium, 3
  // maximum), kept as the extra text "Technology Level=N" so that the file
  // keeps its layout; 1 when the game has none (older saves).
  std::uint8_t m_Technology_Level() const;
  void m_Set_Technology_Level(std::uint8_t level);
  // The empire count and an all-zero count x count matrix.
  void m_Set_Player_Matrix_Size(std::uint8_t count);
  // Slot 1..9 (ERangeError otherwise) emptied; the player count stays.
  void m_Clear_Player(std::int32_t slot);
  // Player count 0 and every slot emptied.
  void m_Clear_Players();
  // The highest slot among 1..player count holding the client id; 0 when
  // none.
  std::int32_t m_Find_Player(std::uint16_t client_id) const;
  // Empties the slot m_Find_Player finds and returns its number (0 when
  // none); the player count stays.
  std::int32_t m_Remove_Player(std::uint16_t client_id);
  // Slot 1..9 (ERangeError otherwise).
  TGame_Settings_Player_Slot& m_Player(std::int32_t slot);
  const TGame_Settings_Player_Slot& m_Player(std::int32_t slot) const;

  std::int32_t f_game_date;          // tenths of a year
  std::uint8_t f_turn_empire;        // 1..9
  std::uint8_t f_local_empire;       // never saved
  std::string f_game_type_name;
  std::string f_game_type_folder;
  std::string f_version;
  std::string f_description;
  std::string f_creation_date;       // "mm/dd/yy"
  std::uint8_t f_game_kind;          // 1 single player, 2 hot seat, 3 hosted, 4 joined
  TVector f_camera_eye;
  TVector f_camera_look_at;
  TVector f_camera_up;
  std::uint16_t f_flag_width;
  std::uint16_t f_flag_height;
  Relations_Matrix f_relations;      // its count is the empire count
  std::string f_setup_game_type_name;
  std::string f_setup_map_text;
  std::string f_setup_map_type_text;
  std::uint8_t f_neutral_money_level;    // 1..3
  bool f_setup_option_1;
  bool f_setup_option_2;
  bool f_neutral_empire;
  std::uint8_t f_starting_money_level;   // 1..3
  std::uint8_t f_nation_size_level;      // 1..3
  std::uint8_t f_starting_forces_level;  // 1..3
  bool f_fog_of_war;
  std::vector<std::string> f_extra_texts;
  std::uint8_t f_autosave_slot;          // 1..10, 0 before the first autosave
  bool f_autosave_pending;
  std::uint16_t f_player_count;
  std::array<TGame_Settings_Player_Slot, Game_Settings_Player_Slots> f_players;
  std::string f_network_save_name;
};

// The one game settings object of the program.
extern TGame_Settings Game_Settings;

// The kind of game being played, read from the settings in this one place.
// A hosted game checks, executes and relays every command; a joined game
// sends its commands to the host; the other two execute them at once.
enum class TGame_Kind : std::uint8_t { Single_Player = 1, Hot_Seat = 2, Host = 3, Joined = 4 };
// Values outside 1..4 (a settings file from elsewhere) count as single
// player: they send nothing.
TGame_Kind Game_Kind();
// Host or joined.
bool Game_Kind_Is_Network();
