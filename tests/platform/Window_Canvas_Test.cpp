#include <gtest/gtest.h>

#include <filesystem>

#include "Debug_Log.h"
#include "Global.h"
#include "Image_Files.h"
#include "Test_Support.h"
#include "Window_Canvas.h"

namespace {

std::int64_t Lit_Pixels(const TImage& image) {
  std::int64_t n = 0;
  for (std::uint32_t p : image.pixels) n += (p & 0xFFFFFFu) != 0;
  return n;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A face this machine lacks draws in the default face, as the default face
// itself draws; the first miss of each face is logged once.
TEST(Window_Canvas, AMissingFaceDrawsInTheDefaultFaceAndIsLoggedOnce) {
  TTemp_Dir dir;
  const std::string saved_user = User_Folder;
  User_Folder = dir.design();
  std::filesystem::create_directories(dir.path() / "Backup");
  Debug_Enabled = true;
  std::int64_t lit[2] = {};
  std::int32_t widths[2] = {};
  const char* faces[2] = {Canvas_Default_Face, "Globarch Missing Face"};
  for (int round = 0; round < 2; ++round)
    for (int f = 0; f < 2; ++f) {
      TImage picture;
      picture.Set_Size(200, 40, 0xFF000000u);
      TWindow_Canvas canvas(&picture);
      canvas.Font.Name = faces[f];
      canvas.Font.Size = 10;
      canvas.Font.Color = 0xFFFFFF;
      canvas.Brush_Clear = true;
      widths[f] = canvas.Text_Width("Northmarch");
      canvas.Text_Out(2, 2, "Northmarch");
      lit[f] = Lit_Pixels(picture);
    }
  Debug_Enabled = false;
  User_Folder = saved_user;
  EXPECT_GT(lit[0], 50);
  EXPECT_EQ(lit[1], lit[0]);
  EXPECT_EQ(widths[1], widths[0]);
  const std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  EXPECT_EQ(Count(log, "Font face \"Globarch Missing Face\" not found; drawing in \"DejaVu Sans\""), 1u) << log;
  EXPECT_EQ(Count(log, "not found"), 1u) << log;
}

}  // namespace
