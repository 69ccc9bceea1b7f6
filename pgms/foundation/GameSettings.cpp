#include "GameSettings.h"

#include "Errors.h"
#include "Io_Fields.h"
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

namespace {
// The relations between the empires: the count, then the matrix row by
// row.
template <class F, class Matrix>
void Relations_Fields(F& f, Matrix& m) {
  std::uint8_t n = m.m_Count();
  f.Byte(n);
  if constexpr (F::reading) m.m_Set_Size(n);
  for (int row = 1; row <= n; ++row)
    for (int column = 1; column <= n; ++column) {
      std::uint8_t v = F::reading ? 0 : m.m_Get(row, column);
      f.Byte(v);
      if constexpr (F::reading) m.m_Put(row, column, v);
    }
}

// GameSettings.dat.
template <class F, class Settings>
void Settings_Fields(F& f, Settings& s) {
  f.Integer(s.f_game_date, s.f_turn_empire);
  f.String(s.f_game_type_name, s.f_version, s.f_description, s.f_creation_date);
  f.Byte(s.f_game_kind);
  f.String(s.f_game_type_folder);
  f.Vector(s.f_camera_eye, s.f_camera_look_at, s.f_camera_up);
  f.Word(s.f_flag_width, s.f_flag_height);
  Relations_Fields(f, s.f_relations);
  f.String(s.f_setup_game_type_name, s.f_setup_map_text, s.f_setup_map_type_text);
  f.Byte(s.f_neutral_money_level);
  f.Boolean(s.f_setup_option_1, s.f_setup_option_2, s.f_neutral_empire);
  f.Byte(s.f_starting_money_level, s.f_nation_size_level, s.f_starting_forces_level);
  f.Boolean(s.f_fog_of_war);
  f.String_List(s.f_extra_texts);
  f.Byte(s.f_autosave_slot);
  f.Boolean(s.f_autosave_pending);
  // Every slot is in the file, used or not.
  f.Word(s.f_player_count);
  for (auto& p : s.f_players) {
    f.Word(p.f_client_id, p.f_slot_number);
    f.String(p.f_player_name, p.f_nation_name, p.f_password);
    f.Word(p.f_connected, p.f_ready);
  }
  f.String(s.f_network_save_name);
}
}  // namespace

void TGame_Settings::m_Write(TIo_Writer& w) const {
  TIo_Field_Writer f(w);
  Settings_Fields(f, *this);
}

void TGame_Settings::m_Read(TIo_Reader& r) {
  m_Reset();
  TIo_Field_Reader f(r);
  Settings_Fields(f, *this);
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

TGame_Kind Game_Kind() {
  switch (Game_Settings.f_game_kind) {
    case 2: return TGame_Kind::Hot_Seat;
    case 3: return TGame_Kind::Host;
    case 4: return TGame_Kind::Joined;
    default: return TGame_Kind::Single_Player;
  }
}

bool Game_Kind_Is_Network() {
  const TGame_Kind kind = Game_Kind();
  return kind == TGame_Kind::Host || kind == TGame_Kind::Joined;
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
