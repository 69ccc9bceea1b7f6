// Tagged binary values: the encoding of every binary file of the game.
//
// A file is a plain run of values, each a one-byte tag followed by its
// little-endian data, written and read back by the file's owner in a fixed
// order. Texts are UTF-8 in the game; on disk a pure ASCII text is a tag 6
// (up to 255 bytes) or tag 12 string, any other text a tag 20 string of
// UTF-8 bytes. Tags 6 and 12 from older files are read as Windows-1252.
//
// Every length and count in a file is checked against the bytes left before
// anything is allocated for it, since these files also arrive over the
// network.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Lists_LongIntList.h"
#include "Vector_Types.h"

enum TIo_Tag : std::uint8_t {
  TAG_INT8 = 2,
  TAG_INT16 = 3,
  TAG_INT32 = 4,
  TAG_EXTENDED = 5,
  TAG_STRING = 6,
  TAG_FALSE = 8,
  TAG_TRUE = 9,
  TAG_LONG_STRING = 12,
  TAG_WIDE_STRING = 18,
  TAG_INT64 = 19,
  TAG_UTF8_STRING = 20,
  TAG_DOUBLE = 21,
};

// Size of the buffer between a tagged file and its reader or writer.
constexpr std::size_t Io_Buffer_Size = 60000;

// Appends values to a file (or, when made without a file name, to memory).
class TIo_Writer {
public:
  // In memory; the bytes are read with m_Bytes.
  TIo_Writer();
  // Creates or empties the file (a path in the game's form); EInOutError
  // when it cannot be created.
  explicit TIo_Writer(const std::string& file_name);
  // Closes without raising; buffered bytes are written when possible.
  ~TIo_Writer();
  TIo_Writer(const TIo_Writer&) = delete;
  TIo_Writer& operator=(const TIo_Writer&) = delete;

  void m_Write_Bytes(const void* data, std::size_t count);
  void m_Write_Byte(std::uint8_t b) { m_Write_Bytes(&b, 1); }
  // Writes out the buffer and closes the file; EInOutError on failure.
  void m_Close();
  // Everything written so far (memory writers only).
  const std::string& m_Bytes() const { return f_buffer; }
  // The number of bytes written so far (file and memory writers).
  std::uint64_t m_Bytes_Written() const { return f_written; }

private:
  void m_Flush();

  std::FILE* f_file = nullptr;
  std::string f_file_name;
  std::string f_buffer;
  std::uint64_t f_written = 0;
};

// Reads values from a file or from bytes in memory.
class TIo_Reader {
public:
  // Opens the file (a path in the game's form); EInOutError when it cannot
  // be opened.
  explicit TIo_Reader(const std::string& file_name);
  // Reads the given bytes.
  static TIo_Reader From_Bytes(std::string bytes);
  ~TIo_Reader();
  TIo_Reader(TIo_Reader&& other) noexcept;
  TIo_Reader& operator=(TIo_Reader&&) = delete;
  TIo_Reader(const TIo_Reader&) = delete;
  TIo_Reader& operator=(const TIo_Reader&) = delete;

  // Bytes from the read position to the end of the file.
  std::uint64_t m_Bytes_Left() const { return f_size - f_position; }
  // Reads exactly `count` bytes; EInOutError when fewer are left.
  void m_Read_Bytes(void* data, std::size_t count);
  std::uint8_t m_Read_Byte();
  // The next `count` bytes when the buffer already holds them (nothing is
  // read or consumed), else null; m_Skip_Buffered then consumes what was
  // used of them. The values of a file are read this way without a call
  // per byte.
  const std::uint8_t* m_Buffered(std::size_t count) const {
    if (f_buffer.size() - f_buffer_pos < count || m_Bytes_Left() < count) return nullptr;
    return reinterpret_cast<const std::uint8_t*>(f_buffer.data()) + f_buffer_pos;
  }
  void m_Skip_Buffered(std::size_t count) {
    f_buffer_pos += count;
    f_position += count;
  }
  void m_Close();

private:
  TIo_Reader() = default;
  void m_Fill();

  std::FILE* f_file = nullptr;
  std::string f_buffer;
  std::size_t f_buffer_pos = 0;
  std::uint64_t f_size = 0;
  std::uint64_t f_position = 0;
};

// The 10-byte x87 double-extended form of a real: 8 bytes of significand
// with its leading bit, then the sign and the 15-bit exponent (bias 16383).
using TExtended_Bytes = std::array<std::uint8_t, 10>;
// Exact (every double has an extended form).
TExtended_Bytes Double_To_Extended(double value);
// Rounded to the nearest single, ties to even; out of range gives infinity.
float Extended_To_Single(const TExtended_Bytes& bytes);

// Typed values.
bool Io_Read_Boolean(TIo_Reader& r);
void Io_Write_Boolean(TIo_Writer& w, bool value);
std::uint8_t Io_Read_Byte(TIo_Reader& r);
void Io_Write_Byte(TIo_Writer& w, std::uint8_t value);
std::uint16_t Io_Read_Word(TIo_Reader& r);
void Io_Write_Word(TIo_Writer& w, std::uint16_t value);
std::int32_t Io_Read_Integer(TIo_Reader& r);
void Io_Write_Integer(TIo_Writer& w, std::int32_t value);
std::int32_t Io_Read_Longint(TIo_Reader& r);
void Io_Write_Longint(TIo_Writer& w, std::int32_t value);
float Io_Read_Single(TIo_Reader& r);
void Io_Write_Single(TIo_Writer& w, float value);
std::string Io_Read_String(TIo_Reader& r);
void Io_Write_String(TIo_Writer& w, const std::string& value);
void Io_Read_Vector(TIo_Reader& r, TVector& value);
void Io_Write_Vector(TIo_Writer& w, const TVector& value);
// r + g*256 + b*65536 (three tagged bytes, red first).
std::uint32_t Io_Read_Color_RGB(TIo_Reader& r);
void Io_Write_Color_RGB(TIo_Writer& w, std::uint32_t value);
// An ARGB colour as four tagged bytes: red, green, blue, alpha.
TColor Io_Read_Color_RGBA(TIo_Reader& r);
void Io_Write_Color_RGBA(TIo_Writer& w, TColor value);
bool Io_Read_String_List(TIo_Reader& r, std::vector<std::string>& list);
void Io_Write_String_List(TIo_Writer& w, const std::vector<std::string>& list);
bool Io_Read_Longint_List(TIo_Reader& r, TLongintList& list);
void Io_Write_Longint_List(TIo_Writer& w, const TLongintList& list);

// The pattern of every file owner. Save: false at once for an empty name;
// otherwise creates the file, lets `write` append the values, closes it and
// returns true. Any failure closes the file, shows "Save file error: " and
// the file name under the caption "Error" and returns false.
bool Io_Save_To_File(const std::string& file_name, const std::function<void(TIo_Writer&)>& write);
// Load: the same for reading, with "Load file error: ". Values read before
// a failure stay where `read` put them.
bool Io_Load_From_File(const std::string& file_name, const std::function<void(TIo_Reader&)>& read);
