#include "Platform_Log.h"

namespace {
// A plain pointer, constant-initialised, so that a writer installed during
// the static start-up of another module is never overwritten.
TPlatform_Log_Writer Installed_Writer = nullptr;
}  // namespace

void Set_Platform_Log_Writer(TPlatform_Log_Writer writer) { Installed_Writer = writer; }

void Platform_Log(const std::string& text) {
  if (Installed_Writer) Installed_Writer(text);
}
