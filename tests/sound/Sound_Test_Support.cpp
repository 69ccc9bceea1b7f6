#include "Sound_Test_Support.h"

#include <filesystem>

#include "Global.h"

namespace {
std::string U16(std::uint32_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
}  // namespace

std::string Wav_Bytes(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                      const std::string& data, const std::string& extra) {
  std::uint16_t align = std::uint16_t(channels * bits / 8);
  std::string fmt = U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
  if (tag != 1) fmt += U16(std::uint16_t(extra.size())) + extra;
  std::string body = "WAVE" + std::string("fmt ") + U32(std::uint32_t(fmt.size())) + fmt + "data" +
                     U32(std::uint32_t(data.size())) + data;
  return "RIFF" + U32(std::uint32_t(body.size())) + body;
}

TSound_Fixture::TSound_Fixture() {
  f_saved_program = Program_Folder;
  f_saved_paths = Path_Settings;
  Program_Folder = dir.design();
  Path_Settings = &f_paths;
  std::filesystem::create_directories(dir.path() / "sounds");
  std::filesystem::create_directories(dir.path() / "music");
  auto s = state;
  Set_Sound_Device_Factory([s](const std::string&, std::unique_ptr<TSound_Device>& device) {
    device = std::make_unique<TSound_Device_Memory>(s);
    return SD_OK;
  });
}

TSound_Fixture::~TSound_Fixture() {
  Set_Sound_Device_Factory(nullptr);
  Program_Folder = f_saved_program;
  Path_Settings = f_saved_paths;
}

void TSound_Fixture::Write_Sound(const std::string& name, const std::string& bytes) {
  Write_File(dir.path() / "sounds" / name, bytes);
}
