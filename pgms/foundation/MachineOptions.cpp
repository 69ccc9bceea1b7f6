#include "MachineOptions.h"

TMachine_Options* Machine_Options = nullptr;

TMachine_Options::TMachine_Options() = default;

void TMachine_Options::m_Reset_Documents_Dir() {
  f_my_documents_tested = 0;
  f_use_my_documents_dir.clear();
}
