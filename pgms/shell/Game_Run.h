// The program with its window: the start-up of the game's globals, the
// launcher until "Play" or "Quit" (skipped with GLOBARCH_SKIP_LAUNCHER=1),
// the main window, and the freeing of the globals.
#pragma once

// Returns the exit code.
int Game_Init_Run(int argc, char** argv);
