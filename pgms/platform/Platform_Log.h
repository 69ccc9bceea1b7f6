// A line the platform bindings want in the game's debug log.
//
// The log file itself (its place, line forms and switches) belongs to the
// layer above; it installs its writer here when it is linked. Until then a
// note is dropped, as a log line that cannot be written is.
#pragma once

#include <string>

using TPlatform_Log_Writer = void (*)(const std::string& text);

// Installs the writer (nullptr drops notes again).
void Set_Platform_Log_Writer(TPlatform_Log_Writer writer);

// Hands one line to the installed writer, if any.
void Platform_Log(const std::string& text);
