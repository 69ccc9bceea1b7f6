// The program's entry point.
#include <cstdio>
#include <exception>

#include "Debug_Log.h"
#include "Game_Window.h"
#include "Global.h"

int main(int, char**) {
  try {
    Global_Init();
    Debug_Log_Write("Globarch - Start");
    std::printf("Globarch 1.09: globals initialised, program folder %s\n", Program_Folder.c_str());
    std::fflush(stdout);
    return Game_Window_Run(Game_Window_Options_From_Environment());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "globarch: %s\n", e.what());
    return 1;
  }
}
