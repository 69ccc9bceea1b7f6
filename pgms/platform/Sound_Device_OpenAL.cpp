// The sound device on OpenAL.
//
// One OpenAL device and context serve every TSound_Device of the process
// (the effects and the music each hold one); they are closed with the last.
//
// A static buffer keeps its bytes in memory and hands them to an OpenAL
// buffer when it is played after a change. A streaming buffer (any buffer
// with SDBCAPS_GETCURRENTPOSITION2 and without SDBCAPS_STATIC) is a ring whose play cursor moves while it plays:
// the ring is cut into segments, each an OpenAL buffer, and all but the two
// segments behind the cursor are queued on the source. Whenever the cursor
// is asked for, the segments played since are taken off the queue and the
// segment two behind the cursor is queued again with the ring's bytes of the
// moment, so that what the caller wrote behind the cursor is heard one lap
// later.
#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

#include "Sound_Device.h"

namespace {
struct TShared_Context {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  int users = 0;
};

TShared_Context& Shared() {
  static TShared_Context shared;
  return shared;
}

bool Acquire_Context(const std::string& identifier) {
  TShared_Context& s = Shared();
  if (s.users == 0) {
    s.device = alcOpenDevice(identifier.empty() ? nullptr : identifier.c_str());
    if (!s.device) return false;
    s.context = alcCreateContext(s.device, nullptr);
    if (!s.context || !alcMakeContextCurrent(s.context)) {
      if (s.context) alcDestroyContext(s.context);
      alcCloseDevice(s.device);
      s.device = nullptr;
      s.context = nullptr;
      return false;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  }
  ++s.users;
  return true;
}

void Release_Context() {
  TShared_Context& s = Shared();
  if (s.users == 0) return;
  if (--s.users > 0) return;
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(s.context);
  alcCloseDevice(s.device);
  s.device = nullptr;
  s.context = nullptr;
}

float Gain_Of(std::int32_t volume) {
  if (volume <= -10000) return 0.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

ALenum AL_Format_Of(const TWave_Format& f) {
  if (f.wFormatTag != WAVE_FORMAT_PCM) return 0;
  if (f.nChannels == 1 && f.wBitsPerSample == 8) return AL_FORMAT_MONO8;
  if (f.nChannels == 1 && f.wBitsPerSample == 16) return AL_FORMAT_MONO16;
  if (f.nChannels == 2 && f.wBitsPerSample == 8) return AL_FORMAT_STEREO8;
  if (f.nChannels == 2 && f.wBitsPerSample == 16) return AL_FORMAT_STEREO16;
  return 0;
}

class TSound_Buffer_OpenAL : public TSound_Buffer {
public:
  TSound_Buffer_OpenAL(const TSound_Buffer_Desc& desc, ALenum al_format) : f_al_format(al_format) {
    f_size = desc.size;
    f_flags = desc.flags;
    f_format = desc.format;
  }

  ~TSound_Buffer_OpenAL() override {
    if (f_source) {
      alSourceStop(f_source);
      alSourcei(f_source, AL_BUFFER, 0);
      alDeleteSources(1, &f_source);
    }
    if (!f_al_buffers.empty()) alDeleteBuffers(ALsizei(f_al_buffers.size()), f_al_buffers.data());
    Release_Context();
  }

  // Sets up the source and the OpenAL buffers; false when OpenAL has none left.
  bool Init() {
    f_primary = (f_flags & SDBCAPS_PRIMARYBUFFER) != 0;
    if (f_primary) return true;
    f_bytes.assign(f_size, f_format.wBitsPerSample == 8 ? 128 : 0);
    alGetError();
    alGenSources(1, &f_source);
    if (alGetError() != AL_NO_ERROR) {
      f_source = 0;
      return false;
    }
    f_streaming = (f_flags & SDBCAPS_GETCURRENTPOSITION2) && !(f_flags & SDBCAPS_STATIC);
    std::uint32_t segments = 1;
    if (f_streaming) {
      std::uint32_t block = std::max<std::uint32_t>(1, f_format.nBlockAlign);
      segments = 16;
      while (segments > 3 && f_size / segments < block) --segments;
      std::uint32_t seg = (f_size / segments) / block * block;
      if (seg == 0) return false;
      for (std::uint32_t i = 0; i < segments; ++i) f_segment_start.push_back(i * seg);
      f_segment_start.push_back(f_size);
    }
    f_al_buffers.assign(segments, 0);
    alGenBuffers(ALsizei(segments), f_al_buffers.data());
    if (alGetError() != AL_NO_ERROR) {
      f_al_buffers.clear();
      return false;
    }
    bool positional = (f_flags & SDBCAPS_CTRL3D) != 0;
    alSourcei(f_source, AL_SOURCE_RELATIVE, positional ? AL_FALSE : AL_TRUE);
    alSource3f(f_source, AL_POSITION, 0, 0, 0);
    if (!positional) alSourcef(f_source, AL_ROLLOFF_FACTOR, 0.0f);
    return true;
  }

  TSound_Result Write(std::uint32_t offset, const std::uint8_t* data, std::uint32_t count,
                      std::uint32_t& written) override {
    written = 0;
    if (f_primary || offset > f_size) return SDERR_INVALIDPARAM;
    written = std::min(count, f_size - offset);
    if (written > 0) std::memcpy(f_bytes.data() + offset, data, written);
    f_dirty = true;
    return SD_OK;
  }

  TSound_Result Play(bool looping) override {
    if (f_primary) return SD_OK;
    if (f_streaming) {
      if (f_playing) return SD_OK;
      Queue_From(f_cursor_segment);
      alSourcePlay(f_source);
      f_playing = true;
      return alGetError() == AL_NO_ERROR ? SD_OK : SDERR_GENERIC;
    }
    alGetError();
    if (f_dirty) {
      alSourceStop(f_source);
      alSourcei(f_source, AL_BUFFER, 0);
      alBufferData(f_al_buffers[0], f_al_format, f_bytes.data(), ALsizei(f_size), ALsizei(f_format.nSamplesPerSec));
      alSourcei(f_source, AL_BUFFER, ALint(f_al_buffers[0]));
      f_dirty = false;
    }
    alSourcei(f_source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    ALint state = 0;
    alGetSourcei(f_source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(f_source);
    return alGetError() == AL_NO_ERROR ? SD_OK : SDERR_GENERIC;
  }

  TSound_Result Stop() override {
    if (f_primary) return SD_OK;
    if (f_streaming) {
      std::uint32_t cursor = 0;
      Get_Current_Position(cursor);
      f_cursor_segment = Segment_Of(cursor);
      alSourceStop(f_source);
      alSourcei(f_source, AL_BUFFER, 0);
      f_queued.clear();
      f_playing = false;
      return SD_OK;
    }
    alSourcePause(f_source);
    return SD_OK;
  }

  bool Is_Playing() override {
    if (f_primary) return true;
    if (f_streaming) return f_playing;
    ALint state = 0;
    alGetSourcei(f_source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
  }

  TSound_Result Get_Current_Position(std::uint32_t& play_cursor) override {
    play_cursor = 0;
    if (f_primary) return SD_OK;
    if (!f_streaming) {
      ALint offset = 0;
      alGetSourcei(f_source, AL_BYTE_OFFSET, &offset);
      play_cursor = std::min<std::uint32_t>(std::uint32_t(std::max(offset, 0)), f_size);
      return SD_OK;
    }
    if (!f_playing) {
      play_cursor = f_segment_start[f_cursor_segment];
      return SD_OK;
    }
    Service();
    if (f_queued.empty()) {
      play_cursor = f_segment_start[f_cursor_segment];
      return SD_OK;
    }
    // The offset counts from the start of the first queued segment; a
    // segment finished since Service lies before the cursor.
    ALint offset = 0;
    alGetSourcei(f_source, AL_BYTE_OFFSET, &offset);
    std::uint32_t rest = std::uint32_t(std::max(offset, 0));
    for (std::uint32_t seg : f_queued) {
      std::uint32_t seg_size = f_segment_start[seg + 1] - f_segment_start[seg];
      if (rest < seg_size) {
        play_cursor = f_segment_start[seg] + rest;
        return SD_OK;
      }
      rest -= seg_size;
    }
    play_cursor = f_segment_start[(f_queued.back() + 1) % Segment_Count()];
    return SD_OK;
  }

  TSound_Result Set_Current_Position(std::uint32_t play_cursor) override {
    if (f_primary) return SD_OK;
    if (play_cursor > f_size) return SDERR_INVALIDPARAM;
    if (f_streaming) {
      if (f_playing) return SDERR_INVALIDCALL;
      f_cursor_segment = Segment_Of(play_cursor);
      return SD_OK;
    }
    alSourcei(f_source, AL_BYTE_OFFSET, ALint(play_cursor));
    return SD_OK;
  }

  TSound_Result Set_Volume(std::int32_t volume) override {
    if (volume < -10000 || volume > 0) return SDERR_INVALIDPARAM;
    if (!f_primary) alSourcef(f_source, AL_GAIN, Gain_Of(volume));
    return SD_OK;
  }

  TSound_Result Set_Pan(std::int32_t pan) override {
    if (pan < -10000 || pan > 10000) return SDERR_INVALIDPARAM;
    if (!f_primary && !(f_flags & SDBCAPS_CTRL3D)) {
      // A mono source placed on a half circle in front of the listener.
      double angle = pan / 10000.0 * 1.5707963267948966;
      alSource3f(f_source, AL_POSITION, float(std::sin(angle)), 0.0f, float(-std::cos(angle)));
    }
    return SD_OK;
  }

  TSound_Result Set_Format(const TWave_Format& format) override {
    if (!f_primary) return SDERR_INVALIDCALL;
    f_format = format;
    return SD_OK;
  }

  TSound_Result Get_Format(TWave_Format& format) override {
    format = f_format;
    return SD_OK;
  }

  TSound_Result Get_Mode(std::int32_t& mode) override {
    if (!(f_flags & SDBCAPS_CTRL3D)) return SDERR_INVALIDCALL;
    mode = f_mode;
    return SD_OK;
  }

  TSound_Result Set_Mode(std::int32_t mode) override {
    if (!(f_flags & SDBCAPS_CTRL3D) || f_primary) return SDERR_INVALIDCALL;
    f_mode = mode;
    alSourcei(f_source, AL_SOURCE_RELATIVE, mode == SD3DMODE_NORMAL ? AL_FALSE : AL_TRUE);
    if (mode == SD3DMODE_DISABLE) alSource3f(f_source, AL_POSITION, 0, 0, 0);
    return SD_OK;
  }

  TSound_Result Set_Position(const TSound_Vector& p) override {
    if (!(f_flags & SDBCAPS_CTRL3D) || f_primary) return SDERR_INVALIDCALL;
    if (f_mode != SD3DMODE_DISABLE) alSource3f(f_source, AL_POSITION, float(p.x), float(p.y), float(p.z));
    return SD_OK;
  }

  TSound_Result Set_Velocity(const TSound_Vector& v) override {
    if (!(f_flags & SDBCAPS_CTRL3D) || f_primary) return SDERR_INVALIDCALL;
    alSource3f(f_source, AL_VELOCITY, float(v.x), float(v.y), float(v.z));
    return SD_OK;
  }

  TSound_Result Set_Min_Distance(double d) override {
    if (!(f_flags & SDBCAPS_CTRL3D) || f_primary) return SDERR_INVALIDCALL;
    alSourcef(f_source, AL_REFERENCE_DISTANCE, float(std::max(d, 0.001)));
    return SD_OK;
  }

  TSound_Result Set_Max_Distance(double d) override {
    if (!(f_flags & SDBCAPS_CTRL3D) || f_primary) return SDERR_INVALIDCALL;
    alSourcef(f_source, AL_MAX_DISTANCE, float(std::max(d, 0.001)));
    return SD_OK;
  }

private:
  std::uint32_t Segment_Count() const { return std::uint32_t(f_al_buffers.size()); }

  std::uint32_t Segment_Of(std::uint32_t offset) const {
    for (std::uint32_t i = 0; i + 1 < f_segment_start.size(); ++i)
      if (offset < f_segment_start[i + 1]) return i;
    return 0;
  }

  void Queue_Segment(std::uint32_t seg) {
    std::uint32_t start = f_segment_start[seg];
    std::uint32_t size = f_segment_start[seg + 1] - start;
    alBufferData(f_al_buffers[seg], f_al_format, f_bytes.data() + start, ALsizei(size),
                 ALsizei(f_format.nSamplesPerSec));
    alSourceQueueBuffers(f_source, 1, &f_al_buffers[seg]);
    f_queued.push_back(seg);
  }

  // Queues every segment from the first on but the two behind it.
  void Queue_From(std::uint32_t first) {
    alGetError();
    std::uint32_t n = Segment_Count();
    for (std::uint32_t i = 0; i + 2 < n; ++i) Queue_Segment((first + i) % n);
  }

  // Takes the played segments off the queue and queues their followers.
  void Service() {
    ALint processed = 0;
    alGetSourcei(f_source, AL_BUFFERS_PROCESSED, &processed);
    std::uint32_t n = Segment_Count();
    while (processed-- > 0 && !f_queued.empty()) {
      ALuint id = 0;
      alSourceUnqueueBuffers(f_source, 1, &id);
      std::uint32_t done = f_queued.front();
      f_queued.pop_front();
      f_cursor_segment = (done + 1) % n;
      Queue_Segment((done + n - 2) % n);
    }
    ALint state = 0;
    alGetSourcei(f_source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && !f_queued.empty()) alSourcePlay(f_source);
  }

  ALenum f_al_format;
  bool f_primary = false;
  bool f_streaming = false;
  bool f_dirty = true;
  bool f_playing = false;
  std::int32_t f_mode = SD3DMODE_NORMAL;
  ALuint f_source = 0;
  std::vector<ALuint> f_al_buffers;
  std::vector<std::uint8_t> f_bytes;
  std::vector<std::uint32_t> f_segment_start;  // segment count + 1 entries
  std::deque<std::uint32_t> f_queued;
  std::uint32_t f_cursor_segment = 0;
};

class TSound_Listener_OpenAL : public TSound_Listener {
public:
  TSound_Result Set_All_Parameters(const TListener_Params& p) override {
    alListener3f(AL_POSITION, float(p.position.x), float(p.position.y), float(p.position.z));
    alListener3f(AL_VELOCITY, float(p.velocity.x), float(p.velocity.y), float(p.velocity.z));
    ALfloat orientation[6] = {float(p.front.x), float(p.front.y), float(p.front.z),
                              float(p.top.x),   float(p.top.y),   float(p.top.z)};
    alListenerfv(AL_ORIENTATION, orientation);
    alDopplerFactor(float(p.doppler_factor));
    return SD_OK;
  }
  TSound_Result Commit_Deferred_Settings() override { return SD_OK; }
};

class TSound_Device_OpenAL : public TSound_Device {
public:
  ~TSound_Device_OpenAL() override { Release_Context(); }

  TSound_Result Get_Caps(TSound_Caps& caps) override {
    ALCint mono = 0;
    alcGetIntegerv(Shared().device, ALC_MONO_SOURCES, 1, &mono);
    std::uint32_t n = mono > 0 ? std::uint32_t(mono) : 0;
    caps.max_hw_static_buffers = n;
    caps.free_hw_static_buffers = n;
    caps.max_hw_3d_static_buffers = n;
    caps.free_hw_3d_static_buffers = n;
    return SD_OK;
  }

  TSound_Result Create_Buffer(const TSound_Buffer_Desc& desc, std::unique_ptr<TSound_Buffer>& buffer) override {
    buffer.reset();
    bool primary = (desc.flags & SDBCAPS_PRIMARYBUFFER) != 0;
    ALenum format = AL_Format_Of(desc.format);
    if (!primary) {
      if (desc.size == 0) return SDERR_INVALIDPARAM;
      if (format == 0 || desc.format.nSamplesPerSec == 0) return SDERR_BADFORMAT;
      if (desc.format.nBlockAlign == 0 || desc.size % desc.format.nBlockAlign != 0) return SDERR_INVALIDPARAM;
    }
    Acquire_Context("");
    auto b = std::make_unique<TSound_Buffer_OpenAL>(desc, format);
    if (!b->Init()) return SDERR_OUTOFMEMORY;
    buffer = std::move(b);
    return SD_OK;
  }

  TSound_Result Create_Listener(std::unique_ptr<TSound_Listener>& listener) override {
    listener = std::make_unique<TSound_Listener_OpenAL>();
    return SD_OK;
  }
};
}  // namespace

void Sound_Enumerate_Devices(std::vector<std::string>& descriptions, std::vector<std::string>& identifiers) {
  descriptions.clear();
  identifiers.clear();
  descriptions.push_back("Primary Sound Driver");
  identifiers.push_back("");
  if (!alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT")) return;
  const ALCchar* list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
  while (list && *list) {
    std::string name = list;
    descriptions.push_back(name);
    identifiers.push_back(name);
    list += name.size() + 1;
  }
}

TSound_Result Sound_Device_Create_OpenAL(const std::string& identifier, std::unique_ptr<TSound_Device>& device) {
  device.reset();
  if (!Acquire_Context(identifier)) return SDERR_NODRIVER;
  device = std::make_unique<TSound_Device_OpenAL>();
  return SD_OK;
}
