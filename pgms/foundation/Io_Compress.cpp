#include "Io_Compress.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>
#include <zlib.h>

#include "Errors.h"
#include "Io.h"
#include "Native_Path.h"
#include "Path.h"

namespace {
constexpr std::size_t Block_Size = 500000;

struct TFile_Closer {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using TFile_Ptr = std::unique_ptr<std::FILE, TFile_Closer>;

// A free name in the temp folder, or next to the file while the path
// settings (or their temp folder) do not exist.
std::string Free_Temp_File(const std::string& file_name) {
  if (Path_Settings && Directory_Exists(Path_Settings->m_Get_Temp_Dir()))
    return Path_Settings->m_Get_Free_Temp_File();
  for (int n = 1;; ++n) {
    std::string candidate = file_name + ".temp_" + std::to_string(n) + ".dat";
    std::error_code ec;
    if (!std::filesystem::exists(Native_Path(candidate), ec)) return candidate;
  }
}

// Streams `in` through zlib into `out`; raises on any failure.
void Run_Stream(std::FILE* in, std::FILE* out, bool compress) {
  z_stream z{};
  int rc = compress ? deflateInit(&z, Z_DEFAULT_COMPRESSION) : inflateInit(&z);
  if (rc != Z_OK) throw EInOutError("zlib cannot start");
  struct TEnd {
    z_stream& z;
    bool compress;
    ~TEnd() { compress ? deflateEnd(&z) : inflateEnd(&z); }
  } end{z, compress};

  std::vector<unsigned char> in_block(Block_Size), out_block(Block_Size);
  bool input_done = false, stream_done = false;
  std::uint64_t produced = 0;
  while (!stream_done) {
    if (z.avail_in == 0 && !input_done) {
      std::size_t n = std::fread(in_block.data(), 1, Block_Size, in);
      if (std::ferror(in)) throw EInOutError("Read error");
      z.next_in = in_block.data();
      z.avail_in = static_cast<uInt>(n);
      input_done = n < Block_Size;
    }
    z.next_out = out_block.data();
    z.avail_out = static_cast<uInt>(Block_Size);
    if (compress) {
      rc = deflate(&z, input_done ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_ERROR) throw EInOutError("Compression failed");
      stream_done = rc == Z_STREAM_END;
    } else {
      rc = inflate(&z, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        stream_done = true;
      } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
        throw EInOutError("Corrupt compressed data");
      }
    }
    std::size_t have = Block_Size - z.avail_out;
    produced += have;
    if (!compress && produced > File_Decompress_Limit) throw EInOutError("Decompressed data too large");
    if (have > 0 && std::fwrite(out_block.data(), 1, have, out) != have) throw EInOutError("Write error");
    if (!stream_done && !compress && have == 0 && z.avail_in == 0 && input_done)
      throw EInOutError("Compressed data ends too early");
  }
  if (!compress) {
    // One stream is the whole file: nothing may follow it.
    if (z.avail_in != 0) throw EInOutError("Data after the compressed stream");
    if (!input_done && std::fgetc(in) != EOF) throw EInOutError("Data after the compressed stream");
  }
}

bool Convert_File(const std::string& file_name, bool compress) {
  std::string native = Native_Path(file_name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(native, ec)) return false;
  std::string temp_name = Free_Temp_File(file_name);
  std::string temp_native = Native_Path(temp_name);
  try {
    TFile_Ptr in(std::fopen(native.c_str(), "rb"));
    if (!in) throw EInOutError("Cannot open " + file_name);
    TFile_Ptr out(std::fopen(temp_native.c_str(), "wb"));
    if (!out) throw EInOutError("Cannot create " + temp_name);
    Run_Stream(in.get(), out.get(), compress);
    std::FILE* f = out.release();
    if (std::fclose(f) != 0) throw EInOutError("Write error");
  } catch (const std::exception&) {
    std::filesystem::remove(temp_native, ec);
    return false;
  }
  std::filesystem::copy_file(temp_native, native, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) return false;
  std::filesystem::remove(temp_native, ec);
  return true;
}
}  // namespace

bool File_Compress(const std::string& file_name) { return Convert_File(file_name, true); }

bool File_Decompress(const std::string& file_name) { return Convert_File(file_name, false); }
