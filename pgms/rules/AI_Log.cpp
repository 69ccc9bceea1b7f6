#include "AI_Log.h"

#include <charconv>

#include "Debug_Log.h"

bool AI_Log_On() { return Debug_Enabled && Debug_Sections[DEBUG_AI]; }

void AI_Log(const std::string& text) {
  if (AI_Log_On()) Debug_Log_Write(text);
}

std::string AI_Float_Text(float value) {
  char buffer[64];
  // Without a format the shortest round-trip form is chosen; it never
  // depends on the locale.
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}
