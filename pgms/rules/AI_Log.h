// Debug-log lines of the computer player: written only while the game log
// and its computer-player section are on. Scores and strengths are printed
// in one fixed form, the shortest text that reads back to the same single,
// so that the logs of two runs of one seed compare line by line.
#pragma once

#include <string>

bool AI_Log_On();
void AI_Log(const std::string& text);
// The shortest decimal text that reads back exactly ("0.1", "20000", "-3.5").
std::string AI_Float_Text(float value);
