// Fuzzes the saved game's files other than the map: empires, event log,
// message log, action queue and game settings, each read through its own
// file loader as a loaded game reads them. The first byte picks the file.
#include "Empire.h"
#include "EventLog.h"
#include "Fuzz_Support.h"
#include "GameSettings.h"
#include "MasterActionTimer.h"
#include "MessageLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fuzz_Setup_Once();
  if (size < 1) return 0;
  const std::string file = Fuzz_Write_Scratch_File("Save.dat", data + 1, size - 1);
  switch (data[0] % 5) {
    case 0: {
      TEmpire_List empires;
      empires.m_Load_From_File(file);
      break;
    }
    case 1: {
      TEvent_Log log;
      log.m_Load_From_File(file);
      break;
    }
    case 2: {
      TMessage_Log log;
      log.m_Load_From_File(file);
      break;
    }
    case 3: {
      TMaster_Action_Timer timer;
      timer.m_Load_From_File(file);
      break;
    }
    default: {
      // Settings that load never name the host's save folder outside the
      // save-games folder.
      TGame_Settings settings;
      if (settings.m_Load_From_File(file) && !settings.m_Network_Save_Name_Problem().empty()) __builtin_trap();
      break;
    }
  }
  return 0;
}
