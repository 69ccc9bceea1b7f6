// The program's entry point.
#include <cstdio>
#include <exception>
#include <string>

#include "Debug_Log.h"
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
    // The log keeps the cause, and the lines still buffered are written out.
    Debug_Log_Write(std::string("globarch: ") + e.what());
    Game_Init_Free_Globals();
    return 1;
  }
}
