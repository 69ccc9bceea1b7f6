// The stock list dialog: a title, a wrapped subtitle and a scrolling list of
// wrapped text lines with a Close button. Opened as the modal child "Dlg
// List" of a base dialog; Escape or Close marks it killed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"

class TDC_Dlg_List : public TDisplay_Class {
public:
  TDC_Dlg_List();
  ~TDC_Dlg_List() override;

  std::int32_t m_Get_Width() override { return 400; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  // Stores title and subtitle and adds each row as a list row as high as its
  // wrapped text.
  void m_Setup(const std::string& title, const std::string& subtitle, const std::vector<std::string>& rows);

  TDC_List& m_List() { return f_list; }
  TDC_Text_Button& m_Close_Button() { return f_close_button; }
  std::int32_t m_Background() const { return f_background; }

protected:
  void m_On_Button(const std::string& name);

  std::int32_t f_background = 0;
  TDC_Text_Button f_close_button;
  TDC_List f_list;
  std::string f_title;
  std::string f_subtitle;
};

// Loads an interface picture into the texture list (group 2); 0 without a
// list or a file.
std::int32_t Gui_Load_Background(const std::string& file_name);
void Gui_Release_Background(std::int32_t& handle);
void Gui_Draw_Background(std::int32_t handle, std::int32_t x, std::int32_t y, std::int32_t width,
                         std::int32_t height);
// A dialog title in main font 4: black at (x + 9, y + 5), then white at
// (x + 8, y + 4); the font stays current in white.
void Gui_Draw_Dialog_Title(std::int32_t x, std::int32_t y, const std::string& title);
