// Wave files and a memory sound device for the sound tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Path.h"
#include "Sound_Device.h"
#include "Test_Support.h"

std::string Wav_Bytes(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                      const std::string& data, const std::string& extra = "");

// Every sound device opened while it lives is a memory device on its state;
// the program folder is a temporary folder with sounds\ and music\.
class TSound_Fixture {
public:
  TSound_Fixture();
  ~TSound_Fixture();
  std::shared_ptr<TSound_Memory_State> state = std::make_shared<TSound_Memory_State>();
  TTemp_Dir dir;
  void Write_Sound(const std::string& name, const std::string& bytes);

private:
  std::string f_saved_program;
  TPath_Settings* f_saved_paths;
  TPath_Settings f_paths;
};
