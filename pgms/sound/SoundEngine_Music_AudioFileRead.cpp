#include "SoundEngine_Music_AudioFileRead.h"

#include <sndfile.h>

#include <algorithm>
#include <vector>

#include "Debug_Log.h"
#include "Native_Path.h"

namespace {
constexpr std::int64_t Units_Per_Second = 10000000;

struct TAudio_Error_Text {
  std::uint32_t code;
  const char* text;
};

const TAudio_Error_Text Audio_Error_Texts[] = {
    {0x00040001, "The asynchronous update is pending."},
    {0x00040002, "Sample was not updated after forced completion."},
    {0x00040003, "Reached the end of the stream; the sample wasn't updated."},
    {0x08000001, "Invalid buffer size."},
    {0x80004002, "No interface."},
    {0x80004003, "This method tried to access an invalid pointer."},
    {0x80004004, "The update aborted."},
    {0x80040110, "This class cannot be created as part of an aggregate."},
    {0x80040154, "A specified class is not registered in the registration database."},
    {0x80040401,
     "An IMediaStream object could not be removed from an IMultiMediaStream object because it still contains at "
     "least one allocated sample."},
    {0x80040402, "The specified purpose ID can't be used for the call."},
    {0x80040403, "No stream can be found with the specified attributes."},
    {0x80040404, "One or more media streams don't support seeking."},
    {0x80040405, "The stream formats are not compatible."},
    {0x80040406, "This sample already has a pending update."},
    {0x80040407,
     "The object can't accept the call because its initialize function or equivalent has not been called."},
    {0x80040408, "Source already defined."},
    {0x80040409, "The stream type is not valid for this operation."},
    {0x8004040A, "The IMultiMediaStream object is not in running state."},
    {0x80070057, "One of the parameters is invalid."},
};
}  // namespace

std::string Audio_Read_Error_Text(std::uint32_t code) {
  for (const TAudio_Error_Text& e : Audio_Error_Texts)
    if (e.code == code) return e.text;
  return "Unrecognized error value.";
}

void Audio_Read_Check(std::uint32_t code, const std::string& place) {
  if (code == 0) return;
  std::string text = Audio_Read_Error_Text(code);
  if (Debug_Sections[DEBUG_SOUND_BASE]) Debug_Log_Write(text + " - " + std::to_string(code) + ": " + place);
  throw EAudioReadError(text, code);
}

TAudioFileReader::TAudioFileReader(const std::string& file_name) {
  SF_INFO info{};
  f_file = sf_open(Native_Path(file_name).c_str(), SFM_READ, &info);
  if (!f_file) Audio_Read_Check(AUDIO_ERR_NO_STREAM, "TAudioFileReader.Create - OpenFile");
  if (info.samplerate <= 0 || info.channels <= 0 || info.channels > 255 || info.frames < 0) {
    sf_close(f_file);
    f_file = nullptr;
    Audio_Read_Check(AUDIO_ERR_NO_STREAM, "TAudioFileReader.Create - GetFormat");
  }
  f_format.wFormatTag = WAVE_FORMAT_PCM;
  f_format.nChannels = std::uint16_t(info.channels);
  f_format.nSamplesPerSec = std::uint32_t(info.samplerate);
  // Integer PCM of 24 and 32 bits keeps its width; everything else is
  // decoded to 16 bits.
  int sub = info.format & SF_FORMAT_SUBMASK;
  f_format.wBitsPerSample = sub == SF_FORMAT_PCM_24 ? 24 : sub == SF_FORMAT_PCM_32 ? 32 : 16;
  f_format.nBlockAlign = std::uint16_t(info.channels * (f_format.wBitsPerSample / 8));
  f_format.nAvgBytesPerSec = f_format.nSamplesPerSec * f_format.nBlockAlign;
  f_frames = info.frames;
  f_duration = Time_Of_Frame(f_frames);
  f_file_name = file_name;
}

TAudioFileReader::~TAudioFileReader() {
  if (f_file) sf_close(f_file);
}

std::int64_t TAudioFileReader::Time_Of_Frame(std::int64_t frame) const {
  // frame * 10^7 / rate without overflow for any file libsndfile can count.
  std::int64_t rate = f_format.nSamplesPerSec;
  return frame / rate * Units_Per_Second + frame % rate * Units_Per_Second / rate;
}

std::int64_t TAudioFileReader::Frame_Of_Time(std::int64_t time) const {
  std::int64_t rate = f_format.nSamplesPerSec;
  return time / Units_Per_Second * rate + time % Units_Per_Second * rate / Units_Per_Second;
}

void TAudioFileReader::Seek(std::int64_t time) {
  std::int64_t frame = std::clamp<std::int64_t>(Frame_Of_Time(time), 0, f_frames);
  if (sf_seek(f_file, frame, SEEK_SET) < 0) Audio_Read_Check(0x80040404, "TAudioFileReader.SetPosition - SetPositions");
  f_frame = frame;
}

std::uint32_t TAudioFileReader::Read(std::uint8_t* buffer, std::uint32_t size) {
  if (size == 0) Audio_Read_Check(AUDIO_ERR_INVALID_SIZE, "TAudioFileReader.Read - DSUSER_INVALIDSIZE");
  if (!buffer) Audio_Read_Check(0x80004003, "TAudioFileReader.Read - SetBuffer");
  std::int64_t range_end = f_range_start + f_range_length;
  if (f_range_length != 0 && f_current_position >= range_end) return 0;
  std::uint32_t block = f_format.nBlockAlign;
  sf_count_t frames = sf_count_t(size / block);
  if (frames == 0) return 0;
  sf_count_t got;
  if (f_format.wBitsPerSample == 16) {
    got = sf_readf_short(f_file, reinterpret_cast<short*>(buffer), frames);
  } else {
    std::vector<int> wide(std::size_t(frames) * f_format.nChannels);
    got = sf_readf_int(f_file, wide.data(), frames);
    std::uint32_t width = f_format.wBitsPerSample / 8u;
    for (std::size_t i = 0; got > 0 && i < std::size_t(got) * f_format.nChannels; ++i) {
      std::uint32_t v = std::uint32_t(wide[i]);
      for (std::uint32_t b = 0; b < width; ++b) buffer[i * width + b] = std::uint8_t(v >> (8 * (4 - width + b)));
    }
  }
  if (got <= 0) return 0;
  std::uint32_t bytes = std::uint32_t(got) * block;
  f_sample_start = Time_Of_Frame(f_frame);
  f_frame += got;
  f_sample_end = Time_Of_Frame(f_frame);
  if (f_sample_start > f_sample_end) f_sample_start = f_sample_end;
  if (f_range_length != 0 && f_sample_end > range_end && f_sample_end > f_sample_start) {
    std::int64_t cut = (range_end - f_sample_start) * std::int64_t(bytes) / (f_sample_end - f_sample_start);
    cut = std::max<std::int64_t>(cut, 0);
    bytes = std::uint32_t(cut) / block * block;
    f_sample_end = range_end;
  }
  f_current_position = f_sample_end;
  return bytes;
}

std::int64_t TAudioFileReader::SetPosition(std::int64_t time) {
  if (time == f_current_position) return time;
  if (time < f_range_start) time = f_range_start;
  if (time > f_duration) time = f_duration;
  if (f_range_length != 0 && time > f_range_start + f_range_length) time = f_range_start + f_range_length;
  Seek(time);
  f_current_position = time;
  return time;
}

void TAudioFileReader::SetRangeStart(std::int64_t time) {
  if (time == f_range_start) return;
  if (time < 0) time = 0;
  f_range_start = time;
  if (f_current_position < time) SetPosition(time);
}

void TAudioFileReader::SetRangeLength(std::int64_t time) {
  if (time == f_range_length) return;
  if (time != 0) time = std::clamp<std::int64_t>(time, 100000, 1000000000000000);
  f_range_length = time;
  if (f_range_start + time < f_current_position) SetPosition(f_range_start);
}
