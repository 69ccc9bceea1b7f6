// The sound output layer of the game: a device with static and streaming
// sound buffers, positional (3D) buffers and one listener.
//
// The sound code calls only these classes. TSound_Device_Create opens the
// OpenAL device (Sound_Device_OpenAL.cpp); TSound_Device_Memory keeps every
// buffer in memory and plays nothing, with a play cursor that its user moves,
// so that tests can follow what the sound code does.
//
// Volumes are hundredths of a decibel (0 full, -10000 silent); pan runs from
// -10000 (left) to 10000 (right). Buffer positions are byte offsets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using TSound_Result = std::int32_t;

constexpr TSound_Result SD_OK = 0;
constexpr TSound_Result SDERR_GENERIC = TSound_Result(0x80004005u);
constexpr TSound_Result SDERR_INVALIDPARAM = TSound_Result(0x80070057u);
constexpr TSound_Result SDERR_OUTOFMEMORY = TSound_Result(0x8007000Eu);
constexpr TSound_Result SDERR_BADFORMAT = TSound_Result(0x88780064u);
constexpr TSound_Result SDERR_NODRIVER = TSound_Result(0x88780078u);
constexpr TSound_Result SDERR_BUFFERLOST = TSound_Result(0x88780096u);
constexpr TSound_Result SDERR_INVALIDCALL = TSound_Result(0x88780032u);

// The name and the description of a result code ("SD_OK", "Unknown error").
std::string Sound_Error_Name(TSound_Result code);
std::string Sound_Error_Description(TSound_Result code);

// Buffer flags.
enum : std::uint32_t {
  SDBCAPS_PRIMARYBUFFER = 0x1,
  SDBCAPS_STATIC = 0x2,
  SDBCAPS_CTRL3D = 0x10,
  SDBCAPS_CTRLFREQUENCY = 0x20,
  SDBCAPS_CTRLPAN = 0x40,
  SDBCAPS_CTRLVOLUME = 0x80,
  SDBCAPS_GLOBALFOCUS = 0x8000,
  SDBCAPS_GETCURRENTPOSITION2 = 0x10000,
  SDBCAPS_MUTE3DATMAXDISTANCE = 0x20000,
};

// 3D modes of a buffer.
enum : std::int32_t { SD3DMODE_NORMAL = 0, SD3DMODE_HEADRELATIVE = 1, SD3DMODE_DISABLE = 2 };

// The wave format of a buffer: 18 bytes of header and the extra bytes.
struct TWave_Format {
  std::uint16_t wFormatTag = 1;
  std::uint16_t nChannels = 0;
  std::uint32_t nSamplesPerSec = 0;
  std::uint32_t nAvgBytesPerSec = 0;
  std::uint16_t nBlockAlign = 0;
  std::uint16_t wBitsPerSample = 0;
  std::uint16_t cbSize = 0;
  std::vector<std::uint8_t> extra;  // cbSize bytes
};

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

struct TSound_Vector {
  double x = 0, y = 0, z = 0;
};

struct TSound_Caps {
  std::uint32_t max_hw_static_buffers = 0;
  std::uint32_t free_hw_static_buffers = 0;
  std::uint32_t max_hw_3d_static_buffers = 0;
  std::uint32_t free_hw_3d_static_buffers = 0;
};

struct TSound_Buffer_Desc {
  std::uint32_t flags = 0;
  std::uint32_t size = 0;  // bytes; 0 for the primary buffer
  TWave_Format format;
};

class TSound_Buffer {
public:
  virtual ~TSound_Buffer() = default;
  std::uint32_t Size() const { return f_size; }
  std::uint32_t Flags() const { return f_flags; }
  const TWave_Format& Format() const { return f_format; }

  // Copies up to count bytes into the buffer at the offset (what fits up to
  // its end); written is the number copied.
  virtual TSound_Result Write(std::uint32_t offset, const std::uint8_t* data, std::uint32_t count,
                              std::uint32_t& written) = 0;
  virtual TSound_Result Play(bool looping) = 0;
  virtual TSound_Result Stop() = 0;
  virtual bool Is_Playing() = 0;
  virtual TSound_Result Get_Current_Position(std::uint32_t& play_cursor) = 0;
  virtual TSound_Result Set_Current_Position(std::uint32_t play_cursor) = 0;
  virtual TSound_Result Set_Volume(std::int32_t volume) = 0;
  virtual TSound_Result Set_Pan(std::int32_t pan) = 0;
  // The primary buffer's output format.
  virtual TSound_Result Set_Format(const TWave_Format& format) = 0;
  virtual TSound_Result Get_Format(TWave_Format& format) = 0;
  // Positional parameters (buffers made with SDBCAPS_CTRL3D).
  virtual TSound_Result Get_Mode(std::int32_t& mode) = 0;
  virtual TSound_Result Set_Mode(std::int32_t mode) = 0;
  virtual TSound_Result Set_Position(const TSound_Vector& position) = 0;
  virtual TSound_Result Set_Velocity(const TSound_Vector& velocity) = 0;
  virtual TSound_Result Set_Min_Distance(double distance) = 0;
  virtual TSound_Result Set_Max_Distance(double distance) = 0;

protected:
  std::uint32_t f_size = 0;
  std::uint32_t f_flags = 0;
  TWave_Format f_format;
};

struct TListener_Params {
  TSound_Vector position, velocity, front, top;
  double distance_factor = 1.0, rolloff_factor = 1.0, doppler_factor = 1.0;
};

class TSound_Listener {
public:
  virtual ~TSound_Listener() = default;
  virtual TSound_Result Set_All_Parameters(const TListener_Params& params) = 0;
  // Applies the listener's and the buffers' positional settings.
  virtual TSound_Result Commit_Deferred_Settings() = 0;
};

class TSound_Device {
public:
  virtual ~TSound_Device() = default;
  virtual TSound_Result Get_Caps(TSound_Caps& caps) = 0;
  virtual TSound_Result Create_Buffer(const TSound_Buffer_Desc& desc, std::unique_ptr<TSound_Buffer>& buffer) = 0;
  // The listener of the device (one per device; asked from the primary buffer).
  virtual TSound_Result Create_Listener(std::unique_ptr<TSound_Listener>& listener) = 0;
};

// The output devices: descriptions and identifiers (empty for the default).
void Sound_Enumerate_Devices(std::vector<std::string>& descriptions, std::vector<std::string>& identifiers);

// Opens the output device with the identifier (the default one when empty).
// SDERR_NODRIVER when there is none.
TSound_Result Sound_Device_Create(const std::string& identifier, std::unique_ptr<TSound_Device>& device);

// Tests replace the device opener (nullptr restores OpenAL).
using TSound_Device_Factory =
    std::function<TSound_Result(const std::string& identifier, std::unique_ptr<TSound_Device>& device)>;
void Set_Sound_Device_Factory(TSound_Device_Factory factory);

// OpenAL's own opener.
TSound_Result Sound_Device_Create_OpenAL(const std::string& identifier, std::unique_ptr<TSound_Device>& device);

// ------------------------------------------------------------ memory device

class TSound_Buffer_Memory;

// What a memory device records and how it behaves; shared by the device
// and every buffer made by it, so that it outlives them.
struct TSound_Memory_State {
  TSound_Caps caps;
  bool reject_mute_at_max_distance = false;  // Create_Buffer fails with SDERR_INVALIDPARAM
  bool fail_create_buffer = false;
  std::uint32_t max_buffers = 0xFFFFFFFFu;  // further creations fail with SDERR_OUTOFMEMORY
  std::vector<TSound_Buffer_Memory*> buffers;  // alive, in order of creation
  std::int32_t created = 0;
  TListener_Params listener;
  std::int32_t commits = 0;
};

class TSound_Buffer_Memory : public TSound_Buffer {
public:
  TSound_Buffer_Memory(std::shared_ptr<TSound_Memory_State> state, const TSound_Buffer_Desc& desc);
  ~TSound_Buffer_Memory() override;

  TSound_Result Write(std::uint32_t offset, const std::uint8_t* data, std::uint32_t count,
                      std::uint32_t& written) override;
  TSound_Result Play(bool looping) override;
  TSound_Result Stop() override;
  bool Is_Playing() override { return playing; }
  TSound_Result Get_Current_Position(std::uint32_t& play_cursor) override;
  TSound_Result Set_Current_Position(std::uint32_t play_cursor) override;
  TSound_Result Set_Volume(std::int32_t v) override;
  TSound_Result Set_Pan(std::int32_t p) override;
  TSound_Result Set_Format(const TWave_Format& format) override;
  TSound_Result Get_Format(TWave_Format& format) override;
  TSound_Result Get_Mode(std::int32_t& m) override;
  TSound_Result Set_Mode(std::int32_t m) override;
  TSound_Result Set_Position(const TSound_Vector& p) override;
  TSound_Result Set_Velocity(const TSound_Vector& v) override;
  TSound_Result Set_Min_Distance(double d) override;
  TSound_Result Set_Max_Distance(double d) override;

  std::vector<std::uint8_t> bytes;
  bool playing = false;
  bool looping = false;
  std::int32_t plays = 0;
  std::uint32_t cursor = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::int32_t mode = SD3DMODE_NORMAL;
  TSound_Vector position, velocity;
  double min_distance = 1.0, max_distance = 1e9;
  TSound_Result lost_result = SD_OK;  // returned by Write and Play when set

private:
  std::shared_ptr<TSound_Memory_State> f_state;
};

class TSound_Device_Memory : public TSound_Device {
public:
  explicit TSound_Device_Memory(std::shared_ptr<TSound_Memory_State> state) : f_state(std::move(state)) {}
  TSound_Result Get_Caps(TSound_Caps& caps) override;
  TSound_Result Create_Buffer(const TSound_Buffer_Desc& desc, std::unique_ptr<TSound_Buffer>& buffer) override;
  TSound_Result Create_Listener(std::unique_ptr<TSound_Listener>& listener) override;

private:
  std::shared_ptr<TSound_Memory_State> f_state;
};
