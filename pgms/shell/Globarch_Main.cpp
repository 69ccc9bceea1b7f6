// The program's entry point.
#include <cstdio>
#include <exception>

#include "Debug_Log.h"
#include "Global.h"

int main(int, char**) {
  try {
    Global_Init();
    Debug_Log_Write("Globarch - Start");
    std::printf("Globarch 1.09: globals initialised, program folder %s\n", Program_Folder.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "globarch: %s\n", e.what());
    return 1;
  }
}
