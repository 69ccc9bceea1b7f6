// The program's entry point.
#include <cstdio>
#include <exception>
#include <string>

#include "Debug_Log.h"
#include "GameInit.h"
#include "Game_Run.h"

int main(int argc, char** argv) {
  try {
    return Game_Init_Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "globarch: %s\n", e.what());
    // The log keeps the cause, and the lines still buffered are written out.
    Debug_Log_Write(std::string("globarch: ") + e.what());
    Game_Init_Free_Globals();
    return 1;
  }
}
