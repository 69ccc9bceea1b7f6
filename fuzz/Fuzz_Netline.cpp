// Fuzzes the network message codec: a received line is read field by field
// in a layout picked by the first byte, as a handler reads its message.
// Every value read must encode back into its field's width and read back
// the same; a broken field raises our conversion or range error.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Errors.h"
#include "Fuzz_Support.h"
#include "Multiplayer_Types.h"

namespace {
// The distance from a single to the next one away from zero.
double Ulp(float v) {
  const float a = std::fabs(v);
  return double(std::nextafter(a, INFINITY)) - double(a);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::uint32_t layout = data[0];
  std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
  if (line.size() >= std::size_t(MP_Frame_Header_Size)) {
    unsigned char header[8];
    std::memcpy(header, line.data(), 8);
    const THdrRec h = MP_Read_Frame_Header(header);
    unsigned char again[8];
    MP_Write_Frame_Header(h, again);
    if (std::memcmp(header, again, 8) != 0) __builtin_trap();
  }
  try {
    for (int field = 0; field < 64 && !line.empty(); ++field) {
      switch ((layout >> ((field % 4) * 2)) & 3u) {
        case 0: {
          const std::int32_t v = MP_Decode_Integer(line);
          std::string e = MP_Encode_Integer(v);
          if (e.size() != 11 || MP_Decode_Integer(e) != v) __builtin_trap();
          break;
        }
        case 1: {
          const float v = MP_Decode_Single(line);
          std::string e = MP_Encode_Single(v);
          if (e.size() != 15) __builtin_trap();
          const float back = MP_Decode_Single(e);
          if (v == v && !(back == v || std::fabs(double(back) - v) <= std::max(0.00005 + Ulp(v), std::fabs(double(v)) * 1e-7)))
            __builtin_trap();
          break;
        }
        case 2: {
          const std::string v = MP_Decode_String(line);
          std::string e = MP_Encode_String(v);
          if (MP_Decode_String(e) != v || !e.empty()) __builtin_trap();
          break;
        }
        default: {
          const std::uint16_t w = MP_Decode_Word(line);
          std::string e = MP_Encode_Word(w);
          if (e.size() != 5 || MP_Decode_Word(e) != w) __builtin_trap();
          if (!line.empty()) {
            const std::uint8_t b = MP_Decode_Byte(line);
            std::string eb = MP_Encode_Byte(b);
            if (eb.size() != 3 || MP_Decode_Byte(eb) != b) __builtin_trap();
          }
          if (!line.empty()) MP_Decode_Boolean(line);
          break;
        }
      }
      layout = layout * 1103515245u + 12345u;
    }
  } catch (const EConvertError&) {
  } catch (const ERangeError&) {
  }
  return 0;
}
