#include "SoundEngine_Sound_DSWaveFiles.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Native_Path.h"

namespace {
constexpr std::uint32_t Four_CC(const char* s) {
  return std::uint32_t(std::uint8_t(s[0])) | (std::uint32_t(std::uint8_t(s[1])) << 8) |
         (std::uint32_t(std::uint8_t(s[2])) << 16) | (std::uint32_t(std::uint8_t(s[3])) << 24);
}

constexpr std::uint32_t FOURCC_RIFF = Four_CC("RIFF");
constexpr std::uint32_t FOURCC_WAVE = Four_CC("WAVE");
constexpr std::uint32_t FOURCC_FMT = Four_CC("fmt ");
constexpr std::uint32_t FOURCC_DATA = Four_CC("data");

std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// The failure inside the reader; carries its code to the catch.
struct TWave_Read_Failure {
  std::uint32_t code;
};

bool Seek(TWave_File& f, std::uint64_t offset) {
  f.io_pos = f.io_end = 0;
  if (offset > f.file_size) return false;
  return std::fseek(f.file, long(offset), SEEK_SET) == 0;
}

bool Read_Exact(TWave_File& f, void* data, std::size_t count) {
  return std::fread(data, 1, count, f.file) == count;
}

// Finds the chunk with the id among the chunks from the offset up to the
// end; a chunk whose header or size runs past the end ends the search.
bool Find_Chunk(TWave_File& f, std::uint64_t from, std::uint64_t end, std::uint32_t id, TWave_Chunk_Info& info) {
  std::uint64_t pos = from;
  while (pos + 8 <= end) {
    std::uint8_t header[8];
    if (!Seek(f, pos) || !Read_Exact(f, header, 8)) return false;
    std::uint32_t ckid = Get32(header);
    std::uint32_t size = Get32(header + 4);
    if (ckid == id) {
      info.ckid = ckid;
      info.cksize = size;
      info.fccType = 0;
      info.dwDataOffset = std::uint32_t(pos + 8);
      return true;
    }
    pos += 8 + std::uint64_t(size) + (size & 1u);
  }
  return false;
}
}  // namespace

TWave_File::~TWave_File() {
  if (file) std::fclose(file);
}

std::string Wave_Error_Text(std::uint32_t code) {
  switch (code) {
    case WAVEERR_MEMORY: return "Wave Error(Memory)";
    case WAVEERR_CANNOT_OPEN: return "Wave Error(Cannot Open)";
    case WAVEERR_NOT_WAVE_FILE: return "Wave Error(Not Wave File)";
    case WAVEERR_CANNOT_READ: return "Wave Error(Cannot Read)";
    case WAVEERR_CORRUPT_WAVE_FILE: return "Wave Error(Corrupt Wave File)";
    case WAVEERR_CANNOT_WRITE: return "Wave Error(Cannot Write)";
    default: return "";
  }
}

std::uint32_t WaveOpenFile(const std::string& file_name, TWave_Handle& handle, std::unique_ptr<TWave_Format>& format,
                           TWave_Chunk_Info& riff_info) {
  handle.reset();
  format.reset();
  try {
    try {
      handle = std::make_unique<TWave_File>();
    } catch (const std::bad_alloc&) {
      throw TWave_Read_Failure{WAVEERR_MEMORY};
    }
    TWave_File& f = *handle;
    f.file = std::fopen(Native_Path(file_name).c_str(), "rb");
    if (!f.file) throw TWave_Read_Failure{WAVEERR_CANNOT_OPEN};
    if (std::fseek(f.file, 0, SEEK_END) != 0) throw TWave_Read_Failure{WAVEERR_CANNOT_READ};
    long size = std::ftell(f.file);
    if (size < 0) throw TWave_Read_Failure{WAVEERR_CANNOT_READ};
    // Offsets are 32-bit; a larger file is read only as far as they reach.
    f.file_size = std::min<std::uint64_t>(std::uint64_t(size), 0xFFFFFFFFu);

    std::uint8_t riff[12];
    if (!Seek(f, 0) || !Read_Exact(f, riff, 12)) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    if (Get32(riff) != FOURCC_RIFF || Get32(riff + 8) != FOURCC_WAVE) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    riff_info.ckid = FOURCC_RIFF;
    riff_info.cksize = Get32(riff + 4);
    riff_info.fccType = FOURCC_WAVE;
    riff_info.dwDataOffset = 8;
    std::uint64_t riff_end = std::min<std::uint64_t>(8 + std::uint64_t(riff_info.cksize), f.file_size);

    TWave_Chunk_Info fmt;
    if (!Find_Chunk(f, 12, riff_end, FOURCC_FMT, fmt)) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    if (fmt.cksize < 16) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    std::uint64_t fmt_end = std::uint64_t(fmt.dwDataOffset) + fmt.cksize;
    if (fmt_end > f.file_size) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};

    std::uint8_t pcm[16];
    if (!Seek(f, fmt.dwDataOffset) || !Read_Exact(f, pcm, 16)) throw TWave_Read_Failure{WAVEERR_CANNOT_READ};
    std::uint16_t extra_size = 0;
    std::uint16_t tag = Get16(pcm);
    if (tag != WAVE_FORMAT_PCM) {
      std::uint8_t cb[2];
      if (fmt.cksize < 18 || !Read_Exact(f, cb, 2)) throw TWave_Read_Failure{WAVEERR_CANNOT_READ};
      extra_size = Get16(cb);
      // The extra bytes must lie inside the "fmt " chunk.
      if (18u + extra_size > fmt.cksize) throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    }
    try {
      format = std::make_unique<TWave_Format>();
      format->extra.resize(extra_size);
    } catch (const std::bad_alloc&) {
      throw TWave_Read_Failure{WAVEERR_MEMORY};
    }
    format->wFormatTag = tag;
    format->nChannels = Get16(pcm + 2);
    format->nSamplesPerSec = Get32(pcm + 4);
    format->nAvgBytesPerSec = Get32(pcm + 8);
    format->nBlockAlign = Get16(pcm + 12);
    format->wBitsPerSample = Get16(pcm + 14);
    format->cbSize = extra_size;
    if (extra_size > 0 && !Read_Exact(f, format->extra.data(), extra_size))
      throw TWave_Read_Failure{WAVEERR_NOT_WAVE_FILE};
    f.io_pos = f.io_end = 0;
    return 0;
  } catch (const TWave_Read_Failure& failure) {
    format.reset();
    handle.reset();
    return failure.code;
  }
}

std::uint32_t WaveStartDataRead(TWave_Handle& handle, TWave_Chunk_Info& data_info, const TWave_Chunk_Info& riff_info) {
  if (!handle) return WAVEERR_CANNOT_READ;
  TWave_File& f = *handle;
  std::uint64_t start = std::uint64_t(riff_info.dwDataOffset) + 4;
  std::uint64_t riff_end = std::min<std::uint64_t>(riff_info.dwDataOffset + std::uint64_t(riff_info.cksize), f.file_size);
  if (!Find_Chunk(f, start, riff_end, FOURCC_DATA, data_info)) return WAVEERR_NOT_WAVE_FILE;
  // A data chunk that claims more than the file holds is corrupt.
  if (std::uint64_t(data_info.dwDataOffset) + data_info.cksize > f.file_size) return WAVEERR_CORRUPT_WAVE_FILE;
  if (!Seek(f, data_info.dwDataOffset)) return WAVEERR_CANNOT_READ;
  return 0;
}

std::uint32_t WaveReadFile(TWave_Handle& handle, std::uint32_t count, std::uint8_t* buffer, TWave_Chunk_Info& data_info,
                           std::uint32_t& bytes_read) {
  bytes_read = 0;
  if (!handle) return WAVEERR_CANNOT_READ;
  TWave_File& f = *handle;
  std::uint32_t wanted = std::min(count, data_info.cksize);
  data_info.cksize -= wanted;
  std::uint32_t done = 0;
  while (done < wanted) {
    if (f.io_pos == f.io_end) {
      std::size_t got = std::fread(f.io_buffer, 1, sizeof f.io_buffer, f.file);
      if (got == 0) {
        bytes_read = 0;
        return std::ferror(f.file) ? WAVEERR_CANNOT_READ : WAVEERR_CORRUPT_WAVE_FILE;
      }
      f.io_pos = 0;
      f.io_end = std::uint32_t(got);
    }
    std::uint32_t n = std::min(wanted - done, f.io_end - f.io_pos);
    std::memcpy(buffer + done, f.io_buffer + f.io_pos, n);
    f.io_pos += n;
    done += n;
  }
  bytes_read = done;
  return 0;
}

std::uint32_t WaveCloseReadFile(TWave_Handle& handle, std::unique_ptr<TWave_Format>& format) {
  format.reset();
  handle.reset();
  return 0;
}
