// Decoding a music file (any format libsndfile reads: OGG Vorbis, FLAC,
// WAV, ...) into 16-bit PCM, block by block, within a played range of the
// file. Times are in units of 100 nanoseconds.
#pragma once

#include <cstdint>
#include <string>

#include "Errors.h"
#include "Sound_Device.h"

class EAudioReadError : public EGlobarch_Error {
public:
  EAudioReadError(const std::string& message, std::uint32_t code) : EGlobarch_Error(message), f_code(code) {}
  std::uint32_t Code() const { return f_code; }

private:
  std::uint32_t f_code;
};

constexpr std::uint32_t AUDIO_ERR_END_OF_STREAM = 0x00040003;
constexpr std::uint32_t AUDIO_ERR_INVALID_SIZE = 0x08000001;
constexpr std::uint32_t AUDIO_ERR_NO_STREAM = 0x80040403;
constexpr std::uint32_t AUDIO_ERR_INVALID_PARAMETER = 0x80070057;

// The text of a reader's error code ("Unrecognized error value." for an
// unknown one).
std::string Audio_Read_Error_Text(std::uint32_t code);
// Nothing for 0; otherwise logs the text, the code and the place (sound
// section) and raises EAudioReadError.
void Audio_Read_Check(std::uint32_t code, const std::string& place);

struct sf_private_tag;

class TAudioFileReader {
public:
  // Opens the file; EAudioReadError when it cannot be decoded.
  explicit TAudioFileReader(const std::string& file_name);
  ~TAudioFileReader();
  TAudioFileReader(const TAudioFileReader&) = delete;
  TAudioFileReader& operator=(const TAudioFileReader&) = delete;

  // Decodes whole sample frames into the buffer; the bytes delivered (0 at
  // the end of the file or of the range).
  std::uint32_t Read(std::uint8_t* buffer, std::uint32_t size);
  std::int64_t SetPosition(std::int64_t time);
  void SetRangeStart(std::int64_t time);
  void SetRangeLength(std::int64_t time);

  const TWave_Format& Format() const { return f_format; }
  const std::string& FileName() const { return f_file_name; }
  std::int64_t Duration() const { return f_duration; }
  std::int64_t CurrentPosition() const { return f_current_position; }
  std::int64_t RangeStart() const { return f_range_start; }
  std::int64_t RangeLength() const { return f_range_length; }
  std::int64_t SampleStart() const { return f_sample_start; }
  std::int64_t SampleEnd() const { return f_sample_end; }

private:
  std::int64_t Time_Of_Frame(std::int64_t frame) const;
  std::int64_t Frame_Of_Time(std::int64_t time) const;
  void Seek(std::int64_t time);

  TWave_Format f_format;
  std::string f_file_name;
  sf_private_tag* f_file = nullptr;
  std::int64_t f_frames = 0;
  std::int64_t f_frame = 0;  // the next frame to decode
  std::int64_t f_duration = 0;
  std::int64_t f_current_position = 0;
  std::int64_t f_range_start = 0;
  std::int64_t f_range_length = 0;
  std::int64_t f_sample_start = 0;
  std::int64_t f_sample_end = 0;
};
