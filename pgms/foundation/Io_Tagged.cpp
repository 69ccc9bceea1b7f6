#include "Io_Tagged.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <utility>

#include "Debug_Log.h"
#include "Errors.h"
#include "Native_Path.h"
#include "Shell_Services.h"
#include "Text_Encoding.h"

// ---------------------------------------------------------------- writer

TIo_Writer::TIo_Writer() = default;

TIo_Writer::TIo_Writer(const std::string& file_name) : f_file_name(file_name) {
  f_file = std::fopen(Native_Path(file_name).c_str(), "wb");
  if (!f_file) throw EInOutError("Cannot create file " + file_name);
  f_buffer.reserve(Io_Buffer_Size);
}

TIo_Writer::~TIo_Writer() {
  if (!f_file) return;
  // A writer left by a failure keeps what was written before it.
  if (!f_buffer.empty()) std::fwrite(f_buffer.data(), 1, f_buffer.size(), f_file);
  std::fclose(f_file);
}

void TIo_Writer::m_Flush() {
  if (!f_file || f_buffer.empty()) return;
  std::size_t size = f_buffer.size();
  std::size_t n = std::fwrite(f_buffer.data(), 1, size, f_file);
  f_buffer.clear();
  if (n != size) throw EInOutError("Write error on " + f_file_name);
}

void TIo_Writer::m_Write_Bytes(const void* data, std::size_t count) {
  const char* p = static_cast<const char*>(data);
  f_written += count;
  if (!f_file) {
    f_buffer.append(p, count);
    return;
  }
  while (count > 0) {
    std::size_t room = Io_Buffer_Size - f_buffer.size();
    std::size_t part = count < room ? count : room;
    f_buffer.append(p, part);
    p += part;
    count -= part;
    if (f_buffer.size() == Io_Buffer_Size) m_Flush();
  }
}

void TIo_Writer::m_Close() {
  if (!f_file) return;
  m_Flush();
  bool failed = std::ferror(f_file) != 0;
  failed = std::fclose(f_file) != 0 || failed;
  f_file = nullptr;
  if (failed) throw EInOutError("Write error on " + f_file_name);
}

// ---------------------------------------------------------------- reader

TIo_Reader::TIo_Reader(const std::string& file_name) {
  f_file = std::fopen(Native_Path(file_name).c_str(), "rb");
  if (!f_file) throw EInOutError("Cannot open file " + file_name);
  struct stat st;
  if (::fstat(fileno(f_file), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f_file);
    f_file = nullptr;
    throw EInOutError("Cannot read file " + file_name);
  }
  f_size = static_cast<std::uint64_t>(st.st_size);
}

TIo_Reader TIo_Reader::From_Bytes(std::string bytes) {
  TIo_Reader r;
  r.f_size = bytes.size();
  r.f_buffer = std::move(bytes);
  return r;
}

TIo_Reader::TIo_Reader(TIo_Reader&& other) noexcept
    : f_file(std::exchange(other.f_file, nullptr)),
      f_buffer(std::move(other.f_buffer)),
      f_buffer_pos(other.f_buffer_pos),
      f_size(other.f_size),
      f_position(other.f_position) {}

TIo_Reader::~TIo_Reader() { m_Close(); }

void TIo_Reader::m_Close() {
  if (f_file) std::fclose(f_file);
  f_file = nullptr;
}

void TIo_Reader::m_Fill() {
  f_buffer.resize(Io_Buffer_Size);
  std::size_t n = f_file ? std::fread(f_buffer.data(), 1, Io_Buffer_Size, f_file) : 0;
  f_buffer.resize(n);
  f_buffer_pos = 0;
  if (n == 0) throw EInOutError("Read beyond end of file");
}

void TIo_Reader::m_Read_Bytes(void* data, std::size_t count) {
  if (count > m_Bytes_Left()) throw EInOutError("Read beyond end of file");
  char* p = static_cast<char*>(data);
  while (count > 0) {
    if (f_buffer_pos == f_buffer.size()) m_Fill();
    std::size_t part = std::min(count, f_buffer.size() - f_buffer_pos);
    std::memcpy(p, f_buffer.data() + f_buffer_pos, part);
    f_buffer_pos += part;
    f_position += part;
    p += part;
    count -= part;
  }
}

std::uint8_t TIo_Reader::m_Read_Byte() {
  std::uint8_t b;
  m_Read_Bytes(&b, 1);
  return b;
}

// ---------------------------------------------------------------- reals

TExtended_Bytes Double_To_Extended(double value) {
  std::uint64_t significand = 0;
  std::uint16_t exponent = 0;
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    significand = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    significand = 0x8000000000000000ull;
  } else if (value != 0) {
    int e;
    double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
    significand = static_cast<std::uint64_t>(std::ldexp(m, 64));
    exponent = static_cast<std::uint16_t>(e - 1 + 16383);
  }
  if (std::signbit(value)) exponent |= 0x8000;
  TExtended_Bytes out;
  for (int i = 0; i < 8; ++i) out[i] = std::uint8_t(significand >> (8 * i));
  out[8] = std::uint8_t(exponent);
  out[9] = std::uint8_t(exponent >> 8);
  return out;
}

float Extended_To_Single(const TExtended_Bytes& b) {
  std::uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= std::uint64_t(b[i]) << (8 * i);
  int exponent = b[8] | ((b[9] & 0x7F) << 8);
  bool negative = (b[9] & 0x80) != 0;
  float result;
  if (exponent == 0x7FFF) {
    result = (significand << 1) == 0 ? std::numeric_limits<float>::infinity()
                                     : std::numeric_limits<float>::quiet_NaN();
  } else if (significand == 0) {
    result = 0.0f;
  } else {
    // The value is significand * 2^e2; bring the leading bit to bit 63.
    int e2 = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    int lz = std::countl_zero(significand);
    significand <<= lz;
    e2 -= lz;
    int top = e2 + 63;  // the value lies in [2^top, 2^(top+1))
    constexpr int digits = std::numeric_limits<float>::digits;            // 24
    constexpr int min_top = std::numeric_limits<float>::min_exponent - 1;  // -126
    int keep = top >= min_top ? digits : digits - (min_top - top);
    if (keep < 0) {
      result = 0.0f;
    } else {
      int shift = 64 - keep;  // 40..64
      unsigned __int128 wide = significand;
      unsigned __int128 kept = wide >> shift;
      unsigned __int128 rest = wide & ((static_cast<unsigned __int128>(1) << shift) - 1);
      unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
      if (rest > half || (rest == half && (kept & 1))) ++kept;
      // Exact: kept has at most 25 bits and the scale is within range or
      // overflows to infinity as rounding to nearest demands.
      result = std::ldexp(static_cast<float>(static_cast<std::uint64_t>(kept)), top - (keep - 1));
    }
  }
  return negative ? -result : result;
}

// ---------------------------------------------------------------- values

namespace {
std::uint8_t Read_Tag(TIo_Reader& r) { return r.m_Read_Byte(); }

[[noreturn]] void Bad_Tag(std::uint8_t tag, const char* what) {
  throw EInOutError("Unexpected tag " + std::to_string(tag) + " where " + what + " was expected");
}

std::uint32_t Read_U32(TIo_Reader& r) {
  std::uint8_t b[4];
  r.m_Read_Bytes(b, 4);
  return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
         (std::uint32_t(b[3]) << 24);
}

void Write_U32(TIo_Writer& w, std::uint32_t v) {
  std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
  w.m_Write_Bytes(b, 4);
}

// A length from the file, checked against what is left before anything is
// allocated for it.
std::size_t Checked_Length(TIo_Reader& r, std::uint64_t bytes) {
  if (bytes > r.m_Bytes_Left())
    throw EInOutError("Length " + std::to_string(bytes) + " exceeds the " + std::to_string(r.m_Bytes_Left()) +
                      " bytes left");
  return static_cast<std::size_t>(bytes);
}

std::string Read_Raw(TIo_Reader& r, std::uint64_t bytes) {
  std::string s(Checked_Length(r, bytes), '\0');
  r.m_Read_Bytes(s.data(), s.size());
  return s;
}

// The integer of tags 2, 3 and 4, given the tag already read.
bool Read_Int_Body(TIo_Reader& r, std::uint8_t tag, std::int32_t& value) {
  switch (tag) {
    case TAG_INT8:
      value = static_cast<std::int8_t>(r.m_Read_Byte());
      return true;
    case TAG_INT16: {
      std::uint8_t b[2];
      r.m_Read_Bytes(b, 2);
      value = static_cast<std::int16_t>(std::uint16_t(b[0] | (b[1] << 8)));
      return true;
    }
    case TAG_INT32:
      value = static_cast<std::int32_t>(Read_U32(r));
      return true;
    default:
      return false;
  }
}

std::uint16_t Read_Count(TIo_Reader& r) {
  std::uint16_t n = Io_Read_Word(r);
  // Every item takes at least two bytes; a count beyond the bytes left
  // cannot be genuine.
  Checked_Length(r, n);
  return n;
}
}  // namespace

bool Io_Read_Boolean(TIo_Reader& r) {
  if (const std::uint8_t* p = r.m_Buffered(1)) {
    r.m_Skip_Buffered(1);
    return p[0] == TAG_TRUE;
  }
  return Read_Tag(r) == TAG_TRUE;
}

void Io_Write_Boolean(TIo_Writer& w, bool value) { w.m_Write_Byte(value ? TAG_TRUE : TAG_FALSE); }

std::int32_t Io_Read_Integer(TIo_Reader& r) {
  // Most integers lie whole in the buffer.
  if (const std::uint8_t* p = r.m_Buffered(5)) {
    switch (p[0]) {
      case TAG_INT8:
        r.m_Skip_Buffered(2);
        return static_cast<std::int8_t>(p[1]);
      case TAG_INT16:
        r.m_Skip_Buffered(3);
        return static_cast<std::int16_t>(std::uint16_t(p[1] | (p[2] << 8)));
      case TAG_INT32:
        r.m_Skip_Buffered(5);
        return static_cast<std::int32_t>(std::uint32_t(p[1]) | (std::uint32_t(p[2]) << 8) |
                                         (std::uint32_t(p[3]) << 16) | (std::uint32_t(p[4]) << 24));
      default:
        break;  // the slow path names the tag
    }
  }
  std::uint8_t tag = Read_Tag(r);
  std::int32_t v;
  if (!Read_Int_Body(r, tag, v)) Bad_Tag(tag, "an integer");
  return v;
}

void Io_Write_Integer(TIo_Writer& w, std::int32_t value) {
  if (value >= -128 && value <= 127) {
    std::uint8_t b[2] = {TAG_INT8, std::uint8_t(value)};
    w.m_Write_Bytes(b, 2);
  } else if (value >= -32768 && value <= 32767) {
    std::uint16_t u = static_cast<std::uint16_t>(value);
    std::uint8_t b[3] = {TAG_INT16, std::uint8_t(u), std::uint8_t(u >> 8)};
    w.m_Write_Bytes(b, 3);
  } else {
    w.m_Write_Byte(TAG_INT32);
    Write_U32(w, static_cast<std::uint32_t>(value));
  }
}

std::int32_t Io_Read_Longint(TIo_Reader& r) { return Io_Read_Integer(r); }
void Io_Write_Longint(TIo_Writer& w, std::int32_t value) { Io_Write_Integer(w, value); }

std::uint8_t Io_Read_Byte(TIo_Reader& r) { return Checked_Cast<std::uint8_t>(Io_Read_Integer(r)); }
void Io_Write_Byte(TIo_Writer& w, std::uint8_t value) { Io_Write_Integer(w, value); }
std::uint16_t Io_Read_Word(TIo_Reader& r) { return Checked_Cast<std::uint16_t>(Io_Read_Integer(r)); }
void Io_Write_Word(TIo_Writer& w, std::uint16_t value) { Io_Write_Integer(w, value); }

float Io_Read_Single(TIo_Reader& r) {
  std::uint8_t tag = Read_Tag(r);
  std::int32_t i;
  if (Read_Int_Body(r, tag, i)) return static_cast<float>(i);
  switch (tag) {
    case TAG_EXTENDED: {
      TExtended_Bytes b;
      r.m_Read_Bytes(b.data(), b.size());
      return Extended_To_Single(b);
    }
    case TAG_DOUBLE: {
      std::uint8_t b[8];
      r.m_Read_Bytes(b, 8);
      std::uint64_t bits = 0;
      for (int k = 0; k < 8; ++k) bits |= std::uint64_t(b[k]) << (8 * k);
      return static_cast<float>(std::bit_cast<double>(bits));
    }
    case TAG_INT64: {
      std::uint8_t b[8];
      r.m_Read_Bytes(b, 8);
      std::uint64_t bits = 0;
      for (int k = 0; k < 8; ++k) bits |= std::uint64_t(b[k]) << (8 * k);
      return static_cast<float>(static_cast<std::int64_t>(bits));
    }
    default:
      Bad_Tag(tag, "a real");
  }
}

void Io_Write_Single(TIo_Writer& w, float value) {
  TExtended_Bytes b = Double_To_Extended(value);
  w.m_Write_Byte(TAG_EXTENDED);
  w.m_Write_Bytes(b.data(), b.size());
}

std::string Io_Read_String(TIo_Reader& r) {
  std::uint8_t tag = Read_Tag(r);
  switch (tag) {
    case TAG_STRING:
      return Cp1252_To_Utf8(Read_Raw(r, r.m_Read_Byte()));
    case TAG_LONG_STRING:
      return Cp1252_To_Utf8(Read_Raw(r, Read_U32(r)));
    case TAG_WIDE_STRING:
      return Utf16LE_To_Utf8(Read_Raw(r, std::uint64_t(Read_U32(r)) * 2));
    case TAG_UTF8_STRING:
      // Bytes that are not UTF-8 after all are taken as the old code page.
      return Text_To_Utf8(Read_Raw(r, Read_U32(r)));
    default:
      Bad_Tag(tag, "a string");
  }
}

void Io_Write_String(TIo_Writer& w, const std::string& value) {
  std::size_t n = value.size();
  if (n > std::numeric_limits<std::uint32_t>::max()) throw ERangeError();
  if (!Is_Ascii(value)) {
    w.m_Write_Byte(TAG_UTF8_STRING);
    Write_U32(w, static_cast<std::uint32_t>(n));
  } else if (n <= 255) {
    std::uint8_t b[2] = {TAG_STRING, std::uint8_t(n)};
    w.m_Write_Bytes(b, 2);
  } else {
    w.m_Write_Byte(TAG_LONG_STRING);
    Write_U32(w, static_cast<std::uint32_t>(n));
  }
  w.m_Write_Bytes(value.data(), n);
}

void Io_Read_Vector(TIo_Reader& r, TVector& value) {
  value.x = Io_Read_Single(r);
  value.y = Io_Read_Single(r);
  value.z = Io_Read_Single(r);
}

void Io_Write_Vector(TIo_Writer& w, const TVector& value) {
  Io_Write_Single(w, value.x);
  Io_Write_Single(w, value.y);
  Io_Write_Single(w, value.z);
}

std::uint32_t Io_Read_Color_RGB(TIo_Reader& r) {
  std::uint32_t red = Io_Read_Byte(r);
  std::uint32_t green = Io_Read_Byte(r);
  std::uint32_t blue = Io_Read_Byte(r);
  return red | (green << 8) | (blue << 16);
}

void Io_Write_Color_RGB(TIo_Writer& w, std::uint32_t value) {
  if (value & 0x80000000u) throw ERangeError();
  Io_Write_Byte(w, std::uint8_t(value));
  Io_Write_Byte(w, std::uint8_t(value >> 8));
  Io_Write_Byte(w, std::uint8_t(value >> 16));
}

TColor Io_Read_Color_RGBA(TIo_Reader& r) {
  std::uint8_t red = Io_Read_Byte(r);
  std::uint8_t green = Io_Read_Byte(r);
  std::uint8_t blue = Io_Read_Byte(r);
  std::uint8_t alpha = Io_Read_Byte(r);
  return Make_Color(red, green, blue, alpha);
}

void Io_Write_Color_RGBA(TIo_Writer& w, TColor value) {
  Io_Write_Byte(w, Color_Red(value));
  Io_Write_Byte(w, Color_Green(value));
  Io_Write_Byte(w, Color_Blue(value));
  Io_Write_Byte(w, Color_Alpha(value));
}

bool Io_Read_String_List(TIo_Reader& r, std::vector<std::string>& list) {
  list.clear();
  std::uint16_t n = Read_Count(r);
  list.reserve(n);
  for (std::uint16_t i = 0; i < n; ++i) list.push_back(Io_Read_String(r));
  return true;
}

void Io_Write_String_List(TIo_Writer& w, const std::vector<std::string>& list) {
  Io_Write_Word(w, Checked_Cast<std::uint16_t>(list.size()));
  for (const std::string& s : list) Io_Write_String(w, s);
}

bool Io_Read_Longint_List(TIo_Reader& r, TLongintList& list) {
  list.m_Clear();
  std::uint16_t n = Read_Count(r);
  list.m_Set_Capacity(n);
  for (std::uint16_t i = 0; i < n; ++i) list.m_Add(Io_Read_Integer(r));
  return true;
}

void Io_Write_Longint_List(TIo_Writer& w, const TLongintList& list) {
  Io_Write_Word(w, Checked_Cast<std::uint16_t>(list.m_Count()));
  for (std::int32_t i = 1; i <= list.m_Count(); ++i) Io_Write_Integer(w, list.m_Get(i));
}

// ---------------------------------------------------------------- owners

namespace {
void Report_File_Error(const std::string& text, const std::string& file_name, const std::string& cause) {
  if (Debug_Sections[DEBUG_SAVE_LOAD]) Debug_Log_Write(text + file_name + " (" + cause + ")");
  Shell_Services().m_Show_Message("Error", text + file_name, 0);
}
}  // namespace

bool Io_Save_To_File(const std::string& file_name, const std::function<void(TIo_Writer&)>& write) {
  if (file_name.empty()) return false;
  try {
    TIo_Writer w(file_name);
    write(w);
    w.m_Close();
    return true;
  } catch (const std::exception& e) {
    Report_File_Error("Save file error: ", file_name, e.what());
    return false;
  }
}

bool Io_Load_From_File(const std::string& file_name, const std::function<void(TIo_Reader&)>& read) {
  if (file_name.empty()) return false;
  try {
    TIo_Reader r(file_name);
    read(r);
    r.m_Close();
    return true;
  } catch (const std::exception& e) {
    Report_File_Error("Load file error: ", file_name, e.what());
    return false;
  }
}
