// The transport panel ("DC Main Transport Units"): on the left the
// transports of the main screen's selection, each followed by the units it
// carries; on the right the player's units that may go aboard (load mode) or
// the units at the landing region (land mode). A click on an icon gives the
// order through the main screen's order code, which refreshes the panel; the
// panel itself never changes the world.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_Button.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_List.h"

class TDC_Main;
class TEmpire;

struct Transport_Panel_Entry {
  std::int32_t unit_id = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t moves = 0;
  std::int32_t parent = 0;  // 0 for a transport of the selection
  std::int32_t capacity = 0, load = 0;
  std::uint8_t owner = 0;
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  std::int32_t row = 0;
  std::int32_t region = 0;
};

struct Cargo_Panel_Entry {
  std::int32_t unit_id = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t moves = 0;
  std::int32_t capacity = 0, load = 0;
  std::uint8_t owner = 0;
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  std::int32_t row = 0;
  std::int32_t source_region = 0;
};

// What the panel does: load cargo onto the selected carriers, or land the
// cargo of carriers at sea on the landing region.
enum class TTransport_Mode : std::uint8_t { Load = 1, Land = 2 };

class TDC_Main_Transport_Units : public TDisplay_Class {
public:
  explicit TDC_Main_Transport_Units(TDC_Main& screen);
  ~TDC_Main_Transport_Units() override;

  std::int32_t m_Get_Width() override { return f_width; }
  std::int32_t m_Get_Height() override { return f_height; }
  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_Draw_After_Children(double elapsed) override;
  void m_On_Reposition() override;

  void m_Set_Mode(TTransport_Mode mode);
  TTransport_Mode m_Mode() const { return f_mode; }
  void m_Refresh();

  // Accessors by entry index (0 or empty outside 1..count).
  std::int32_t m_Get_Transport_Parent(std::int32_t i) const;
  std::int32_t m_Get_Transport_Unit(std::int32_t i) const;
  std::int32_t m_Get_Transport_Region(std::int32_t i) const;
  std::int32_t m_Get_Cargo_Region(std::int32_t i) const;
  std::int32_t m_Get_Cargo_Unit(std::int32_t i) const;
  std::int32_t m_Selected_Transport() const { return f_selected; }
  const std::vector<Transport_Panel_Entry>& m_Transports() const { return f_transports; }
  const std::vector<Cargo_Panel_Entry>& m_Cargo() const { return f_cargo; }
  TDC_List& m_Transport_List() { return *f_transport_list; }
  TDC_List& m_Cargo_List() { return *f_cargo_list; }

  // The entry whose icon holds x (relative to the list's left edge) in the
  // list row; 0 when none. Icons are half-open: [x, x + width).
  std::int32_t m_Transport_At(std::int32_t row, std::int32_t x) const;
  std::int32_t m_Cargo_At(std::int32_t row, std::int32_t x) const;
  // A click on a row of the left or right list, x relative to its left edge.
  void m_Click_Transports(std::int32_t row, std::int32_t x);
  void m_Click_Cargo(std::int32_t row, std::int32_t x);

  static constexpr std::int32_t f_split_x = 256;

private:
  void m_Draw_Row(bool left, std::int32_t row, std::int32_t x, std::int32_t top);

  TDC_Main& f_screen;
  std::unique_ptr<TDC_Button> f_close;
  std::unique_ptr<TDC_List> f_transport_list, f_cargo_list;
  TEmpire* f_empire = nullptr;
  TTransport_Mode f_mode = TTransport_Mode::Load;
  std::vector<Transport_Panel_Entry> f_transports;
  std::vector<Cargo_Panel_Entry> f_cargo;
  std::int32_t f_selected = 0;
};
