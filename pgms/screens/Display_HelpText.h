// The help pop-up: a small box with a title and a wrapped description that
// appears near the control or help area the mouse rests on, after a short
// delay.
//
// The drawing traversal reports the thing under the mouse every frame
// (Help_Text_Set_Hover, through the main screen's hover-help handler); the
// frame move advances the delay (Help_Text_Update_Timer); the frame render
// draws the box after the control tree (Help_Text_Draw). A frame without a
// report clears the item, so the box vanishes as soon as the mouse leaves.
// Texts come from the help-text data file. Main thread only.
#pragma once

#include <cstdint>
#include <string>

struct THelp_Text_Item {
  std::int32_t kind = 0;  // only kind 1 is shown; 0 = no item
  std::int32_t dialog = 0;
  std::int32_t entry = 0;
  std::string text;
  std::int32_t extra = 0;
  bool shown = false;  // the delay has passed
  std::int32_t area_left = 0, area_top = 0, area_right = 0, area_bottom = 0;
  std::int32_t box_width = 0, box_height = 0;
  float elapsed = 0.0f;
};

// The report of the thing under the mouse (the arguments of the hover-help
// handler).
void Help_Text_Set_Hover(const std::string& name, const std::string& parent_name, std::int32_t ref1, std::int32_t ref2,
                         std::int32_t ref3, const std::string& text, std::int32_t ref4, std::int32_t x, std::int32_t y,
                         std::int32_t width, std::int32_t height);
void Help_Text_Update_Timer(float elapsed);
void Help_Text_Draw();

// The current item, and the place of a box of w x h for an area on a
// screen of screen_w x screen_h: above the area, else below it, kept on the
// screen and moved aside when it would cover the area's corner.
const THelp_Text_Item& Help_Text_Current();
void Help_Text_Place_Box(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, std::int32_t w,
                         std::int32_t h, std::int32_t screen_w, std::int32_t screen_h, std::int32_t& x,
                         std::int32_t& y);
// Forgets the current and previous items (a new game, tests).
void Help_Text_Reset();
