// World generation: the pictures of a generated world. The terrain grid is
// painted tile by tile into a picture of the map and into a picture of the
// regions, each in its own colour; from the region picture come the regions'
// bounds, connections, rectangles, squares and click zones. The map is cut
// into 1024-pixel section JPEGs, each region gets a 1-bit mask, and a small
// overview and a land/water picture are written beside them.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>
#include <unordered_map>

#include "BitmapInterpolatedShrink.h"
#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Errors.h"
#include "Global.h"
#include "Image_Files.h"
#include "Io.h"
#include "Large_Memory.h"
#include "MapClass.h"
#include "Path.h"
#include "Window_Canvas.h"
#include "World_Links.h"

namespace {

constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Make_Color(r, g, b); }
constexpr std::uint32_t Black = 0xFF000000u;
constexpr std::uint32_t White = 0xFFFFFFFFu;
constexpr std::uint32_t Land_Marker = Rgb(5, 167, 24);
constexpr std::uint32_t Water_Marker = Rgb(10, 42, 77);
constexpr std::uint32_t Detail_Marker = Rgb(20, 24, 28);
constexpr std::uint32_t Land_Cell = Rgb(0, 128, 0);
constexpr std::uint32_t Water_Cell = Rgb(0, 0, 255);
constexpr std::uint32_t Land_Border = Rgb(80, 70, 60);
constexpr std::uint32_t Land_Border_Wide = Rgb(60, 50, 40);
constexpr std::uint32_t Water_Border = Rgb(0, 103, 232);
constexpr std::uint32_t Water_Border_Wide = Rgb(0, 83, 212);
constexpr std::uint32_t Coast_Border = White;

// The region picture holds a code per pixel rather than a colour: the id of
// the region whose colour the pixel has, or one of these for the colours the
// flooding looks for; every other colour (black, the rest of a basic tile's
// colours) is Code_Other. Region colours are unique and no region colour is
// a marker or white, so a code stands for exactly what its colour did.
constexpr std::uint16_t Code_Other = 0;
constexpr std::uint16_t Code_Land_Marker = 0xFFFD;
constexpr std::uint16_t Code_Water_Marker = 0xFFFE;
constexpr std::uint16_t Code_White = 0xFFFF;
constexpr std::int32_t Code_Max_Region = 0xFFFC;
bool Is_Region_Code(std::uint16_t code) { return code != Code_Other && code <= Code_Max_Region; }

// The last index of the run of row[x]'s code that starts at x, looking no
// further than `end` - 1; four codes are compared at a time.
std::int32_t Run_End(const std::uint16_t* row, std::int32_t x, std::int32_t end) {
  const std::uint16_t c = row[x];
  const std::uint64_t four = std::uint64_t(c) * 0x0001000100010001ull;
  std::int32_t last = x;
  while (last + 4 < end) {
    std::uint64_t next;
    std::memcpy(&next, row + last + 1, sizeof next);
    if (next != four) break;
    last += 4;
  }
  while (last + 1 < end && row[last + 1] == c) ++last;
  return last;
}
constexpr std::int32_t Map_Section_Pixels = 1024;
constexpr std::int32_t Flood_Rounds = 1000;
constexpr std::int32_t Connection_Reach = 6;
constexpr std::uint8_t SIDE_LAND = 0, SIDE_WATER = 1;

std::uint32_t Opaque(std::uint32_t c) { return c | 0xFF000000u; }

// Runs job(0) .. job(jobs - 1) on as many threads as pay (the calling
// thread is one of them), each thread taking the next job left. The first
// exception a job raises stops the others from starting new jobs and is
// raised again here.
void Run_Jobs(std::int32_t jobs, const std::function<void(std::int32_t)>& job) {
  std::atomic<std::int32_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_lock;
  auto work = [&] {
    for (std::int32_t i; (i = next.fetch_add(1)) < jobs;) {
      try {
        job(i);
      } catch (...) {
        std::lock_guard<std::mutex> hold(failure_lock);
        if (!failure) failure = std::current_exception();
        next = jobs;
      }
    }
  };
  const std::int32_t cores = std::int32_t(std::max(1u, std::thread::hardware_concurrency()));
  const std::int32_t threads = std::clamp(std::min(cores, jobs), 1, 8);
  std::vector<std::thread> helpers;
  for (std::int32_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
  if (failure) std::rethrow_exception(failure);
}

// Sections of `section` pixels that cover `pixels` (the last one padded).
std::int32_t Sections_To_Cover(std::int32_t pixels, std::int32_t section) {
  if (pixels <= 0 || section <= 0) return 0;
  return pixels / section + (pixels % section != 0 ? 1 : 0);
}

std::string Digits_3(std::int32_t n) {
  std::string s = Int_To_Text(n);
  while (s.size() < 3) s.insert(s.begin(), '0');
  return s;
}

std::string Current_Map_Dir() {
  if (Path_Settings) return Path_Settings->m_Resolve_User_Dir("currentmap\\");
  return User_Folder + "currentmap\\";
}

std::string Game_File(const std::string& folder, const std::string& file) {
  if (Path_Settings) return Path_Settings->m_Resolve_File(folder, file);
  return Program_Folder + folder + file;
}

TImage Read_Picture(const std::string& path) {
  TImage image;
  std::string error;
  if (!Image_Read_File(path, image, &error)) throw EInOutError("Cannot read picture " + path + ": " + error);
  return image;
}

void Write_Picture(bool ok, const std::string& path) {
  if (!ok) throw EInOutError("Cannot write picture " + path);
}

// The picture turned about its centre by the angle (degrees), same size;
// each pixel takes the nearest source pixel, those from outside the nearest
// edge pixel.
TImage Rotated(const TImage& source, std::int32_t degrees) {
  TImage out;
  out.Set_Size(source.width, source.height);
  if (source.Empty()) return out;
  const float a = float(degrees) * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  const float cx = float(source.width - 1) / 2.0f, cy = float(source.height - 1) / 2.0f;
  for (std::int32_t y = 0; y < source.height; ++y)
    for (std::int32_t x = 0; x < source.width; ++x) {
      const float dx = float(x) - cx, dy = float(y) - cy;
      const float sx = c * dx + s * dy + cx, sy = -s * dx + c * dy + cy;
      const std::int32_t ix = std::clamp(std::int32_t(std::lround(sx)), 0, source.width - 1);
      const std::int32_t iy = std::clamp(std::int32_t(std::lround(sy)), 0, source.height - 1);
      out.Set_Pixel(x, y, source.Pixel(ix, iy));
    }
  return out;
}

// Copies the picture to (left, top), clipped to `width` x `height` and to
// the destination; with `blend` its alpha lays it over what is there.
void Blit(TImage& dest, const TImage& src, std::int32_t left, std::int32_t top, std::int32_t width,
          std::int32_t height, bool blend) {
  const std::int32_t w = std::min({width, src.width, dest.width - left});
  const std::int32_t h = std::min({height, src.height, dest.height - top});
  for (std::int32_t y = 0; y < h; ++y) {
    const std::uint32_t* from = src.Row(y);
    std::uint32_t* to = dest.Row(top + y) + left;
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint32_t p = from[x];
      const std::uint32_t alpha = p >> 24;
      if (!blend || alpha == 255) {
        to[x] = Opaque(p);
      } else if (alpha > 0) {
        const std::uint32_t q = to[x];
        std::uint32_t r = 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
          const std::uint32_t cs = (p >> shift) & 0xFF, cd = (q >> shift) & 0xFF;
          r |= ((cs * alpha + cd * (255 - alpha) + 127) / 255) << shift;
        }
        to[x] = r;
      }
    }
  }
}

void Fill(TImage& dest, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
          std::uint32_t color) {
  const std::int32_t right = std::min(left + width, dest.width), bottom = std::min(top + height, dest.height);
  for (std::int32_t y = top; y < bottom; ++y) std::fill(dest.Row(y) + left, dest.Row(y) + right, Opaque(color));
}

}  // namespace

struct TMap_Picture_Work {
  struct TTile_Picture {
    bool drawn_over = false;
    std::int32_t png = -1;  // index into the shared tile images
    std::int32_t rotation = 0;
    std::uint16_t type = 0;
    TImage basic;
    std::vector<std::uint16_t> basic_codes;  // the basic bitmap in region codes
  };
  // A border pixel of the painted map: its place (pictures are at most 8192
  // pixels wide and high), its side and colour.
  struct TPixel_Entry {
    std::uint16_t x = 0, y = 0;
    std::uint32_t color = 0;
    std::uint8_t side = SIDE_LAND;
  };
  // A pixel of the flooding list: its index in the region picture, the
  // region code it spreads and its side.
  struct TFlood_Entry {
    std::uint32_t index = 0;
    std::uint16_t code = Code_Other;
    std::uint8_t side = SIDE_LAND;
  };

  // The region picture: width x height codes, top row first.
  struct TRegion_Picture {
    std::int32_t width = 0, height = 0;
    TLarge_Array<std::uint16_t> codes;
    std::uint16_t* Row(std::int32_t y) { return codes.Data() + std::size_t(y) * std::size_t(width); }
    const std::uint16_t* Row(std::int32_t y) const {
      return codes.Data() + std::size_t(y) * std::size_t(width);
    }
    std::uint16_t Code(std::int32_t x, std::int32_t y) const { return Row(y)[x]; }
  };

  TImage base_ocean;
  std::vector<TImage> tile_images;      // one per distinct "Tile Bitmap" file and turn
  std::vector<TTile_Picture> tiles;      // tile index 1..count at index - 1
  std::int32_t tile_w = 0, tile_h = 0;
  // The land/water picture being written, and its file.
  std::future<bool> land_water_written;
  std::string land_water_file;
  TImage map_picture;               // the first work picture: the painted map
  TRegion_Picture region_picture;   // the second: every region by its code
  std::vector<std::int32_t> cell_region;  // W x H, x * H + y
  std::vector<TFlood_Entry> pixels;
  std::vector<TPixel_Entry> borders;
  // The region masks being made from the region picture (declared last, so
  // that it is waited for before the picture goes).
  std::future<std::vector<TMap_Region_Mask>> masks_made;
  // The masks taken from there before the region picture was let go.
  bool masks_ready = false;
  std::vector<TMap_Region_Mask> masks;
};

TMap_Picture_Work& TMap::m_Pictures() {
  if (!f_pictures) f_pictures = std::make_shared<TMap_Picture_Work>();
  return *f_pictures;
}

std::vector<TMap_Region*> TMap::m_Existing_Regions() const {
  std::vector<TMap_Region*> regions;
  for (std::int32_t i = 1; i <= f_region_count; ++i)
    if (TMap_Region* r = m_Get_Region(i)) regions.push_back(r);
  return regions;
}

std::int32_t TMap::m_Get_Picture_Cell_Region(std::int32_t x, std::int32_t y) const {
  if (!f_pictures || f_pictures->cell_region.empty()) return 0;
  if (x < 0 || y < 0 || x >= f_grid_w || y >= f_grid_h) return 0;
  return f_pictures->cell_region[std::size_t(x) * std::size_t(f_grid_h) + std::size_t(y)];
}

bool TMap::m_Create_Base_Ocean() {
  TMap_Picture_Work& p = m_Pictures();
  p.base_ocean = Read_Picture(Game_File("images\\tiles\\", "BaseOceanTile.bmp"));
  p.tile_images.clear();
  p.tiles.clear();
  std::map<std::string, std::int32_t> shared;
  std::map<std::string, TImage> files;
  const std::uint16_t count = Terrain_Tile_List ? Terrain_Tile_List->m_Count() : 0;
  for (std::uint16_t i = 1; i <= count; ++i) {
    const TTerrain_Tile& tile = *Terrain_Tile_List->m_Get_Item(i);
    TMap_Picture_Work::TTile_Picture t;
    t.type = tile.f_terrain_type;
    t.drawn_over = tile.f_terrain_type != TERRAIN_TILE_OCEAN;
    t.rotation = tile.f_rotate;
    // Each file is read once; each turn of it is made once and shared by
    // the tiles that paint it with that turn, so the painted map shows a
    // tile the way its basic bitmap (turned alike) cuts the regions.
    const std::string file_key = Text_Upper_Case(tile.f_tile_bitmap);
    auto decoded = files.find(file_key);
    if (decoded == files.end()) {
      TImage png;
      std::string error;
      const std::string path = Game_File("images\\tiles\\", tile.f_tile_bitmap);
      std::string bytes;
      if (!Image_Read_Bytes(path, bytes, &error) || !PNG_Decode(bytes.data(), bytes.size(), png, &error))
        throw EInOutError("Cannot read picture " + path + ": " + error);
      decoded = files.emplace(file_key, std::move(png)).first;
    }
    const std::string key = file_key + "|" + Int_To_Text(t.rotation);
    auto found = shared.find(key);
    if (found == shared.end()) {
      found = shared.emplace(key, std::int32_t(p.tile_images.size())).first;
      p.tile_images.push_back(t.rotation != 0 ? Rotated(decoded->second, t.rotation) : decoded->second);
    }
    t.png = found->second;
    t.basic = Read_Picture(Game_File("images\\basictiles\\", tile.f_tile_basic_bitmap));
    if (t.rotation != 0) t.basic = Rotated(t.basic, t.rotation);
    p.tiles.push_back(std::move(t));
  }
  if (!p.tiles.empty()) {
    p.tile_w = p.tiles.front().basic.width;
    p.tile_h = p.tiles.front().basic.height;
  }
  return true;
}

bool TMap::m_Create_Work_Bitmaps() {
  TMap_Picture_Work& p = m_Pictures();
  const std::int32_t width = Checked_Mul(f_grid_w, p.tile_w), height = Checked_Mul(f_grid_h, p.tile_h);
  Large_Vector_Assign(p.map_picture.pixels, std::size_t(width) * std::size_t(height), Black);
  p.map_picture.width = width;
  p.map_picture.height = height;
  // Zero is Code_Other, the code of black.
  p.region_picture.codes.Reset(std::size_t(width) * std::size_t(height));
  p.region_picture.width = width;
  p.region_picture.height = height;
  m_Set_Pixel_Size(width, height);
  return true;
}

bool TMap::m_Create_Land_Water() {
  TMap_Picture_Work& p = m_Pictures();
  // The land/water picture is written row by row straight from the cells
  // (one cell's colour across its tile, cells beyond the grid black), on a
  // thread of its own beside the next steps: it needs nothing but a copy of
  // the cells' classes. The last step waits for it.
  const std::string land_water = Current_Map_Dir() + "LandWaterTypes.bmp";
  const std::int32_t tile_w = p.tile_w, tile_h = p.tile_h, grid_w = f_grid_w, grid_h = f_grid_h;
  std::vector<std::uint8_t> land(std::size_t(std::max(grid_w, 0)) * std::size_t(std::max(grid_h, 0)));
  for (std::int32_t y = 0; y < grid_h; ++y)
    for (std::int32_t x = 0; x < grid_w; ++x)
      land[std::size_t(y) * std::size_t(grid_w) + std::size_t(x)] =
          m_Get_Terrain_Cell(x, y).cell_class == TERRAIN_CLASS_LAND ? 1 : 0;
  p.land_water_file = land_water;
  p.land_water_written = std::async(
      std::launch::async, [land_water, width = p.map_picture.width, height = p.map_picture.height, tile_w, tile_h,
                           grid_w, grid_h, land = std::move(land)] {
        return Image_Write_BMP_24_Rows(land_water, width, height, [&](std::int32_t y, std::uint32_t* row) {
          const std::int32_t cy = tile_h > 0 ? y / tile_h : 0;
          for (std::int32_t x = 0; x < width;) {
            const std::int32_t cx = x / tile_w;
            const std::int32_t end = std::min(width, (cx + 1) * tile_w);
            std::uint32_t color = Black;
            if (cx < grid_w && cy < grid_h)
              color = Opaque(land[std::size_t(cy) * std::size_t(grid_w) + std::size_t(cx)] ? Land_Cell : Water_Cell);
            std::fill(row + x, row + end, color);
            x = end;
          }
        });
      });

  if (p.base_ocean.Empty()) {
    for (std::int32_t x = 0; x < f_grid_w; ++x)
      for (std::int32_t y = 0; y < f_grid_h; ++y) {
        const bool land = m_Get_Terrain_Cell(x, y).cell_class == TERRAIN_CLASS_LAND;
        Fill(p.map_picture, x * p.tile_w, y * p.tile_h, p.tile_w, p.tile_h, land ? Land_Cell : Water_Cell);
      }
  } else {
    for (std::int32_t top = 0; top < p.map_picture.height; top += p.base_ocean.height)
      for (std::int32_t left = 0; left < p.map_picture.width; left += p.base_ocean.width)
        Blit(p.map_picture, p.base_ocean, left, top, p.base_ocean.width, p.base_ocean.height, false);
  }
  for (std::int32_t x = 0; x < f_grid_w; ++x)
    for (std::int32_t y = 0; y < f_grid_h; ++y) {
      const std::int32_t tile = m_Get_Terrain_Cell(x, y).tile;
      if (tile < 1 || tile > std::int32_t(p.tiles.size())) continue;
      const TMap_Picture_Work::TTile_Picture& t = p.tiles[std::size_t(tile - 1)];
      if (!t.drawn_over) continue;
      Blit(p.map_picture, p.tile_images[std::size_t(t.png)], x * p.tile_w, y * p.tile_h, p.tile_w, p.tile_h, true);
    }
  return true;
}

bool TMap::m_Create_Pixel_Arrays() {
  TMap_Picture_Work& p = m_Pictures();
  p.pixels.clear();
  p.cell_region.assign(std::size_t(std::max(f_grid_w, 0)) * std::size_t(std::max(f_grid_h, 0)), 0);
  for (std::int32_t x = 0; x < f_grid_w; ++x)
    for (std::int32_t y = 0; y < f_grid_h; ++y) {
      const std::int32_t id = m_Get_Work_Region(x, y);
      p.cell_region[std::size_t(x) * std::size_t(f_grid_h) + std::size_t(y)] = m_Get_Region(id) ? id : 0;
    }
  return true;
}

bool TMap::m_Create_Step_5() {
  TMap_Picture_Work& p = m_Pictures();
  const std::int32_t w = f_grid_w, h = f_grid_h;
  auto at = [&](std::int32_t x, std::int32_t y) { return std::size_t(x) * std::size_t(h) + std::size_t(y); };
  std::vector<std::int32_t> piece_of(p.cell_region.size(), 0);
  std::vector<std::size_t> piece_size(1, 0);
  std::vector<std::int32_t> largest(std::size_t(f_region_count) + 1, 0);
  std::vector<std::size_t> stack;
  for (std::int32_t x = 0; x < w; ++x)
    for (std::int32_t y = 0; y < h; ++y) {
      const std::int32_t region = p.cell_region[at(x, y)];
      if (region == 0 || piece_of[at(x, y)] != 0) continue;
      const std::int32_t piece = std::int32_t(piece_size.size());
      std::size_t size = 0;
      piece_of[at(x, y)] = piece;
      stack.assign(1, at(x, y));
      while (!stack.empty()) {
        const std::size_t c = stack.back();
        stack.pop_back();
        ++size;
        const std::int32_t cx = std::int32_t(c / std::size_t(h)), cy = std::int32_t(c % std::size_t(h));
        for (std::int32_t dx = -1; dx <= 1; ++dx)
          for (std::int32_t dy = -1; dy <= 1; ++dy) {
            const std::int32_t nx = cx + dx, ny = cy + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const std::size_t n = at(nx, ny);
            if (piece_of[n] != 0 || p.cell_region[n] != region) continue;
            piece_of[n] = piece;
            stack.push_back(n);
          }
      }
      piece_size.push_back(size);
      std::int32_t& best = largest[std::size_t(region)];
      if (best == 0 || size > piece_size[std::size_t(best)]) best = piece;
    }
  for (std::size_t c = 0; c < p.cell_region.size(); ++c)
    if (p.cell_region[c] != 0 && piece_of[c] != largest[std::size_t(p.cell_region[c])]) p.cell_region[c] = 0;
  return true;
}

bool TMap::m_Paint_Cells() {
  TMap_Picture_Work& p = m_Pictures();
  TMap_Picture_Work::TRegion_Picture& pic = p.region_picture;
  const std::vector<TMap_Region*> regions = m_Existing_Regions();
  if (!regions.empty() && regions.back()->m_Get_Id() > Code_Max_Region)
    throw ERangeError("Too many regions for the region picture");
  // The basic bitmaps in region codes: the markers and white by their
  // colour, a region's colour by its id.
  std::unordered_map<std::uint32_t, std::uint16_t> code_of_color;
  code_of_color[Land_Marker & 0xFFFFFFu] = Code_Land_Marker;
  code_of_color[Water_Marker & 0xFFFFFFu] = Code_Water_Marker;
  code_of_color[White & 0xFFFFFFu] = Code_White;
  for (const TMap_Region* r : regions) code_of_color[r->m_Get_Color() & 0xFFFFFFu] = std::uint16_t(r->m_Get_Id());
  for (TMap_Picture_Work::TTile_Picture& t : p.tiles) {
    t.basic_codes.resize(t.basic.pixels.size());
    for (std::size_t i = 0; i < t.basic.pixels.size(); ++i) {
      const auto found = code_of_color.find(t.basic.pixels[i] & 0xFFFFFFu);
      t.basic_codes[i] = found == code_of_color.end() ? Code_Other : found->second;
    }
  }
  // A cell of a region takes its region's code whole; any other cell shows
  // its tile's basic bitmap.
  auto cell_id = [&](std::int32_t x, std::int32_t y) {
    const std::int32_t id = p.cell_region[std::size_t(x) * std::size_t(f_grid_h) + std::size_t(y)];
    return m_Get_Region(id) ? id : 0;
  };
  std::size_t markers = 0;  // marker pixels painted, each flooded at most once
  for (std::int32_t x = 0; x < f_grid_w; ++x)
    for (std::int32_t y = 0; y < f_grid_h; ++y) {
      const std::int32_t left = x * p.tile_w, top = y * p.tile_h;
      const std::int32_t right = std::min(left + p.tile_w, pic.width), bottom = std::min(top + p.tile_h, pic.height);
      if (const std::int32_t id = cell_id(x, y)) {
        for (std::int32_t py = top; py < bottom; ++py)
          std::fill(pic.Row(py) + left, pic.Row(py) + right, std::uint16_t(id));
        continue;
      }
      const std::int32_t tile = m_Get_Terrain_Cell(x, y).tile;
      if (tile < 1 || tile > std::int32_t(p.tiles.size())) continue;
      const TMap_Picture_Work::TTile_Picture& t = p.tiles[std::size_t(tile - 1)];
      const std::int32_t w = std::min({p.tile_w, t.basic.width, pic.width - left});
      const std::int32_t h = std::min({p.tile_h, t.basic.height, pic.height - top});
      for (std::int32_t py = 0; py < h; ++py) {
        std::uint16_t* to = pic.Row(top + py) + left;
        std::copy_n(t.basic_codes.data() + std::size_t(py) * std::size_t(t.basic.width), std::max(w, 0), to);
        for (std::int32_t px = 0; px < w; ++px)
          markers += (to[px] == Code_Land_Marker || to[px] == Code_Water_Marker) ? 1 : 0;
      }
    }
  // The flooding starts from the edge pixels of every region cell, cell by
  // cell, each cell's top and bottom rows side by side, then its left and
  // right columns. An edge pixel with no marker of its side beside it now
  // can never spread (markers are only ever taken), so only the others are
  // listed: the flooding is the same, the list a fraction of its length.
  p.pixels.clear();
  auto add = [&](std::int32_t x, std::int32_t y, std::uint8_t side, std::uint16_t code) {
    if (x < 0 || y < 0 || x >= pic.width || y >= pic.height) return;
    const std::uint16_t marker = side == SIDE_WATER ? Code_Water_Marker : Code_Land_Marker;
    const bool spreads = (x + 1 < pic.width && pic.Code(x + 1, y) == marker) ||
                         (x > 0 && pic.Code(x - 1, y) == marker) ||
                         (y + 1 < pic.height && pic.Code(x, y + 1) == marker) ||
                         (y > 0 && pic.Code(x, y - 1) == marker);
    if (spreads)
      p.pixels.push_back({std::uint32_t(std::size_t(y) * std::size_t(pic.width) + std::size_t(x)), code, side});
  };
  for (std::int32_t x = 0; x < f_grid_w; ++x)
    for (std::int32_t y = 0; y < f_grid_h; ++y) {
      const std::int32_t id = cell_id(x, y);
      if (id == 0) continue;
      const std::int32_t tile = m_Get_Terrain_Cell(x, y).tile;
      std::uint16_t type = 0;
      if (tile >= 1 && tile <= std::int32_t(p.tiles.size())) type = p.tiles[std::size_t(tile - 1)].type;
      const std::uint8_t side =
          (type == TERRAIN_TILE_BASE_OCEAN || type == TERRAIN_TILE_OCEAN) ? SIDE_WATER : SIDE_LAND;
      const std::uint16_t code = std::uint16_t(id);
      const std::int32_t left = x * p.tile_w, top = y * p.tile_h;
      const std::int32_t right = left + p.tile_w - 1, bottom = top + p.tile_h - 1;
      for (std::int32_t i = left; i <= right; ++i) {
        add(i, top, side, code);
        add(i, bottom, side, code);
      }
      for (std::int32_t j = top + 1; j < bottom; ++j) {
        add(left, j, side, code);
        add(right, j, side, code);
      }
    }
  // The flooding adds one entry per marker pixel it takes: the list gets
  // its whole room now.
  Large_Vector_Reserve(p.pixels, p.pixels.size() + markers);
  return true;
}

bool TMap::m_Create_Section_Arrays() {
  // The region picture's codes are its region ids already: no colour table
  // is needed to look a region up.
  return true;
}

bool TMap::m_Create_Step_8() {
  TMap_Picture_Work& p = m_Pictures();
  TMap_Picture_Work::TRegion_Picture& pic = p.region_picture;
  std::uint16_t* codes = pic.codes.Data();
  const std::size_t width = std::size_t(std::max(pic.width, 0));
  const std::size_t count = width * std::size_t(std::max(pic.height, 0));
  // Round by round each listed pixel takes the markers of its side beside
  // it, and those join the list for the next round.
  std::size_t begin = 0;
  bool changed = true;
  for (std::int32_t round = 0; round < Flood_Rounds && changed && begin < p.pixels.size(); ++round) {
    changed = false;
    const std::size_t end = p.pixels.size();
    for (std::size_t i = begin; i < end; ++i) {
      const TMap_Picture_Work::TFlood_Entry e = p.pixels[i];
      if (codes[e.index] != e.code) {
        codes[e.index] = e.code;
        changed = true;
      }
      const std::uint16_t marker = e.side == SIDE_WATER ? Code_Water_Marker : Code_Land_Marker;
      const std::size_t x = e.index % width;
      auto take = [&](std::size_t n) {
        if (codes[n] != marker) return;
        codes[n] = e.code;
        changed = true;
        p.pixels.push_back({std::uint32_t(n), e.code, e.side});
      };
      if (x + 1 < width) take(e.index + 1);
      if (x > 0) take(e.index - 1);
      if (e.index + width < count) take(e.index + width);
      if (e.index >= width) take(e.index - width);
    }
    begin = end;
  }
  // Left-over marker and white pixels take the region of a region pixel
  // beside them, pass by pass, until no such pixel touches a region.
  auto leftover = [](std::uint16_t c) { return c == Code_Land_Marker || c == Code_Water_Marker || c == Code_White; };
  std::vector<std::uint32_t> open;
  for (std::size_t i = 0; i < count; ++i)
    if (leftover(codes[i])) open.push_back(std::uint32_t(i));
  std::vector<std::pair<std::uint32_t, std::uint16_t>> taken;
  std::vector<std::uint32_t> still;
  while (!open.empty()) {
    taken.clear();
    still.clear();
    for (std::uint32_t i : open) {
      const std::size_t x = i % width;
      std::uint16_t found = Code_Other;
      if (x + 1 < width && Is_Region_Code(codes[i + 1]))
        found = codes[i + 1];
      else if (x > 0 && Is_Region_Code(codes[i - 1]))
        found = codes[i - 1];
      else if (i + width < count && Is_Region_Code(codes[i + width]))
        found = codes[i + width];
      else if (i >= width && Is_Region_Code(codes[i - width]))
        found = codes[i - width];
      if (found != Code_Other)
        taken.emplace_back(i, found);
      else
        still.push_back(i);
    }
    if (taken.empty()) break;
    for (const auto& [i, c] : taken) codes[i] = c;
    open.swap(still);
  }
  // The flooding list (one entry per pixel taken) is done with: its memory
  // goes (assigning an empty list would keep it).
  std::vector<TMap_Picture_Work::TFlood_Entry>().swap(p.pixels);
  return true;
}

bool TMap::m_Create_Region_Connections() {
  TMap_Picture_Work& p = m_Pictures();
  const TMap_Picture_Work::TRegion_Picture& pic = p.region_picture;
  const std::vector<TMap_Region*> regions = m_Existing_Regions();
  // Codes that are no region count as none here.
  auto region_of = [](std::uint16_t c) { return Is_Region_Code(c) ? std::int32_t(c) : 0; };
  std::vector<std::array<std::int32_t, 4>> bounds(std::size_t(f_region_count) + 1,
                                                  std::array<std::int32_t, 4>{9999999, 9999999, 0, 0});
  for (std::int32_t y = 1; y + 1 < pic.height; ++y) {
    const std::uint16_t* row = pic.Row(y);
    for (std::int32_t x = 1; x + 1 < pic.width;) {
      const std::int32_t id = region_of(row[x]);
      // A run of one region widens its bounds once.
      const std::int32_t last = Run_End(row, x, pic.width - 1);
      if (id != 0) {
        auto& b = bounds[std::size_t(id)];
        b[0] = std::min(b[0], x);
        b[1] = std::min(b[1], y);
        b[2] = std::max(b[2], last);
        b[3] = std::max(b[3], y);
      }
      x = last + 1;
    }
  }
  for (TMap_Region* r : regions) {
    const auto& b = bounds[std::size_t(r->m_Get_Id())];
    r->m_Set_Bounds(b[0], b[1], b[2], b[3]);
  }

  p.borders.clear();
  static constexpr std::int32_t dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  const std::int32_t w = pic.width, h = pic.height;
  // Most pixels are inside their region: the same code on all four sides
  // (a side beyond the picture counts as the same). A row's pixels are
  // marked first in one simple pass, and only the marked ones are looked at.
  std::vector<std::uint8_t> differs(std::size_t(std::max(w, 0)) + 8, 0);
  for (std::int32_t y = 0; y < h; ++y) {
    const std::uint16_t* row = pic.Row(y);
    const std::uint16_t* up = y > 0 ? pic.Row(y - 1) : row;
    const std::uint16_t* down = y + 1 < h ? pic.Row(y + 1) : row;
    std::uint8_t* mark = differs.data();
    for (std::int32_t x = 1; x + 1 < w; ++x)
      mark[x] = std::uint8_t((row[x] != up[x]) | (row[x] != down[x]) | (row[x] != row[x - 1]) | (row[x] != row[x + 1]));
    if (w > 0) {
      mark[0] = std::uint8_t((row[0] != up[0]) | (row[0] != down[0]) | (w > 1 && row[0] != row[1]));
      mark[w - 1] = std::uint8_t((row[w - 1] != up[w - 1]) | (row[w - 1] != down[w - 1]) |
                                 (w > 1 && row[w - 1] != row[w - 2]));
    }
    for (std::int32_t x = 0; x < w; ++x) {
      // Eight unmarked pixels at a time are passed over.
      if ((x & 7) == 0 && x + 8 <= w) {
        std::uint64_t eight;
        std::memcpy(&eight, mark + x, 8);
        if (eight == 0) {
          x += 7;
          continue;
        }
      }
      if (!mark[x]) continue;
      const std::uint16_t c = row[x];
      const std::int32_t id = region_of(c);
      if (id == 0) continue;
      bool border = false;
      std::int32_t other_kind = 0;
      for (int d = 0; d < 4; ++d) {
        const std::int32_t nx = x + dx[d], ny = y + dy[d];
        if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
        if (pic.Code(nx, ny) == c) continue;
        border = true;
        // Look on along this direction for the region across the border.
        for (std::int32_t k = 1; k <= Connection_Reach; ++k) {
          const std::int32_t fx = x + dx[d] * k, fy = y + dy[d] * k;
          if (fx < 0 || fy < 0 || fx >= w || fy >= h) break;
          const std::int32_t other = region_of(pic.Code(fx, fy));
          if (other != 0 && other != id) {
            m_Get_Region(id)->m_Add_Connection(other);
            m_Get_Region(other)->m_Add_Connection(id);
            if (other_kind == 0) other_kind = m_Get_Region(other)->m_Get_Type();
            break;
          }
        }
      }
      if (!border) continue;
      const std::uint8_t kind = m_Get_Region(id)->m_Get_Type();
      std::uint32_t color;
      if (other_kind != 0 && other_kind != kind)
        color = Coast_Border;
      else
        color = kind == REGION_OCEAN ? Water_Border : Land_Border;
      const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
      p.map_picture.pixels[i] = color;
      p.borders.push_back({std::uint16_t(x), std::uint16_t(y), color, kind == REGION_OCEAN ? SIDE_WATER : SIDE_LAND});
    }
  }
  return true;
}

bool TMap::m_Create_Region_Squares() {
  TMap_Picture_Work& p = m_Pictures();
  TImage& map = p.map_picture;
  const TMap_Picture_Work::TRegion_Picture& pic = p.region_picture;
  // The border lines are widened on the painted map over its dark pixels
  // (black, the markers and the like; never a region's colour). The
  // region picture's codes are not widened: no region's pixels would change.
  auto widen = [](std::uint32_t c) {
    const std::uint8_t r = Color_Red(c), g = Color_Green(c), b = Color_Blue(c);
    return (r <= 20 && g <= 24 && b <= 28) || (r <= 30 && g <= 70 && b <= 126);
  };
  for (const TMap_Picture_Work::TPixel_Entry& e : p.borders) {
    const std::uint32_t color = e.side == SIDE_WATER ? Water_Border_Wide : Land_Border_Wide;
    for (std::int32_t dy = -1; dy <= 1; ++dy)
      for (std::int32_t dx = -1; dx <= 1; ++dx) {
        const std::int32_t nx = e.x + dx, ny = e.y + dy;
        if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= map.width || ny >= map.height) continue;
        const std::size_t i = std::size_t(ny) * std::size_t(map.width) + std::size_t(nx);
        if (widen(map.pixels[i])) map.pixels[i] = color;
      }
  }
  // The border list is done with once the lines are widened; its memory goes.
  std::vector<TMap_Picture_Work::TPixel_Entry>().swap(p.borders);
  // A cell becomes a rectangle of a region when fewer than a tenth of its
  // pixels are another's: the region must hold most of the cell. Each cell's
  // most frequent code (the only one that can hold most of it) and that
  // code's count are found once, the first time a region asks.
  struct TCell_Count {
    bool known = false;
    std::uint16_t code = Code_Other;
    std::int32_t count = 0, pixels = 0;
  };
  std::vector<TCell_Count> cell_counts(std::size_t(std::max(f_grid_w, 0)) * std::size_t(std::max(f_grid_h, 0)));
  auto cell_count = [&](std::int32_t x, std::int32_t y, std::int32_t left, std::int32_t top, std::int32_t right,
                        std::int32_t bottom) -> const TCell_Count& {
    TCell_Count& c = cell_counts[std::size_t(x) * std::size_t(f_grid_h) + std::size_t(y)];
    if (c.known) return c;
    c.known = true;
    const std::int32_t row_end = std::min(right, pic.width), rows_end = std::min(bottom, pic.height);
    // The majority vote finds the code that holds more than half, if any.
    std::uint16_t candidate = Code_Other;
    std::int32_t votes = 0;
    for (std::int32_t py = top; py < rows_end; ++py) {
      const std::uint16_t* row = pic.Row(py);
      for (std::int32_t px = left; px < row_end; ++px) {
        if (votes == 0) candidate = row[px];
        votes += row[px] == candidate ? 1 : -1;
      }
    }
    std::int32_t count = 0;
    for (std::int32_t py = top; py < rows_end; ++py) {
      const std::uint16_t* row = pic.Row(py);
      for (std::int32_t px = left; px < row_end; ++px) count += row[px] == candidate ? 1 : 0;
      c.pixels += std::max(row_end - left, 0);
    }
    c.code = candidate;
    c.count = count;
    return c;
  };
  for (TMap_Region* r : m_Existing_Regions()) {
    std::int32_t x1, y1, x2, y2;
    r->m_Get_Bounds(x1, y1, x2, y2);
    x1 -= 2;
    y1 -= 2;
    x2 += 2;
    y2 += 2;
    if (x1 > x2 || y1 > y2 || p.tile_w < 1 || p.tile_h < 1) continue;
    const std::uint16_t own = std::uint16_t(r->m_Get_Id());
    bool any = false;
    for (std::int32_t x = std::max(0, x1 / p.tile_w); x < f_grid_w; ++x) {
      const std::int32_t left = x * p.tile_w, right = left + p.tile_w;
      if (left > x2) break;
      if (left < x1 || right > x2) continue;
      for (std::int32_t y = std::max(0, y1 / p.tile_h); y < f_grid_h; ++y) {
        const std::int32_t top = y * p.tile_h, bottom = top + p.tile_h;
        if (top > y2) break;
        if (top < y1 || bottom > y2) continue;
        if (r->m_Has_Rect({left, top, right, bottom})) continue;
        const TCell_Count& c = cell_count(x, y, left, top, right, bottom);
        const std::int32_t k = c.pixels, differ = c.code == own ? k - c.count : k;
        if (k > 0 && differ < k / 10) {
          r->m_Add_Rect(left, top, right, bottom);
          any = true;
        }
      }
    }
    if (any) r->m_Build_Square_Grid();
  }
  m_Start_Region_Masks();
  return true;
}

bool TMap::m_Create_Overlay() {
  TMap_Picture_Work& p = m_Pictures();
  const TMap_Type* type = f_map_type.get();
  if (!type || !type->f_use_base_detail_map || type->f_base_map_details.empty()) return true;
  const std::int32_t pick = Random_Range(1, std::int32_t(type->f_base_map_details.size()));
  const TImage detail =
      Read_Picture(Game_File("images\\map\\", type->f_base_map_details[std::size_t(pick - 1)]));
  if (detail.Empty()) return true;
  TImage& map = p.map_picture;
  for (std::int32_t y = 0; y < map.height; ++y) {
    std::uint32_t* row = map.Row(y);
    for (std::int32_t x = 0; x < map.width; ++x)
      if ((row[x] & 0xFFFFFFu) == (Detail_Marker & 0xFFFFFFu))
        row[x] = Opaque(detail.Pixel(x % detail.width, y % detail.height));
  }
  return true;
}

bool TMap::m_Paint_Sections() {
  // The border lines were drawn straight into the painted map, so what the
  // step writes back is already there; the work tables go.
  TMap_Picture_Work& p = m_Pictures();
  std::vector<TMap_Picture_Work::TFlood_Entry>().swap(p.pixels);
  std::vector<TMap_Picture_Work::TPixel_Entry>().swap(p.borders);
  return true;
}

bool TMap::m_Create_Region_Labels() {
  TMap_Picture_Work& p = m_Pictures();
  TImage overview;
  overview.Set_Size(512, 256);
  Bitmap_Interpolated_Shrink(p.map_picture, overview);
  const std::string overview_file = Current_Map_Dir() + "OverviewMap.bmp";
  Write_Picture(Image_Write_BMP_24(overview_file, overview), overview_file);

  // Names are painted in the game's own sans-serif face (the fonts shipped
  // for the main fonts), bold, white over a dark rim, so that they read on
  // any terrain. The opening view shows the map at about half its size, so
  // a name takes the largest size that fits its region's width; a name wider
  // than its region at every size keeps the smallest.
  constexpr std::int32_t Label_Sizes[] = {14, 12, 10, 8};
  constexpr std::int32_t Rim = 1;
  std::vector<std::unique_ptr<TWindow_Canvas>> canvases;
  for (std::int32_t size : Label_Sizes) {
    auto canvas = std::make_unique<TWindow_Canvas>(&p.map_picture);
    canvas->Font.Name = "DejaVu Sans";
    canvas->Font.Size = size;
    canvas->Font.Bold = true;
    canvas->Brush_Clear = true;
    canvases.push_back(std::move(canvas));
  }
  for (TMap_Region* r : m_Existing_Regions()) {
    const std::string& text = r->m_Label_Text();
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    r->m_Get_Bounds(left, top, right, bottom);
    TWindow_Canvas* canvas = canvases.back().get();
    for (const auto& c : canvases)
      if (c->Text_Width(text) + 2 * Rim <= right - left) {
        canvas = c.get();
        break;
      }
    const std::int32_t w = canvas->Text_Width(text) + 2 * Rim, h = canvas->Text_Height(text) + 2 * Rim;
    std::int32_t x = 0, y = 0;
    if (r->m_Reserve_Label_Squares(w, h, x, y, p.map_picture.width, p.map_picture.height)) {
      canvas->Font.Color = 0x101010;
      for (std::int32_t dy = -Rim; dy <= Rim; ++dy)
        for (std::int32_t dx = -Rim; dx <= Rim; ++dx)
          if (dx != 0 || dy != 0) canvas->Text_Out(x + Rim + dx, y + Rim + dy, text);
      canvas->Font.Color = 0xFFFFFF;
      canvas->Text_Out(x + Rim, y + Rim, text);
    }
    // Beside the label: the squares of the value symbol and of the flag.
    if (r->m_Get_Type() == REGION_LAND) {
      r->m_Pick_Lower_Marker_Square();
      r->m_Pick_Upper_Marker_Square();
    }
  }
  return true;
}

bool TMap::m_Create_Terrain_Map(bool write_whole) {
  TMap_Picture_Work& p = m_Pictures();
  const TImage& map = p.map_picture;
  m_Set_Section_Size(Map_Section_Pixels, Map_Section_Pixels);
  // The last column and row of sections reach past the map's edge; what lies
  // beyond it repeats the map's last pixel column and row, so every pixel of
  // the map is in a section and a texture filtered at the edge shows no seam.
  const std::int32_t columns = Sections_To_Cover(map.width, Map_Section_Pixels);
  const std::int32_t rows = Sections_To_Cover(map.height, Map_Section_Pixels);
  // Sections are encoded side by side, each into its own file; which thread
  // takes which section does not change a byte. Section i + 1 is column
  // i / rows, row i % rows; the jobs go row by row, so that the painted map
  // can give back a band of rows as soon as its sections are cut (nothing
  // reads the painted map after this step unless it is written whole).
  // The sections stay in memory for their textures.
  const std::string folder = Current_Map_Dir();
  // The region picture is needed for nothing but the masks: in a world
  // being made (not written whole) they are taken now and the picture goes
  // before the sections are cut.
  if (!write_whole && !p.region_picture.codes.Empty()) {
    p.masks = m_Take_Region_Masks();
    p.masks_ready = true;
    p.region_picture.codes.Release();
    p.region_picture.width = p.region_picture.height = 0;
  }
  std::vector<std::shared_ptr<const TImage>> kept(std::size_t(columns) * std::size_t(rows) + 1);
  std::vector<std::atomic<std::int32_t>> band_left(std::size_t(std::max(rows, 0)));
  for (auto& left : band_left) left = columns;
  TImage& painted = p.map_picture;
  Run_Jobs(columns * rows, [&](std::int32_t job) {
    const std::int32_t band = job / columns, column = job % columns;
    const std::int32_t i = column * rows + band;
    auto section = std::make_shared<TImage>();
    // The section's pixels are appended row by row into room taken at once
    // (not filled first and then overwritten).
    section->width = section->height = Map_Section_Pixels;
    std::vector<std::uint32_t>& pixels = section->pixels;
    pixels.reserve(std::size_t(Map_Section_Pixels) * std::size_t(Map_Section_Pixels));
    const std::int32_t left = column * Map_Section_Pixels, top = band * Map_Section_Pixels;
    const std::int32_t w = std::min(Map_Section_Pixels, map.width - left);
    const std::int32_t h = std::min(Map_Section_Pixels, map.height - top);
    for (std::int32_t y = 0; y < Map_Section_Pixels; ++y) {
      const std::uint32_t* from = map.Row(top + std::min(y, h - 1)) + left;
      pixels.insert(pixels.end(), from, from + w);
      pixels.insert(pixels.end(), std::size_t(Map_Section_Pixels - w), from[w - 1]);
    }
    if (!write_whole && --band_left[std::size_t(band)] == 0)
      Large_Memory_Discard(painted.Row(top), std::size_t(h) * std::size_t(map.width) * sizeof(std::uint32_t));
    const std::string file = folder + "MapSection" + Digits_3(i + 1) + ".jpg";
    Write_Picture(Image_Write_JPEG(file, *section, 100), file);
    kept[std::size_t(i) + 1] = std::move(section);
  });
  if (write_whole) {
    const std::string file = Current_Map_Dir() + "TerrainMap.bmp";
    Write_Picture(Image_Write_BMP_24(file, map), file);
  } else {
    // Given back band by band: the rest goes now.
    painted = TImage();
  }
  f_new_sections = std::move(kept);
  return true;
}

namespace {
// Sets bits first..last (0-based, leftmost pixel in the top bit) of a row.
void Set_Bits(std::uint8_t* line, std::int32_t first, std::int32_t last) {
  std::int32_t a = first;
  for (; a <= last && (a & 7) != 0; ++a) line[a >> 3] |= std::uint8_t(0x80 >> (a & 7));
  if (a > last) return;
  const std::int32_t whole = (last + 1 - a) >> 3;
  std::fill_n(line + (a >> 3), whole, std::uint8_t(0xFF));
  for (a += whole * 8; a <= last; ++a) line[a >> 3] |= std::uint8_t(0x80 >> (a & 7));
}
}  // namespace

// Each region's mask covers the pixels (x1 + 1 .. x2, y1 + 1 .. y2) of its
// bounds: mask pixel (j - 1, i - 1) is the region picture's (x1 + j, y1 + i),
// white where the region is, black elsewhere and beyond the picture. A mask
// row's runs of white are the region's click-zone spans of that row.
std::vector<TMap_Region_Mask> TMap::m_Region_Mask_Bounds() const {
  std::vector<TMap_Region_Mask> masks;
  for (const TMap_Region* r : m_Existing_Regions()) {
    std::int32_t x1, y1, x2, y2;
    r->m_Get_Bounds(x1, y1, x2, y2);
    if (x1 >= x2 || y1 >= y2) continue;
    TMap_Region_Mask m;
    m.id = r->m_Get_Id();
    m.x1 = x1;
    m.y1 = y1;
    m.width = x2 - x1;
    m.height = y2 - y1;
    masks.push_back(std::move(m));
  }
  return masks;
}

namespace {
// One pass over the picture's runs of a code fills every region's mask rows
// (as rows of bits) and lists its spans, row by row and left to right; the
// files are then written side by side. Reads nothing but the picture.
void Make_Region_Masks(const TMap_Picture_Work::TRegion_Picture& pic, std::vector<TMap_Region_Mask>& masks,
                       const std::string& folder) {
  std::int32_t largest_id = 0;
  for (const TMap_Region_Mask& m : masks) largest_id = std::max(largest_id, m.id);
  std::vector<std::int32_t> mask_of(std::size_t(largest_id) + 1, -1);
  for (std::size_t k = 0; k < masks.size(); ++k) {
    TMap_Region_Mask& m = masks[k];
    m.stride = (std::size_t(m.width) + 31) / 32 * 4;
    m.bits.assign(m.stride * std::size_t(m.height), 0);
    m.spans.clear();
    mask_of[std::size_t(m.id)] = std::int32_t(k);
  }
  for (std::int32_t y = 0; y < pic.height; ++y) {
    const std::uint16_t* row = pic.Row(y);
    for (std::int32_t x = 0; x < pic.width;) {
      const std::uint16_t c = row[x];
      const std::int32_t last = Run_End(row, x, pic.width);
      const std::int32_t start = x;
      x = last + 1;
      if (!Is_Region_Code(c) || c > largest_id || mask_of[c] < 0) continue;
      TMap_Region_Mask& m = masks[std::size_t(mask_of[c])];
      const std::int32_t i = y - m.y1;
      if (i < 1 || i > m.height) continue;
      const std::int32_t first = std::max(start - m.x1, 1), end = std::min(last - m.x1, m.width);
      if (first > end) continue;
      Set_Bits(m.bits.data() + std::size_t(i - 1) * m.stride, first - 1, end - 1);
      m.spans.push_back({i, first, end});
    }
  }
  Run_Jobs(std::int32_t(masks.size()), [&](std::int32_t k) {
    const TMap_Region_Mask& m = masks[std::size_t(k)];
    const std::string file = folder + "RegionSection" + Digits_3(m.id) + ".bmp";
    Write_Picture(Image_Write_BMP_1_Rows(file, m.width, m.height,
                                         [&](std::int32_t y, std::uint8_t* line) {
                                           std::copy_n(m.bits.data() + std::size_t(y) * m.stride, m.stride, line);
                                         }),
                  file);
  });
}
}  // namespace

void TMap::m_Start_Region_Masks() {
  TMap_Picture_Work& p = m_Pictures();
  // The region picture and the bounds do not change after the squares:
  // the masks are made and written on a thread of their own beside the
  // next steps, from a copy of the bounds, and the region step takes them.
  if (p.masks_made.valid()) p.masks_made.wait();
  p.masks_made = std::async(std::launch::async, [&pic = p.region_picture, masks = m_Region_Mask_Bounds(),
                                                 folder = Current_Map_Dir()]() mutable {
    Make_Region_Masks(pic, masks, folder);
    return masks;
  });
}

// The masks made beside the earlier steps, checked against the regions'
// bounds as they are now (made again when they differ).
std::vector<TMap_Region_Mask> TMap::m_Take_Region_Masks() {
  TMap_Picture_Work& p = m_Pictures();
  if (p.masks_ready) {
    p.masks_ready = false;
    return std::move(p.masks);
  }
  std::vector<TMap_Region_Mask> wanted = m_Region_Mask_Bounds();
  std::vector<TMap_Region_Mask> made;
  // A failed write made beside the earlier steps is raised here.
  if (p.masks_made.valid()) made = p.masks_made.get();
  auto same_bounds = [&] {
    if (made.size() != wanted.size()) return false;
    for (std::size_t k = 0; k < made.size(); ++k)
      if (made[k].id != wanted[k].id || made[k].x1 != wanted[k].x1 || made[k].y1 != wanted[k].y1 ||
          made[k].width != wanted[k].width || made[k].height != wanted[k].height)
        return false;
    return true;
  };
  if (!same_bounds()) {
    Make_Region_Masks(p.region_picture, wanted, Current_Map_Dir());
    made = std::move(wanted);
  }
  return made;
}

bool TMap::m_Create_Region_Sections() {
  std::vector<TMap_Region_Mask> made = m_Take_Region_Masks();
  // The masks' bits stay in memory for their textures.
  f_new_masks.assign(std::size_t(std::max(f_region_count, 0)) + 1, nullptr);
  for (TMap_Region_Mask& m : made) {
    TMap_Region* r = m_Get_Region(m.id);
    if (!r) continue;
    for (const auto& [i, first, end] : m.spans) r->m_Add_Click_Zone_Span(i, std::uint16_t(first), std::uint16_t(end));
    auto bits = std::make_shared<TImage_Mask_Bits>();
    bits->width = m.width;
    bits->height = m.height;
    bits->stride = m.stride;
    bits->bits = std::move(m.bits);
    f_new_masks[std::size_t(m.id)] = std::move(bits);
  }
  return true;
}

bool TMap::m_Free_Work_Bitmaps() {
  bool written = true;
  std::string land_water;
  if (f_pictures && f_pictures->land_water_written.valid()) {
    land_water = f_pictures->land_water_file;
    written = f_pictures->land_water_written.get();
  }
  f_pictures.reset();
  Write_Picture(written, land_water);
  return true;
}

namespace {
constexpr std::uint8_t Section_Texture_Group = 3;
constexpr std::uint8_t Region_Texture_Group = 4;
constexpr std::uint8_t Unit_Texture_Group = 5;

std::int32_t Load_Map_Texture(const std::string& file, std::uint8_t group, std::uint8_t color_key_type) {
  return World_Load_Texture(file, group, color_key_type);
}

std::string Unit_Image(const std::string& name) {
  if (Path_Settings) return Path_Settings->m_Get_Unit_Image_File(name);
  return Program_Folder + "images\\units\\" + name;
}
}  // namespace

void TMap::m_Load_Section_Textures() {
  const std::int32_t columns = Sections_To_Cover(f_pixel_width, f_section_width);
  const std::int32_t rows = Sections_To_Cover(f_pixel_height, f_section_height);
  f_section_count = Checked_Mul(columns, rows);
  f_section_textures.assign(std::size_t(f_section_count) + 1, 0);
  f_section_loaded.assign(std::size_t(f_section_count) + 1, 0);
  // A world just generated hands its sections over; each is made a texture
  // when first drawn, and let go then.
  std::vector<std::shared_ptr<const TImage>> pictures = std::move(f_new_sections);
  f_new_sections.clear();
  if (pictures.size() != std::size_t(f_section_count) + 1) pictures.clear();
  for (std::int32_t i = 1; i <= f_section_count; ++i) {
    const std::string file = Current_Map_Dir() + "MapSection" + Digits_3(i) + ".jpg";
    std::shared_ptr<const TImage> picture = pictures.empty() ? nullptr : std::move(pictures[std::size_t(i)]);
    if (picture)
      f_section_textures[std::size_t(i)] =
          World_Load_Picture_Texture(file, std::move(picture), Section_Texture_Group, WORLD_TEXTURE_KEY_NONE);
    else
      f_section_textures[std::size_t(i)] = Load_Map_Texture(file, Section_Texture_Group, WORLD_TEXTURE_KEY_NONE);
  }
}

void TMap::m_Load_Region_Textures() {
  std::vector<std::int32_t> textures(std::size_t(f_region_count), 0);
  // A world just generated hands its masks over as bits; others are read
  // from their files. Either way a mask is made a texture when first drawn.
  std::vector<std::shared_ptr<const TImage_Mask_Bits>> masks = std::move(f_new_masks);
  f_new_masks.clear();
  if (masks.size() != std::size_t(f_region_count) + 1) masks.clear();
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    if (!m_Get_Region(i)) continue;
    std::shared_ptr<const TImage_Mask_Bits> bits = masks.empty() ? nullptr : std::move(masks[std::size_t(i)]);
    textures[std::size_t(i - 1)] = World_Load_Mask_Texture(Current_Map_Dir() + "RegionSection" + Digits_3(i) + ".bmp",
                                                           Region_Texture_Group, std::move(bits));
  }
  f_region_textures = std::move(textures);
}

void TMap::m_Load_Unit_Textures() {
  std::vector<std::array<std::int32_t, 2>> textures;
  const std::uint16_t count = Unit_Type_List ? Unit_Type_List->m_Count() : 0;
  for (std::uint16_t t = 1; t <= count; ++t) {
    const TUnit_Type& type = *Unit_Type_List->m_Get_Item(t);
    textures.push_back({Load_Map_Texture(Unit_Image(type.f_image_filename), Unit_Texture_Group, WORLD_TEXTURE_KEY_BLACK),
                        Load_Map_Texture(Unit_Image(type.f_portrait_small_filename), Unit_Texture_Group,
                                         WORLD_TEXTURE_KEY_BLACK)});
  }
  f_unit_type_textures = std::move(textures);
  const std::string box = Path_Settings ? Path_Settings->m_Resolve_File("images\\ui\\", "SelectionBox.bmp")
                                        : Program_Folder + "images\\ui\\SelectionBox.bmp";
  f_selection_box_texture = Load_Map_Texture(box, Unit_Texture_Group, WORLD_TEXTURE_KEY_BLACK);
}

void TMap::m_Load_Textures() {
  if (f_section_count > 0) m_Load_Section_Textures();
  if (!f_region_textures.empty()) m_Load_Region_Textures();
  if (!f_unit_type_textures.empty()) m_Load_Unit_Textures();
}

std::int32_t TMap::m_Get_Section_Texture(std::int64_t i) const {
  if (i < 1 || i > f_section_count) return 0;
  return f_section_textures[std::size_t(i)];
}

bool TMap::m_Get_Section_Loaded(std::int64_t i) const {
  if (i < 1 || i > f_section_count) return false;
  return f_section_loaded[std::size_t(i)] != 0;
}

void TMap::m_Set_Section_Loaded(std::int64_t i, bool loaded) {
  if (i < 1 || i > f_section_count) throw ERangeError();
  f_section_loaded[std::size_t(i)] = loaded ? 1 : 0;
}
