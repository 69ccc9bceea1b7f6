// What a hostile picture costs before it is refused: for every file given
// (default: fuzz/reproducers/image of the source tree), the result of
// Image_Decode, the time of one decode (median of 20) and the growth of
// the process's peak memory while decoding it, each file in a process of
// its own so that one file's peak is not another's.
//
//   Image_Refusal_Bench [file or folder ...]
//   Image_Refusal_Bench --write <folder>   writes the picture reproducers
//
// The reproducers are made here, from our own encoders, not taken from
// anywhere: a 68-byte PNG whose header names a 16-bit grey picture of
// 1536 x 37,124 pixels with the data cut after a few bytes, a baseline JPEG
// cut in the middle of its scan, and a progressive JPEG of 4096 x 4096
// pixels cut in its first scans, whose coefficients alone would take 96 MB.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Image_Files.h"

namespace fs = std::filesystem;

namespace {

void Put32_Big(std::string& s, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char((v >> shift) & 0xFF));
}

std::string Chunk(const char* type, const std::string& data) {
  std::string c;
  Put32_Big(c, std::uint32_t(data.size()));
  const std::string body = std::string(type, 4) + data;
  c += body;
  Put32_Big(c, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
  return c;
}

// Signature, IHDR of a 1536 x 37,124 16-bit grey picture, and an IDAT chunk
// that claims 65,536 bytes of which the file holds the first 27: 68 bytes.
std::string Cut_Short_Png() {
  std::string ihdr;
  Put32_Big(ihdr, 1536);
  Put32_Big(ihdr, 37124);
  ihdr += std::string("\x10\x00\x00\x00\x00", 5);  // depth 16, grey, deflate, filter 0, not interlaced
  std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + Chunk("IHDR", ihdr);
  // The start of the picture's real data: rows of zeros, deflated.
  const std::string rows(std::size_t(4) * (1 + 1536 * 2), '\0');
  std::vector<Bytef> packed(compressBound(uLong(rows.size())));
  uLongf packed_size = uLongf(packed.size());
  compress2(packed.data(), &packed_size, reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()), 9);
  Put32_Big(png, 65536);
  png += "IDAT";
  png.append(reinterpret_cast<const char*>(packed.data()), std::min<std::size_t>(packed_size, 27));
  png.resize(68, '\0');
  return png;
}

// Noise, so that the scan is long and a cut falls well inside it.
TImage Noise(std::int32_t w, std::int32_t h) {
  TImage img;
  img.Set_Size(w, h);
  std::uint32_t x = 12345;
  for (std::uint32_t& p : img.pixels) {
    x = x * 1103515245u + 12345u;
    p = 0xFF000000u | (x >> 8);
  }
  return img;
}

std::string Progressive_Jpeg(std::int32_t w, std::int32_t h) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  jpeg_mem_dest(&cinfo, &buffer, &length);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 75, TRUE);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> line(std::size_t(w) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t y = cinfo.next_scanline;
    for (std::int32_t x = 0; x < w; ++x) {
      // Soft stripes: enough data that the header's size is within what
      // the file could describe, little enough to write quickly.
      const unsigned char v = static_cast<unsigned char>(((x / 512) + (y / 512)) % 2 ? 200 : 60);
      line[std::size_t(x) * 3] = line[std::size_t(x) * 3 + 1] = line[std::size_t(x) * 3 + 2] = v;
    }
    JSAMPROW rows[1] = {line.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), length);
  std::free(buffer);
  return out;
}

bool Write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  std::printf("%s: %zu bytes\n", file.string().c_str(), bytes.size());
  return bool(out);
}

int Write_Reproducers(const fs::path& dir) {
  fs::create_directories(dir);
  bool ok = Write(dir / "png-16bit-grey-1536x37124-cut-at-68-bytes.png", Cut_Short_Png());
  std::string jpeg;
  if (!JPEG_Encode(Noise(320, 240), 90, jpeg)) return 1;
  ok = Write(dir / "jpeg-320x240-cut-in-the-middle-of-its-scan.jpg", jpeg.substr(0, jpeg.size() / 2)) && ok;
  const std::string progressive = Progressive_Jpeg(4096, 4096);
  ok = Write(dir / "jpeg-progressive-4096x4096-cut-in-its-first-scans.jpg",
             progressive.substr(0, progressive.size() * 3 / 4)) &&
       ok;
  return ok ? 0 : 1;
}

// A number of kB from a line of /proc/self/status ("VmHWM:  1234 kB").
long Status_Kb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(key);
  while (std::getline(in, line))
    if (line.compare(0, n, key) == 0) return std::atol(line.c_str() + n + 1);
  return -1;
}

struct TResult {
  int decoded = 0;
  int width = 0, height = 0;
  double micros = 0;
  long peak_kb = 0;
  char why[96] = {};
};

// In a child process: the peak is reset, one decode measured for memory,
// then 20 for time.
TResult Measure(const std::string& bytes) {
  TResult r;
  {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";  // resets the peak resident size to the current one
  }
  const long before = Status_Kb("VmRSS:");
  TImage image;
  std::string why;
  r.decoded = Image_Decode(bytes.data(), bytes.size(), image, &why) ? 1 : 0;
  r.peak_kb = Status_Kb("VmHWM:") - before;
  r.width = image.width;
  r.height = image.height;
  std::snprintf(r.why, sizeof r.why, "%s", why.c_str());
  image.Clear();
  std::vector<double> times;
  for (int i = 0; i < 20; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    Image_Decode(bytes.data(), bytes.size(), image, &why);
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
    image.Clear();
  }
  std::sort(times.begin(), times.end());
  r.micros = times[times.size() / 2];
  return r;
}

int Report(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return 1;
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_fds[0]);
    const TResult r = Measure(bytes);
    const ssize_t written = write(pipe_fds[1], &r, sizeof r);
    _exit(written == ssize_t(sizeof r) ? 0 : 1);
  }
  close(pipe_fds[1]);
  TResult r;
  const bool got = read(pipe_fds[0], &r, sizeof r) == ssize_t(sizeof r);
  close(pipe_fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!got) {
    std::printf("%-58s  the measuring process failed\n", file.filename().string().c_str());
    return 1;
  }
  std::printf("%-58s %9zu bytes  %-9s %-26s %10.1f us  peak +%6.1f MB\n", file.filename().string().c_str(),
              bytes.size(), r.decoded ? "decoded" : "refused",
              r.decoded ? (std::to_string(r.width) + " x " + std::to_string(r.height)).c_str() : r.why, r.micros,
              double(r.peak_kb) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write") == 0) return Write_Reproducers(argv[2]);
  std::vector<fs::path> files;
  std::vector<fs::path> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  if (args.empty()) {
    const char* source = std::getenv("GLOBARCH_SOURCE_DIR");
    args.push_back(fs::path(source ? source : ".") / "fuzz" / "reproducers" / "image");
  }
  for (const fs::path& a : args) {
    std::error_code ec;
    if (fs::is_directory(a, ec)) {
      for (const auto& e : fs::directory_iterator(a))
        if (e.is_regular_file()) files.push_back(e.path());
    } else {
      files.push_back(a);
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "usage: Image_Refusal_Bench [file or folder ...] | --write <folder>\n");
    return 2;
  }
  int failures = 0;
  for (const fs::path& f : files) failures += Report(f);
  return failures == 0 ? 0 : 1;
}
