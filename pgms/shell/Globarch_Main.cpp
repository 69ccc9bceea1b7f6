// The program's entry point.
#include <cstdio>
#include <exception>

#include "GameInit.h"
#include "Game_Window.h"

int main(int, char**) {
  try {
    std::string report = Game_Init_Start();
    std::printf("%s\n", report.c_str());
    std::fflush(stdout);
    int code = Game_Window_Run(Game_Window_Options_From_Environment());
    Game_Init_Free_Globals();
    return code;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "globarch: %s\n", e.what());
    return 1;
  }
}
