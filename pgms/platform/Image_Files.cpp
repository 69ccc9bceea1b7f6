#include "Image_Files.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string_view>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include "Native_Path.h"

void TImage::Set_Size(std::int32_t w, std::int32_t h, std::uint32_t fill) {
  width = w > 0 ? w : 0;
  height = h > 0 ? h : 0;
  pixels.assign(std::size_t(width) * std::size_t(height), fill);
}

void TImage::Clear() {
  width = 0;
  height = 0;
  pixels.clear();
  pixels.shrink_to_fit();
}

namespace {

bool Fail(TImage& image, std::string* error, const char* why) {
  image.Clear();
  if (error) *error = why;
  return false;
}

bool Size_Acceptable(std::uint64_t w, std::uint64_t h) {
  return w >= 1 && h >= 1 && w <= std::uint64_t(Image_Max_Side) && h <= std::uint64_t(Image_Max_Side) &&
         w * h <= Image_Max_Pixels;
}

// Little-endian reads from a range that the caller has checked.
std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

void Put16(std::string& s, std::uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

// One colour channel described by a bit mask of a 16- or 32-bit pixel.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit TChannel(std::uint32_t m = 0) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  // The channel's value scaled to 0..255; `none` when there is no mask.
  std::uint32_t Get(std::uint32_t v, std::uint32_t none) const {
    if (!mask) return none;
    std::uint64_t raw = (v & mask) >> shift;
    return std::uint32_t((raw * 255 + max / 2) / max);
  }
};

}  // namespace

TImage_Format Image_Detect_Format(const void* data, std::size_t size) {
  auto p = static_cast<const std::uint8_t*>(data);
  if (size >= 2 && p[0] == 'B' && p[1] == 'M') return TImage_Format::BMP;
  if (size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return TImage_Format::JPEG;
  if (size >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return TImage_Format::PNG;
  return TImage_Format::Unknown;
}

// ---------------------------------------------------------------------------
// Windows bitmaps

bool BMP_Decode(const void* data, std::size_t size, TImage& image, std::string* error) {
  auto p = static_cast<const std::uint8_t*>(data);
  image.Clear();
  if (!p || size < 14 + 12) return Fail(image, error, "Bitmap file too short");
  if (p[0] != 'B' || p[1] != 'M') return Fail(image, error, "Not a bitmap file");
  std::uint64_t bits_offset = Get32(p + 10);
  std::uint32_t header_size = Get32(p + 14);

  std::int64_t width = 0, height = 0;
  std::uint32_t bit_count = 0, compression = 0, colours_used = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  bool has_masks = false;
  std::uint64_t palette_at = 0;
  std::uint32_t palette_entry = 4;

  if (header_size == 12) {
    // The old core header: 16-bit sizes, 3-byte palette entries.
    width = Get16(p + 18);
    height = Get16(p + 20);
    bit_count = Get16(p + 24);
    palette_at = 14 + 12;
    palette_entry = 3;
  } else if (header_size == 40 || header_size == 52 || header_size == 56 || header_size == 64 ||
             header_size == 108 || header_size == 124) {
    if (size < 14 + std::uint64_t(header_size)) return Fail(image, error, "Bitmap header truncated");
    width = std::int32_t(Get32(p + 18));
    height = std::int32_t(Get32(p + 22));
    bit_count = Get16(p + 28);
    compression = Get32(p + 30);
    colours_used = Get32(p + 46);
    palette_at = 14 + std::uint64_t(header_size);
    if (header_size == 64) {
      // The OS/2 form has no masks.
    } else if (compression == 3 || compression == 6) {
      if (header_size >= 52) {
        for (int i = 0; i < 3; ++i) masks[i] = Get32(p + 54 + 4 * i);
        if (header_size >= 56) masks[3] = Get32(p + 66);
      } else {
        // The masks follow the short header.
        std::uint32_t n = compression == 6 ? 4 : 3;
        if (size < palette_at + 4 * n) return Fail(image, error, "Bitmap header truncated");
        for (std::uint32_t i = 0; i < n; ++i) masks[i] = Get32(p + palette_at + 4 * i);
        palette_at += 4 * n;
      }
      has_masks = true;
    } else if (header_size >= 56 && compression == 0) {
      masks[3] = Get32(p + 66);  // an alpha mask may accompany plain pixels
    }
  } else {
    return Fail(image, error, "Unsupported bitmap header");
  }

  if (width <= 0 || height == 0) return Fail(image, error, "Bad bitmap size");
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (!Size_Acceptable(std::uint64_t(width), std::uint64_t(height)))
    return Fail(image, error, "Bitmap too large");

  switch (bit_count) {
    case 1: case 4: case 8: case 24:
      if (compression != 0) return Fail(image, error, "Unsupported bitmap compression");
      break;
    case 16: case 32:
      if (compression != 0 && compression != 3 && compression != 6)
        return Fail(image, error, "Unsupported bitmap compression");
      break;
    default:
      return Fail(image, error, "Unsupported bitmap depth");
  }
  if (bit_count == 32 && (header_size == 12)) return Fail(image, error, "Unsupported bitmap depth");

  // Palette (opaque black where the file gives no entry).
  std::uint32_t palette[256];
  for (auto& c : palette) c = 0xFF000000u;
  if (bit_count <= 8) {
    std::uint32_t entries = 1u << bit_count;
    if (colours_used != 0 && colours_used < entries) entries = colours_used;
    if (palette_at + std::uint64_t(entries) * palette_entry > size)
      return Fail(image, error, "Bitmap palette truncated");
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = p + palette_at + std::uint64_t(i) * palette_entry;
      palette[i] = 0xFF000000u | (std::uint32_t(e[2]) << 16) | (std::uint32_t(e[1]) << 8) | e[0];
    }
  }

  std::uint64_t stride = ((std::uint64_t(width) * bit_count + 31) / 32) * 4;
  if (bits_offset < palette_at || bits_offset > size) return Fail(image, error, "Bad bitmap data offset");
  if (stride * std::uint64_t(height) > size - bits_offset) return Fail(image, error, "Bitmap data truncated");

  // Channels of 16- and 32-bit pixels.
  TChannel red, green, blue, alpha;
  if (bit_count == 16 || bit_count == 32) {
    if (has_masks) {
      red = TChannel(masks[0]);
      green = TChannel(masks[1]);
      blue = TChannel(masks[2]);
      alpha = TChannel(masks[3]);
    } else if (bit_count == 16) {
      red = TChannel(0x7C00);
      green = TChannel(0x03E0);
      blue = TChannel(0x001F);
      alpha = TChannel(masks[3] & 0xFFFF);
    } else {
      red = TChannel(0x00FF0000);
      green = TChannel(0x0000FF00);
      blue = TChannel(0x000000FF);
      alpha = TChannel(0xFF000000);
    }
  }

  image.Set_Size(std::int32_t(width), std::int32_t(height));
  const std::uint8_t* bits = p + bits_offset;
  bool any_alpha = false;
  for (std::int64_t row = 0; row < height; ++row) {
    const std::uint8_t* src = bits + std::uint64_t(row) * stride;
    std::int32_t y = std::int32_t(top_down ? row : height - 1 - row);
    std::uint32_t* dst = image.Row(y);
    for (std::int64_t x = 0; x < width; ++x) {
      std::uint32_t c;
      switch (bit_count) {
        case 1: c = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: c = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F]; break;
        case 8: c = palette[src[x]]; break;
        case 24: {
          const std::uint8_t* q = src + 3 * x;
          c = 0xFF000000u | (std::uint32_t(q[2]) << 16) | (std::uint32_t(q[1]) << 8) | q[0];
          break;
        }
        default: {
          std::uint32_t v = bit_count == 16 ? Get16(src + 2 * x) : Get32(src + 4 * x);
          std::uint32_t a = alpha.Get(v, 255);
          if (alpha.mask && a != 0) any_alpha = true;
          c = (a << 24) | (red.Get(v, 0) << 16) | (green.Get(v, 0) << 8) | blue.Get(v, 0);
          break;
        }
      }
      dst[x] = c;
    }
  }
  // A plain 32-bit bitmap whose alpha bytes are all zero is an opaque picture
  // written by a program that ignores alpha.
  if ((bit_count == 16 || bit_count == 32) && alpha.mask && !any_alpha && compression == 0) {
    for (auto& c : image.pixels) c |= 0xFF000000u;
  }
  if (error) error->clear();
  return true;
}

std::string BMP_Encode_24(const TImage& image) {
  std::int32_t w = image.Empty() ? 0 : image.width, h = image.Empty() ? 0 : image.height;
  std::uint32_t stride = std::uint32_t(((std::uint64_t(w) * 24 + 31) / 32) * 4);
  std::uint32_t data_size = stride * std::uint32_t(h);
  std::string s;
  s.reserve(54 + data_size);
  s += "BM";
  Put32(s, 54 + data_size);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, std::uint32_t(w));
  Put32(s, std::uint32_t(h));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, data_size);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  for (std::int32_t y = h - 1; y >= 0; --y) {
    const std::uint32_t* row = image.Row(y);
    std::size_t start = s.size();
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint32_t c = row[x];
      s.push_back(char(c & 0xFF));
      s.push_back(char((c >> 8) & 0xFF));
      s.push_back(char((c >> 16) & 0xFF));
    }
    s.append(stride - (s.size() - start), '\0');
  }
  return s;
}

std::string BMP_Encode_1_Rows(std::int32_t width, std::int32_t height,
                              const std::function<void(std::int32_t, std::uint8_t*)>& row_of) {
  const std::int32_t w = width > 0 && height > 0 ? width : 0, h = width > 0 && height > 0 ? height : 0;
  std::uint32_t stride = std::uint32_t(((std::uint64_t(w) + 31) / 32) * 4);
  std::uint32_t data_size = stride * std::uint32_t(h);
  std::uint32_t offset = 14 + 40 + 8;
  std::string s;
  s.reserve(offset + data_size);
  s += "BM";
  Put32(s, offset + data_size);
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, std::uint32_t(w));
  Put32(s, std::uint32_t(h));
  Put16(s, 1);
  Put16(s, 1);
  Put32(s, 0);
  Put32(s, data_size);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 2);
  Put32(s, 2);
  Put32(s, 0x00000000);  // black
  Put32(s, 0x00FFFFFF);  // white
  s.resize(std::size_t(offset) + data_size, '\0');
  for (std::int32_t y = h - 1; y >= 0; --y)
    row_of(y, reinterpret_cast<std::uint8_t*>(s.data()) + offset + std::size_t(h - 1 - y) * stride);
  return s;
}

std::string BMP_Encode_1(const TImage& image) {
  return BMP_Encode_1_Rows(image.Empty() ? 0 : image.width, image.Empty() ? 0 : image.height,
                           [&](std::int32_t y, std::uint8_t* line) {
                             const std::uint32_t* row = image.Row(y);
                             for (std::int32_t x = 0; x < image.width; ++x) {
                               std::uint32_t c = row[x];
                               unsigned sum = ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
                               if (sum >= 383) line[std::size_t(x) >> 3] |= std::uint8_t(0x80 >> (x & 7));
                             }
                           });
}

// ---------------------------------------------------------------------------
// JPEG

namespace {

// Pixels a byte of JPEG data can stand for at most: a flat 16 x 16 block
// group costs at least about 12 bits (some 170 pixels a byte); this leaves
// a wide margin.
constexpr std::uint64_t Jpeg_Max_Pixels_Per_Byte = 2048;
// The most a picture's whole-image coefficient buffers may take (a
// progressive picture of about 10 million pixels in full colour).
constexpr long Jpeg_Max_Coefficient_Memory = 64L * 1024 * 1024;

struct TJpeg_Error {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  bool truncated = false;
  char text[JMSG_LENGTH_MAX];
};

void Jpeg_Error_Exit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpeg_Error*>(cinfo->err);
  err->mgr.format_message(cinfo, err->text);
  std::longjmp(err->jump, 1);
}

void Jpeg_Message(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<TJpeg_Error*>(cinfo->err);
  // Warnings: remember a premature end of data (a truncated file); the
  // library then fills the rest with grey, which we refuse.
  // A scan that stops at a marker (the data cut and an end-of-image marker
  // behind it) or that loses its place is filled the same way.
  if (level < 0) {
    const int code = err->mgr.msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC || code == JWRN_HUFF_BAD_CODE)
      err->truncated = true;
  }
}

// Every picture's data ends with the end-of-image marker (FF D9), which
// the coded data of a scan never holds: without one behind the first scan's
// start the file was cut, which the library would find only at the end of a
// long decode.
bool Jpeg_Has_End(const void* data, std::size_t size) {
  const std::string_view bytes(static_cast<const char*>(data), size);
  const std::size_t scan = bytes.find(std::string_view("\xFF\xDA", 2));
  return scan != std::string_view::npos &&
         bytes.find(std::string_view("\xFF\xD9", 2), scan + 2) != std::string_view::npos;
}

// The decoder itself. Everything that lives across setjmp is either set
// before it or reached through pointers, so that a jump back leaves nothing
// undefined. Returns an error text or nullptr.
const char* Jpeg_Decode_Into(const std::uint8_t* data, std::size_t size, bool has_end, TImage* image, TJpeg_Error* err,
                             jpeg_decompress_struct* cinfo) {
  cinfo->err = jpeg_std_error(&err->mgr);
  err->mgr.error_exit = Jpeg_Error_Exit;
  err->mgr.emit_message = Jpeg_Message;
  err->text[0] = 0;
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(cinfo);
    // Coefficients beyond Jpeg_Max_Coefficient_Memory: the library would
    // need a backing store, which it has not.
    if (err->mgr.msg_code == JERR_NO_BACKING_STORE) return "JPEG too large";
    return err->text[0] ? err->text : "JPEG decoding failed";
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(cinfo);
    return "JPEG header missing";
  }
  // Even a picture of one flat colour takes some bits for every 8 x 8 block:
  // a header claiming far more pixels than the data can describe is refused
  // before the picture is allocated.
  if (!Size_Acceptable(cinfo->image_width, cinfo->image_height) ||
      std::uint64_t(cinfo->image_width) * cinfo->image_height > std::uint64_t(size) * Jpeg_Max_Pixels_Per_Byte) {
    jpeg_destroy_decompress(cinfo);
    return "JPEG too large";
  }
  // A file cut short is refused before anything is decoded.
  if (!has_end) {
    jpeg_destroy_decompress(cinfo);
    return "JPEG data truncated";
  }
  // A progressive (or multi-scan) picture keeps all its coefficients until
  // the last scan; however little data there is, they are held within this
  // bound (the library refuses the picture beyond it).
  cinfo->mem->max_memory_to_use = Jpeg_Max_Coefficient_Memory;
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != 3) {
    jpeg_destroy_decompress(cinfo);
    return "Unsupported JPEG colour space";
  }
  // The picture grows by the rows actually decoded: data that ends early
  // costs no more than the rows it held.
  image->width = std::int32_t(cinfo->output_width);
  image->height = 0;
  const std::size_t total = std::size_t(cinfo->output_width) * cinfo->output_height;
  std::uint8_t* line = static_cast<std::uint8_t*>(
      (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                  cinfo->output_width * 3, 1)[0]);
  while (cinfo->output_scanline < cinfo->output_height) {
    std::int32_t y = std::int32_t(cinfo->output_scanline);
    JSAMPROW rows[1] = {line};
    if (jpeg_read_scanlines(cinfo, rows, 1) != 1) break;
    const std::size_t end = std::size_t(y + 1) * std::size_t(image->width);
    if (end > image->pixels.capacity())
      image->pixels.reserve(std::min(total, std::max(end, 2 * image->pixels.capacity())));
    image->pixels.resize(end);
    image->height = y + 1;
    std::uint32_t* dst = image->Row(y);
    for (std::int32_t x = 0; x < image->width; ++x) {
      const std::uint8_t* q = line + 3 * x;
      dst[x] = 0xFF000000u | (std::uint32_t(q[0]) << 16) | (std::uint32_t(q[1]) << 8) | q[2];
    }
    if (err->truncated) break;
  }
  bool complete = cinfo->output_scanline == cinfo->output_height && !err->truncated;
  if (complete) jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  if (!complete || err->truncated) return "JPEG data truncated";
  return nullptr;
}

struct TJpeg_Dest_Error {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

void Jpeg_Dest_Error_Exit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpeg_Dest_Error*>(cinfo->err);
  err->mgr.format_message(cinfo, err->text);
  std::longjmp(err->jump, 1);
}

const char* Jpeg_Encode_Into(const TImage* image, int quality, std::uint8_t** buffer, unsigned long* length,
                             std::uint8_t* line, TJpeg_Dest_Error* err, jpeg_compress_struct* cinfo) {
  cinfo->err = jpeg_std_error(&err->mgr);
  err->mgr.error_exit = Jpeg_Dest_Error_Exit;
  err->text[0] = 0;
  if (setjmp(err->jump)) {
    jpeg_destroy_compress(cinfo);
    return err->text[0] ? err->text : "JPEG encoding failed";
  }
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, buffer, length);
  cinfo->image_width = JDIMENSION(image->width);
  cinfo->image_height = JDIMENSION(image->height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    const std::uint32_t* src = image->Row(std::int32_t(cinfo->next_scanline));
    for (std::int32_t x = 0; x < image->width; ++x) {
      line[3 * x] = std::uint8_t(src[x] >> 16);
      line[3 * x + 1] = std::uint8_t(src[x] >> 8);
      line[3 * x + 2] = std::uint8_t(src[x]);
    }
    JSAMPROW rows[1] = {line};
    jpeg_write_scanlines(cinfo, rows, 1);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return nullptr;
}

}  // namespace

bool JPEG_Decode(const void* data, std::size_t size, TImage& image, std::string* error) {
  image.Clear();
  if (!data || size < 4 || size > std::numeric_limits<unsigned long>::max())
    return Fail(image, error, "JPEG file too short");
  TJpeg_Error err;
  jpeg_decompress_struct cinfo;
  const char* why =
      Jpeg_Decode_Into(static_cast<const std::uint8_t*>(data), size, Jpeg_Has_End(data, size), &image, &err, &cinfo);
  if (why) return Fail(image, error, why);
  if (error) error->clear();
  return true;
}

bool JPEG_Encode(const TImage& image, int quality, std::string& out, std::string* error) {
  out.clear();
  if (image.Empty()) {
    if (error) *error = "Empty picture";
    return false;
  }
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  std::vector<std::uint8_t> line(std::size_t(image.width) * 3);
  std::uint8_t* buffer = nullptr;
  unsigned long length = 0;
  TJpeg_Dest_Error err;
  jpeg_compress_struct cinfo;
  const char* why = Jpeg_Encode_Into(&image, quality, &buffer, &length, line.data(), &err, &cinfo);
  if (buffer) {
    if (!why) out.assign(reinterpret_cast<const char*>(buffer), length);
    std::free(buffer);
  }
  if (why) {
    if (error) *error = why;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// PNG (libpng's simplified reader, which keeps its own error recovery)

namespace {

// Bytes one compressed byte can inflate to at most: a deflate match of 258
// bytes costs at least 2 bits (about 1032:1, zlib's best ratio).
constexpr std::uint64_t Png_Max_Inflate_Ratio = 1032;

std::uint32_t Get32_Big(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

// Whether the image data present in the file could hold the picture its
// header (already checked by libpng) names: a row is a filter byte and its
// pixels (an interlaced picture needs a little more), and the IDAT bytes
// actually present inflate to at most Png_Max_Inflate_Ratio times their
// number. A file cut short, or one whose header claims far more than its
// data, is refused here, before the picture is allocated.
bool Png_Data_Can_Fill(const std::uint8_t* data, std::size_t size) {
  if (size < 33) return false;
  if (std::memcmp(data + 12, "IHDR", 4) != 0) return false;
  const std::uint64_t width = Get32_Big(data + 16), height = Get32_Big(data + 20);
  const std::uint64_t depth = data[24];
  std::uint64_t channels = 1;
  switch (data[25]) {
    case 2: channels = 3; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: channels = 1; break;  // grey, palette
  }
  const std::uint64_t row_bytes = (width * channels * depth + 7) / 8;
  const std::uint64_t needed = height * (1 + row_bytes);
  std::uint64_t present = 0;
  for (std::size_t pos = 8; pos + 8 <= size;) {
    const std::uint64_t length = Get32_Big(data + pos);
    const std::uint64_t room = size - pos - 8;
    if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) present += std::min(length, room);
    if (length + 12 > size - pos) break;
    pos += std::size_t(length) + 12;
  }
  return needed <= present * Png_Max_Inflate_Ratio;
}

}  // namespace

bool PNG_Decode(const void* data, std::size_t size, TImage& image, std::string* error) {
  image.Clear();
  if (!data || size < 8) return Fail(image, error, "PNG file too short");
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) {
    std::string why = png.message;
    png_image_free(&png);
    image.Clear();
    if (error) *error = why.empty() ? "PNG header invalid" : why;
    return false;
  }
  if (!Size_Acceptable(png.width, png.height)) {
    png_image_free(&png);
    return Fail(image, error, "PNG too large");
  }
  if (!Png_Data_Can_Fill(static_cast<const std::uint8_t*>(data), size)) {
    png_image_free(&png);
    return Fail(image, error, "PNG data truncated");
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(std::size_t(png.width) * png.height * 4);
  if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
    std::string why = png.message;
    png_image_free(&png);
    image.Clear();
    if (error) *error = why.empty() ? "PNG data invalid" : why;
    return false;
  }
  png_image_free(&png);
  image.Set_Size(std::int32_t(png.width), std::int32_t(png.height));
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const std::uint8_t* q = rgba.data() + 4 * i;
    image.pixels[i] = (std::uint32_t(q[3]) << 24) | (std::uint32_t(q[0]) << 16) | (std::uint32_t(q[1]) << 8) | q[2];
  }
  if (error) error->clear();
  return true;
}

bool Image_Decode(const void* data, std::size_t size, TImage& image, std::string* error) {
  switch (Image_Detect_Format(data, size)) {
    case TImage_Format::BMP: return BMP_Decode(data, size, image, error);
    case TImage_Format::JPEG: return JPEG_Decode(data, size, image, error);
    case TImage_Format::PNG: return PNG_Decode(data, size, image, error);
    default: return Fail(image, error, "Unknown picture format");
  }
}

// ---------------------------------------------------------------------------
// Files

bool Image_Read_Bytes(const std::string& path, std::string& bytes, std::string* error) {
  bytes.clear();
  std::ifstream in(Native_Path(path), std::ios::binary | std::ios::ate);
  if (!in) {
    if (error) *error = "File not found";
    return false;
  }
  std::streamoff length = in.tellg();
  if (length < 0 || std::uint64_t(length) > Image_Max_File_Size) {
    if (error) *error = "File too large";
    return false;
  }
  bytes.resize(std::size_t(length));
  in.seekg(0);
  if (length > 0 && !in.read(bytes.data(), length)) {
    bytes.clear();
    if (error) *error = "File cannot be read";
    return false;
  }
  return true;
}

bool Image_Read_File(const std::string& path, TImage& image, std::string* error) {
  std::string bytes;
  if (!Image_Read_Bytes(path, bytes, error)) {
    image.Clear();
    return false;
  }
  return Image_Decode(bytes.data(), bytes.size(), image, error);
}

namespace {
// A picture file is always written as a new file in place of the old one,
// never into it: a hard link to the old file (a saved game shares its
// pictures with the running game that way) keeps the old bytes.
std::ofstream Open_Fresh(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(Native_Path(path), ec);
  return std::ofstream(Native_Path(path), std::ios::binary | std::ios::trunc);
}

bool Write_Bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out = Open_Fresh(path);
  if (!out) return false;
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  return bool(out);
}
}  // namespace

bool Image_Write_BMP_24(const std::string& path, const TImage& image) {
  return Write_Bytes(path, BMP_Encode_24(image));
}

bool Image_Write_BMP_24_Rows(const std::string& path, std::int32_t width, std::int32_t height,
                             const std::function<void(std::int32_t, std::uint32_t*)>& row_of) {
  const std::int32_t w = width > 0 && height > 0 ? width : 0, h = width > 0 && height > 0 ? height : 0;
  const std::uint32_t stride = std::uint32_t(((std::uint64_t(w) * 24 + 31) / 32) * 4);
  const std::uint32_t data_size = stride * std::uint32_t(h);
  std::string header = "BM";
  Put32(header, 54 + data_size);
  Put32(header, 0);
  Put32(header, 54);
  Put32(header, 40);
  Put32(header, std::uint32_t(w));
  Put32(header, std::uint32_t(h));
  Put16(header, 1);
  Put16(header, 24);
  Put32(header, 0);
  Put32(header, data_size);
  for (int i = 0; i < 4; ++i) Put32(header, 0);
  std::ofstream out = Open_Fresh(path);
  if (!out) return false;
  out.write(header.data(), std::streamsize(header.size()));
  // Rows go out bottom row first, a batch of them per write.
  std::vector<std::uint32_t> row(std::size_t(w) + 1);
  std::string batch;
  constexpr std::size_t Batch_Bytes = std::size_t(1) << 20;
  batch.reserve(Batch_Bytes + stride);
  for (std::int32_t y = h - 1; y >= 0; --y) {
    row_of(y, row.data());
    const std::size_t start = batch.size();
    batch.resize(start + stride, '\0');
    char* to = batch.data() + start;
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint32_t c = row[std::size_t(x)];
      to[3 * x] = char(c & 0xFF);
      to[3 * x + 1] = char((c >> 8) & 0xFF);
      to[3 * x + 2] = char((c >> 16) & 0xFF);
    }
    if (batch.size() >= Batch_Bytes || y == 0) {
      out.write(batch.data(), std::streamsize(batch.size()));
      batch.clear();
    }
  }
  out.close();
  return bool(out);
}

bool Image_Write_BMP_1(const std::string& path, const TImage& image) {
  return Write_Bytes(path, BMP_Encode_1(image));
}

bool Image_Write_BMP_1_Rows(const std::string& path, std::int32_t width, std::int32_t height,
                            const std::function<void(std::int32_t, std::uint8_t*)>& row_of) {
  return Write_Bytes(path, BMP_Encode_1_Rows(width, height, row_of));
}

bool Image_Write_JPEG(const std::string& path, const TImage& image, int quality) {
  std::string bytes;
  if (!JPEG_Encode(image, quality, bytes)) return false;
  return Write_Bytes(path, bytes);
}
