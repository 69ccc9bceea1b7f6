#include "GameSettings.h"

#include "Errors.h"
#include "Path.h"
#include "Shell_Services.h"

TGame_Settings Game_Settings;

// ---------------------------------------------------------------- matrix

void Relations_Matrix::m_Set_Size(std::uint8_t count) {
  f_count = count;
  f_cells.assign(std::size_t(count) * count, 0);
}

std::size_t Relations_Matrix::m_Index(std::int32_t row, std::int32_t column) const {
  if (row < 1 || row > f_count || column < 1 || column > f_count) throw ERangeError();
  return std::size_t(row - 1) * f_count + std::size_t(column - 1);
}

std::uint8_t Relations_Matrix::m_Get(std::int32_t row, std::int32_t column) const {
  return f_cells[m_Index(row, column)];
}

void Relations_Matrix::m_Put(std::int32_t row, std::int32_t column, std::uint8_t value) {
  f_cells[m_Index(row, column)] = value;
}

// ---------------------------------------------------------------- settings

TGame_Settings::TGame_Settings() { m_Reset(); }

void TGame_Settings::m_Reset() {
  f_game_date = 0;
  f_turn_empire = 0;
  f_local_empire = 0;
  f_game_type_name.clear();
  f_game_type_folder.clear();
  f_version.clear();
  f_description.clear();
  f_creation_date.clear();
  f_game_kind = 1;
  f_camera_eye = {};
  f_camera_look_at = {};
  f_camera_up = {};
  f_flag_width = 0;
  f_flag_height = 0;
  f_relations.m_Set_Size(0);
  f_setup_game_type_name.clear();
  f_setup_map_text.clear();
  f_setup_map_type_text.clear();
  f_neutral_money_level = 0;
  f_setup_option_1 = true;
  f_setup_option_2 = true;
  f_neutral_empire = true;
  f_starting_money_level = 1;
  f_nation_size_level = 1;
  f_starting_forces_level = 1;
  f_fog_of_war = true;
  f_extra_texts.clear();
  f_autosave_slot = 0;
  f_autosave_pending = false;
  m_Clear_Players();
  f_network_save_name.clear();
}

void TGame_Settings::m_Write(TIo_Writer& w) const {
  Io_Write_Integer(w, f_game_date);
  Io_Write_Integer(w, f_turn_empire);
  Io_Write_String(w, f_game_type_name);
  Io_Write_String(w, f_version);
  Io_Write_String(w, f_description);
  Io_Write_String(w, f_creation_date);
  Io_Write_Byte(w, f_game_kind);
  Io_Write_String(w, f_game_type_folder);
  Io_Write_Vector(w, f_camera_eye);
  Io_Write_Vector(w, f_camera_look_at);
  Io_Write_Vector(w, f_camera_up);
  Io_Write_Word(w, f_flag_width);
  Io_Write_Word(w, f_flag_height);
  std::uint8_t n = f_relations.m_Count();
  Io_Write_Byte(w, n);
  for (int row = 1; row <= n; ++row)
    for (int column = 1; column <= n; ++column) Io_Write_Byte(w, f_relations.m_Get(row, column));
  Io_Write_String(w, f_setup_game_type_name);
  Io_Write_String(w, f_setup_map_text);
  Io_Write_String(w, f_setup_map_type_text);
  Io_Write_Byte(w, f_neutral_money_level);
  Io_Write_Boolean(w, f_setup_option_1);
  Io_Write_Boolean(w, f_setup_option_2);
  Io_Write_Boolean(w, f_neutral_empire);
  Io_Write_Byte(w, f_starting_money_level);
  Io_Write_Byte(w, f_nation_size_level);
  Io_Write_Byte(w, f_starting_forces_level);
  Io_Write_Boolean(w, f_fog_of_war);
  Io_Write_String_List(w, f_extra_texts);
  Io_Write_Byte(w, f_autosave_slot);
  Io_Write_Boolean(w, f_autosave_pending);
  Io_Write_Word(w, f_player_count);
  for (const TGame_Settings_Player_Slot& p : f_players) {
    Io_Write_Word(w, p.f_client_id);
    Io_Write_Word(w, p.f_slot_number);
    Io_Write_String(w, p.f_player_name);
    Io_Write_String(w, p.f_nation_name);
    Io_Write_String(w, p.f_password);
    Io_Write_Word(w, p.f_connected);
    Io_Write_Word(w, p.f_ready);
  }
  Io_Write_String(w, f_network_save_name);
}

void TGame_Settings::m_Read(TIo_Reader& r) {
  m_Reset();
  f_game_date = Io_Read_Integer(r);
  f_turn_empire = Checked_Cast<std::uint8_t>(Io_Read_Integer(r));
  f_game_type_name = Io_Read_String(r);
  f_version = Io_Read_String(r);
  f_description = Io_Read_String(r);
  f_creation_date = Io_Read_String(r);
  f_game_kind = Io_Read_Byte(r);
  f_game_type_folder = Io_Read_String(r);
  Io_Read_Vector(r, f_camera_eye);
  Io_Read_Vector(r, f_camera_look_at);
  Io_Read_Vector(r, f_camera_up);
  f_flag_width = Io_Read_Word(r);
  f_flag_height = Io_Read_Word(r);
  std::uint8_t n = Io_Read_Byte(r);
  f_relations.m_Set_Size(n);
  for (int row = 1; row <= n; ++row)
    for (int column = 1; column <= n; ++column) f_relations.m_Put(row, column, Io_Read_Byte(r));
  f_setup_game_type_name = Io_Read_String(r);
  f_setup_map_text = Io_Read_String(r);
  f_setup_map_type_text = Io_Read_String(r);
  f_neutral_money_level = Io_Read_Byte(r);
  f_setup_option_1 = Io_Read_Boolean(r);
  f_setup_option_2 = Io_Read_Boolean(r);
  f_neutral_empire = Io_Read_Boolean(r);
  f_starting_money_level = Io_Read_Byte(r);
  f_nation_size_level = Io_Read_Byte(r);
  f_starting_forces_level = Io_Read_Byte(r);
  f_fog_of_war = Io_Read_Boolean(r);
  Io_Read_String_List(r, f_extra_texts);
  f_autosave_slot = Io_Read_Byte(r);
  f_autosave_pending = Io_Read_Boolean(r);
  f_player_count = Io_Read_Word(r);
  for (TGame_Settings_Player_Slot& p : f_players) {
    p.f_client_id = Io_Read_Word(r);
    p.f_slot_number = Io_Read_Word(r);
    p.f_player_name = Io_Read_String(r);
    p.f_nation_name = Io_Read_String(r);
    p.f_password = Io_Read_String(r);
    p.f_connected = Io_Read_Word(r);
    p.f_ready = Io_Read_Word(r);
  }
  f_network_save_name = Io_Read_String(r);
}

bool TGame_Settings::m_Save_To_File(const std::string& file_name) const {
  return Io_Save_To_File(file_name, [this](TIo_Writer& w) { m_Write(w); });
}

bool TGame_Settings::m_Load_From_File(const std::string& file_name) {
  if (!Io_Load_From_File(file_name, [this](TIo_Reader& r) { m_Read(r); })) return false;
  // The host's per-turn save is written to savegames\ + this name: a file
  // naming a folder elsewhere is refused before anything uses the name.
  const std::string problem = m_Network_Save_Name_Problem();
  if (problem.empty()) return true;
  Shell_Services().m_Show_Message("Error", "Load file error: " + file_name + ". " + problem, 0);
  m_Reset();
  return false;
}

std::string TGame_Settings::m_Network_Save_Name_Problem() const {
  constexpr std::uint8_t hosted = 3;
  if (f_network_save_name.empty() && f_game_kind != hosted) return "";
  const std::string why = Path_Name_Problem(f_network_save_name, "save");
  if (why.empty()) return "";
  return "The save name of its network game, \"" + f_network_save_name + "\", cannot be used: " + why;
}

void TGame_Settings::m_Set_Flag_Size(std::int32_t width, std::int32_t height) {
  std::uint16_t w = Checked_Cast<std::uint16_t>(width);
  std::uint16_t h = Checked_Cast<std::uint16_t>(height);
  f_flag_width = w;
  f_flag_height = h;
}

void TGame_Settings::m_Set_Names(const std::string& game_type_name, const std::string& game_type_folder,
                                 const std::string& creation_date, const std::string& version) {
  f_game_type_name = game_type_name;
  f_game_type_folder = game_type_folder;
  f_creation_date = creation_date;
  f_version = version;
}

void TGame_Settings::m_Set_Player_Matrix_Size(std::uint8_t count) { f_relations.m_Set_Size(count); }

TGame_Settings_Player_Slot& TGame_Settings::m_Player(std::int32_t slot) {
  if (slot < 1 || slot > Game_Settings_Player_Slots) throw ERangeError();
  return f_players[std::size_t(slot - 1)];
}

const TGame_Settings_Player_Slot& TGame_Settings::m_Player(std::int32_t slot) const {
  if (slot < 1 || slot > Game_Settings_Player_Slots) throw ERangeError();
  return f_players[std::size_t(slot - 1)];
}

void TGame_Settings::m_Clear_Player(std::int32_t slot) { m_Player(slot) = TGame_Settings_Player_Slot{}; }

void TGame_Settings::m_Clear_Players() {
  f_player_count = 0;
  for (TGame_Settings_Player_Slot& p : f_players) p = TGame_Settings_Player_Slot{};
}

std::int32_t TGame_Settings::m_Find_Player(std::uint16_t client_id) const {
  std::int32_t last = f_player_count < Game_Settings_Player_Slots ? f_player_count : Game_Settings_Player_Slots;
  for (std::int32_t slot = last; slot >= 1; --slot)
    if (f_players[std::size_t(slot - 1)].f_client_id == client_id) return slot;
  return 0;
}

std::int32_t TGame_Settings::m_Remove_Player(std::uint16_t client_id) {
  std::int32_t slot = m_Find_Player(client_id);
  if (slot > 0) m_Clear_Player(slot);
  return slot;
}

namespace {
const std::string Technology_Level_Key = "Technology Level=";
}  // namespace

std::uint8_t TGame_Settings::m_Technology_Level() const {
  for (const std::string& text : f_extra_texts)
    if (text.size() == Technology_Level_Key.size() + 1 && text.rfind(Technology_Level_Key, 0) == 0) {
      const char digit = text.back();
      if (digit >= '1' && digit <= '3') return std::uint8_t(digit - '0');
    }
  return 1;
}

void TGame_Settings::m_Set_Technology_Level(std::uint8_t level) {
  if (level < 1 || level > 3) throw ERangeError();
  std::erase_if(f_extra_texts, [](const std::string& text) { return text.rfind(Technology_Level_Key, 0) == 0; });
  f_extra_texts.push_back(Technology_Level_Key + char('0' + level));
}
