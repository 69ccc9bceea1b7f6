// Fuzzes the text data files: the parser and the loaders of unit types
// (with their requirement formulas), technology areas, map types, terrain
// tiles, base game settings, help texts and main fonts read the same bytes.
#include <memory>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_Formula_List.h"
#include "Datafile_HelpText.h"
#include "Datafile_MainFonts.h"
#include "Datafile_MapTypes.h"
#include "Datafile_Tech.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Fuzz_Support.h"

namespace {
template <class TList, class TLoader>
void Load_With(const std::string& file) {
  auto list = std::make_unique<TList>();
  TLoader loader(file, *list);
  loader.m_Load();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fuzz_Setup_Once();
  const std::string file = Fuzz_Write_Scratch_File("Data.txt", data, size);
  Formula_List_Create();
  Load_With<TUnit_Type_List, TUnit_Type_Data_File_Loader>(file);
  Load_With<TTech_Area_List, TTech_Area_Data_File_Loader>(file);
  Load_With<TMap_Type_List, TMap_Type_Data_File_Loader>(file);
  Load_With<TTerrain_Tile_List, TTerrain_Tile_Data_File_Loader>(file);
  Load_With<TBase_Game_Settings, TBase_Game_Settings_Data_File_Loader>(file);
  Load_With<TDatafile_Help_Text, TDatafile_Help_Text_Data_File_Loader>(file);
  Load_With<TDatafile_Main_Fonts, TDatafile_Main_Fonts_Data_File_Loader>(file);
  Formula_List_Free();
  return 0;
}
