#include "Sound_Device.h"

#include <algorithm>
#include <cstring>

namespace {
struct TError_Text {
  TSound_Result code;
  const char* name;
  const char* description;
};

const TError_Text Error_Texts[] = {
    {SD_OK, "SD_OK", "The call succeeded."},
    {SDERR_GENERIC, "SDERR_GENERIC", "An undetermined error occurred inside the sound subsystem."},
    {SDERR_INVALIDPARAM, "SDERR_INVALIDPARAM", "An invalid parameter was passed to the returning function."},
    {SDERR_OUTOFMEMORY, "SDERR_OUTOFMEMORY", "Not enough free memory is available to complete the operation."},
    {SDERR_BADFORMAT, "SDERR_BADFORMAT", "The specified wave format is not supported."},
    {SDERR_NODRIVER, "SDERR_NODRIVER", "No sound driver is available for use."},
    {SDERR_BUFFERLOST, "SDERR_BUFFERLOST", "The buffer memory has been lost and must be restored."},
    {SDERR_INVALIDCALL, "SDERR_INVALIDCALL", "This function is not valid for the current state of this object."},
};

const TError_Text* Find_Error(TSound_Result code) {
  for (const TError_Text& e : Error_Texts)
    if (e.code == code) return &e;
  return nullptr;
}

TSound_Device_Factory& Factory() {
  static TSound_Device_Factory factory;
  return factory;
}
}  // namespace

std::string Sound_Error_Name(TSound_Result code) {
  const TError_Text* e = Find_Error(code);
  return e ? e->name : "Unknown";
}

std::string Sound_Error_Description(TSound_Result code) {
  const TError_Text* e = Find_Error(code);
  return e ? e->description : "Unknown error";
}

void Set_Sound_Device_Factory(TSound_Device_Factory factory) { Factory() = std::move(factory); }

TSound_Result Sound_Device_Create(const std::string& identifier, std::unique_ptr<TSound_Device>& device) {
  device.reset();
  if (Factory()) return Factory()(identifier, device);
  return Sound_Device_Create_OpenAL(identifier, device);
}

// ------------------------------------------------------------ memory device

TSound_Buffer_Memory::TSound_Buffer_Memory(std::shared_ptr<TSound_Memory_State> state, const TSound_Buffer_Desc& desc)
    : f_state(std::move(state)) {
  f_size = desc.size;
  f_flags = desc.flags;
  f_format = desc.format;
  bytes.assign(desc.size, 0);
  f_state->buffers.push_back(this);
  ++f_state->created;
}

TSound_Buffer_Memory::~TSound_Buffer_Memory() {
  auto& list = f_state->buffers;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

TSound_Result TSound_Buffer_Memory::Write(std::uint32_t offset, const std::uint8_t* data, std::uint32_t count,
                                          std::uint32_t& written) {
  written = 0;
  if (lost_result != SD_OK) return lost_result;
  if (offset > f_size) return SDERR_INVALIDPARAM;
  written = std::min(count, f_size - offset);
  if (written > 0) std::memcpy(bytes.data() + offset, data, written);
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Play(bool loop) {
  if (lost_result != SD_OK) return lost_result;
  playing = true;
  looping = loop;
  ++plays;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Stop() {
  playing = false;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Get_Current_Position(std::uint32_t& play_cursor) {
  play_cursor = cursor;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Current_Position(std::uint32_t play_cursor) {
  if (play_cursor > f_size) return SDERR_INVALIDPARAM;
  cursor = play_cursor;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Volume(std::int32_t v) {
  if (v < -10000 || v > 0) return SDERR_INVALIDPARAM;
  volume = v;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Pan(std::int32_t p) {
  if (p < -10000 || p > 10000) return SDERR_INVALIDPARAM;
  pan = p;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Format(const TWave_Format& format) {
  if (!(f_flags & SDBCAPS_PRIMARYBUFFER)) return SDERR_INVALIDCALL;
  f_format = format;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Get_Format(TWave_Format& format) {
  format = f_format;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Get_Mode(std::int32_t& m) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  m = mode;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Mode(std::int32_t m) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  mode = m;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Position(const TSound_Vector& p) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  position = p;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Velocity(const TSound_Vector& v) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  velocity = v;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Min_Distance(double d) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  min_distance = d;
  return SD_OK;
}

TSound_Result TSound_Buffer_Memory::Set_Max_Distance(double d) {
  if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
  max_distance = d;
  return SD_OK;
}

TSound_Result TSound_Device_Memory::Get_Caps(TSound_Caps& caps) {
  caps = f_state->caps;
  return SD_OK;
}

TSound_Result TSound_Device_Memory::Create_Buffer(const TSound_Buffer_Desc& desc,
                                                  std::unique_ptr<TSound_Buffer>& buffer) {
  buffer.reset();
  if (f_state->fail_create_buffer) return SDERR_GENERIC;
  if (f_state->reject_mute_at_max_distance && (desc.flags & SDBCAPS_MUTE3DATMAXDISTANCE)) return SDERR_INVALIDPARAM;
  if (f_state->buffers.size() >= f_state->max_buffers) return SDERR_OUTOFMEMORY;
  if (!(desc.flags & SDBCAPS_PRIMARYBUFFER) && desc.size == 0) return SDERR_INVALIDPARAM;
  buffer = std::make_unique<TSound_Buffer_Memory>(f_state, desc);
  return SD_OK;
}

namespace {
class TSound_Listener_Memory : public TSound_Listener {
public:
  explicit TSound_Listener_Memory(std::shared_ptr<TSound_Memory_State> state) : f_state(std::move(state)) {}
  TSound_Result Set_All_Parameters(const TListener_Params& params) override {
    f_state->listener = params;
    return SD_OK;
  }
  TSound_Result Commit_Deferred_Settings() override {
    ++f_state->commits;
    return SD_OK;
  }

private:
  std::shared_ptr<TSound_Memory_State> f_state;
};
}  // namespace

TSound_Result TSound_Device_Memory::Create_Listener(std::unique_ptr<TSound_Listener>& listener) {
  listener = std::make_unique<TSound_Listener_Memory>(f_state);
  return SD_OK;
}
