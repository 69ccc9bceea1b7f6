// Reading RIFF WAVE files.
//
// Every failure is a wave error code (0 = success). A file whose chunks
// claim more bytes than it holds is not a valid wave file (a "fmt " chunk)
// or a corrupt one (the "data" chunk): nothing is ever sized from a chunk
// header the file cannot back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "Sound_Device.h"

constexpr std::uint32_t WAVEERR_MEMORY = 0xE000;
constexpr std::uint32_t WAVEERR_CANNOT_OPEN = 0xE100;
constexpr std::uint32_t WAVEERR_NOT_WAVE_FILE = 0xE101;
constexpr std::uint32_t WAVEERR_CANNOT_READ = 0xE102;
constexpr std::uint32_t WAVEERR_CORRUPT_WAVE_FILE = 0xE103;
constexpr std::uint32_t WAVEERR_CANNOT_WRITE = 0xE104;

// The texts of the codes above; empty for another code.
std::string Wave_Error_Text(std::uint32_t code);

// Where a chunk lies: its id, its size, its form type (RIFF) and the file
// offset of its data.
struct TWave_Chunk_Info {
  std::uint32_t ckid = 0;
  std::uint32_t cksize = 0;
  std::uint32_t fccType = 0;
  std::uint32_t dwDataOffset = 0;
};

// An open wave file with its read buffer.
struct TWave_File {
  std::FILE* file = nullptr;
  std::uint64_t file_size = 0;
  std::uint8_t io_buffer[16384];
  std::uint32_t io_pos = 0;
  std::uint32_t io_end = 0;
  ~TWave_File();
};

using TWave_Handle = std::unique_ptr<TWave_File>;

std::uint32_t WaveOpenFile(const std::string& file_name, TWave_Handle& handle, std::unique_ptr<TWave_Format>& format,
                           TWave_Chunk_Info& riff_info);
std::uint32_t WaveStartDataRead(TWave_Handle& handle, TWave_Chunk_Info& data_info, const TWave_Chunk_Info& riff_info);
std::uint32_t WaveReadFile(TWave_Handle& handle, std::uint32_t count, std::uint8_t* buffer, TWave_Chunk_Info& data_info,
                           std::uint32_t& bytes_read);
std::uint32_t WaveCloseReadFile(TWave_Handle& handle, std::unique_ptr<TWave_Format>& format);
