#include <gtest/gtest.h>

#include <zlib.h>

#include "Global.h"
#include "Io_Compress.h"
#include "Path.h"
#include "Test_Support.h"

namespace {
std::string Sample(std::size_t n) {
  std::string s;
  s.reserve(n);
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s += char(i % 7 == 0 ? (x >> 24) : 'a' + i % 13);
  }
  return s;
}

std::size_t Files_In(const std::filesystem::path& dir) {
  std::size_t n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file();
  return n;
}
}  // namespace

TEST(Io_Compress, RoundTrip) {
  TTemp_Dir dir;
  std::string name = dir.design() + "CurrentMap.map";
  for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(1200000)}) {
    std::string original = Sample(size);
    Write_File(dir.path() / "CurrentMap.map", original);
    ASSERT_TRUE(File_Compress(name)) << size;
    std::string packed = Read_File(dir.path() / "CurrentMap.map");
    // One zlib stream at the default level.
    uLongf out_len = static_cast<uLongf>(size + 1);
    std::string check(out_len, '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(check.data()), &out_len,
                         reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size())),
              Z_OK);
    EXPECT_EQ(check.substr(0, out_len), original);
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x9C);
    ASSERT_TRUE(File_Decompress(name)) << size;
    EXPECT_EQ(Read_File(dir.path() / "CurrentMap.map"), original);
    EXPECT_EQ(Files_In(dir.path()), 1u);  // no temporary file left
  }
}

TEST(Io_Compress, MissingFile) {
  TTemp_Dir dir;
  EXPECT_FALSE(File_Compress(dir.design() + "Missing.map"));
  EXPECT_FALSE(File_Decompress(dir.design() + "Missing.map"));
  EXPECT_EQ(Files_In(dir.path()), 0u);
}

TEST(Io_Compress, CorruptStreamsAreErrors) {
  TTemp_Dir dir;
  std::string packed;
  {
    std::string original = Sample(100000);
    uLongf len = compressBound(static_cast<uLong>(original.size()));
    packed.resize(len);
    compress(reinterpret_cast<Bytef*>(packed.data()), &len, reinterpret_cast<const Bytef*>(original.data()),
             static_cast<uLong>(original.size()));
    packed.resize(len);
  }
  std::string flipped = packed;
  flipped[packed.size() / 2] = char(flipped[packed.size() / 2] ^ 0x55);
  struct Row {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"empty", ""},
      {"not zlib", "plain text, not compressed"},
      {"truncated", packed.substr(0, packed.size() / 2)},
      {"damaged", flipped},
      {"trailing bytes", packed + "xyz"},
  };
  for (const Row& r : rows) {
    Write_File(dir.path() / "x.map", r.bytes);
    EXPECT_FALSE(File_Decompress(dir.design() + "x.map")) << r.what;
    EXPECT_EQ(Read_File(dir.path() / "x.map"), r.bytes) << r.what;  // left as it was
    EXPECT_EQ(Files_In(dir.path()), 1u) << r.what;
  }
}

TEST(Io_Compress, OversizedOutputIsRefused) {
  TTemp_Dir dir;
  // A small stream of zeros that would inflate to just over the limit.
  std::string packed;
  {
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    std::string zeros(1 << 20, '\0');
    std::string out(1 << 16, '\0');
    std::uint64_t total = File_Decompress_Limit + 1;
    while (true) {
      std::uint64_t part = std::min<std::uint64_t>(total, zeros.size());
      total -= part;
      z.next_in = reinterpret_cast<Bytef*>(zeros.data());
      z.avail_in = static_cast<uInt>(part);
      int flush = total == 0 ? Z_FINISH : Z_NO_FLUSH;
      int rc;
      do {
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        rc = deflate(&z, flush);
        packed.append(out.data(), out.size() - z.avail_out);
      } while (z.avail_out == 0);
      if (rc == Z_STREAM_END) break;
    }
    deflateEnd(&z);
  }
  Write_File(dir.path() / "big.map", packed);
  EXPECT_FALSE(File_Decompress(dir.design() + "big.map"));
  EXPECT_EQ(Read_File(dir.path() / "big.map"), packed);
  EXPECT_EQ(Files_In(dir.path()), 1u);
}

TEST(Io_Compress, TheTemporaryFileLiesInTheTempFolder) {
  TTemp_Dir user, files;
  std::string saved_user = User_Folder;
  TPath_Settings* saved_paths = Path_Settings;
  User_Folder = user.design();
  std::filesystem::create_directories(user.path() / "temp");
  TPath_Settings paths;
  Path_Settings = &paths;
  // A file of that name already there is not touched.
  Write_File(user.path() / "temp" / "temp_1.dat", "busy");
  std::string original = Sample(5000);
  Write_File(files.path() / "Empires.dat", original);
  EXPECT_TRUE(File_Compress(files.design() + "Empires.dat"));
  EXPECT_NE(Read_File(files.path() / "Empires.dat"), original);
  EXPECT_TRUE(File_Decompress(files.design() + "Empires.dat"));
  EXPECT_EQ(Read_File(files.path() / "Empires.dat"), original);
  EXPECT_EQ(Read_File(user.path() / "temp" / "temp_1.dat"), "busy");
  EXPECT_EQ(Files_In(user.path() / "temp"), 1u);
  EXPECT_EQ(Files_In(files.path()), 1u);
  Path_Settings = saved_paths;
  User_Folder = saved_user;
}
