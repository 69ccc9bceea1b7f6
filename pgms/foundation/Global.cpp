#include "Global.h"

#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#include "Debug_Log.h"
#include "Errors.h"
#include "Io.h"
#include "Native_Path.h"
#include "Shell_Services.h"

std::string Program_Folder;
std::string User_Folder;
const std::string Line_Break = "\r\n";

const char* const User_Subfolders[6] = {"userdata\\", "currentmap\\", "maps\\", "savegames\\", "temp\\", "Backup\\"};

namespace {
std::uint32_t random_seed = 0;

std::uint32_t Next_Seed() {
  random_seed = random_seed * 134775813u + 1u;
  return random_seed;
}

// An integer draw below n: the upper half of the 64-bit product.
std::uint32_t Draw_Below(std::uint32_t n) {
  return static_cast<std::uint32_t>((std::uint64_t(Next_Seed()) * n) >> 32);
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// A native folder as a game-form folder with a trailing "\".
std::string Folder_Of(const std::filesystem::path& native) {
  std::string p = Design_Path(native.lexically_normal().string());
  if (p.empty() || p.back() != '\\') p += '\\';
  return p;
}

std::filesystem::path Absolute(const std::string& native) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(native, ec);
  return ec ? std::filesystem::path(native) : p;
}

std::string Find_Program_Folder() {
  std::string home = Env("GLOBARCH_HOME");
  if (!home.empty()) return Folder_Of(Absolute(home));
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    // Beside the executable, or in the tree it was built in.
    std::filesystem::path dir = exe.parent_path();
    for (int up = 0; up < 3 && !dir.empty(); ++up, dir = dir.parent_path()) {
      if (std::filesystem::is_directory(dir / "data", ec)) return Folder_Of(dir);
      if (dir == dir.root_path()) break;
    }
  }
  return Folder_Of(GLOBARCH_INSTALL_DATADIR);
}

std::string Find_User_Folder() {
  std::string dir = Env("GLOBARCH_USER_DIR");
  if (!dir.empty()) return Folder_Of(Absolute(dir));
  std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty() && xdg[0] == '/') return Folder_Of(std::filesystem::path(xdg) / "globarch");
  std::string home = Env("HOME");
  if (home.empty()) home = "/tmp";
  return Folder_Of(std::filesystem::path(home) / ".local" / "share" / "globarch");
}

std::uint32_t Clock_Seed() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::uint32_t>(ts.tv_sec) * 1000003u ^ static_cast<std::uint32_t>(ts.tv_nsec) ^
         static_cast<std::uint32_t>(::getpid());
}

std::uint32_t Start_Seed() {
  std::string s = Env("GLOBARCH_SEED");
  if (!s.empty() && s.size() <= 10 && s.find_first_not_of("0123456789") == std::string::npos) {
    std::uint64_t v = std::stoull(s);
    if (v <= 0xFFFFFFFFull) return static_cast<std::uint32_t>(v);
  }
  return Clock_Seed();
}

// Makes the writable folders and copies the default user files that are
// missing. Problems go to standard error: the game can still run.
void Prepare_User_Folder() {
  for (const char* sub : User_Subfolders) {
    if (!Directory_Create_All(User_Folder + sub))
      std::fprintf(stderr, "globarch: cannot create the folder %s\n", Native_Path(User_Folder + sub).c_str());
  }
  std::error_code ec;
  std::filesystem::path defaults = Native_Path(Program_Folder + "userdata\\");
  if (!std::filesystem::is_directory(defaults, ec)) return;
  for (const auto& entry : std::filesystem::directory_iterator(defaults, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    std::string name = entry.path().filename().string();
    std::string target = User_Folder + "userdata\\" + name;
    if (!File_Exists(target) && !File_Copy(Design_Path(entry.path().string()), target, true))
      std::fprintf(stderr, "globarch: cannot copy %s\n", entry.path().c_str());
  }
}

float Pi() { return std::numbers::pi_v<float>; }
}  // namespace

std::uint32_t Tick_Count() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}

void Random_Set_Seed(std::uint32_t seed) { random_seed = seed; }
std::uint32_t Random_Get_Seed() { return random_seed; }

std::int32_t Random_Range(std::int32_t low, std::int32_t high) {
  // Callers may pass an empty range; it gives low and leaves the sequence.
  if (high < low) return low;
  std::uint32_t span = static_cast<std::uint32_t>(std::int64_t(high) - std::int64_t(low) + 1);
  // A span of 2^32 (the whole range) wraps to 0: every value is allowed.
  std::uint32_t r = span == 0 ? Next_Seed() : Draw_Below(span);
  return static_cast<std::int32_t>(std::int64_t(low) + r);
}

std::int32_t Random_Range_2(std::int32_t low, std::int32_t high) { return Random_Range(low, high); }

float Random_Single(float low, float high) {
  double r = double(Next_Seed()) / 4294967296.0;
  float v = static_cast<float>(double(low) + r * (double(high) - double(low)));
  // Rounding to single must not reach the excluded upper end.
  if (high > low && v >= high) v = std::nextafter(high, low);
  return v;
}

float Distance_Int(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  double dx = std::fabs(double(x2) - double(x1)), dy = std::fabs(double(y2) - double(y1));
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float Distance_Single(float x1, float y1, float x2, float y2) {
  float dx = std::fabs(x2 - x1), dy = std::fabs(y2 - y1);
  return std::sqrt(dx * dx + dy * dy);
}

std::int32_t Distance_Max(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  std::int64_t dx = std::llabs(std::int64_t(x1) - x2), dy = std::llabs(std::int64_t(y1) - y2);
  std::int64_t m = dx > dy ? dx : dy;
  if (m > INT32_MAX) throw EIntOverflow();
  return static_cast<std::int32_t>(m);
}

float Max_Single(float a, float b) { return a > b ? a : b; }

float Vector_Angle(float x1, float y1, float x2, float y2) {
  double dx = double(x2) - x1, dy = double(y2) - y1;
  double d = std::sqrt(dx * dx + dy * dy);
  float l = 0;
  if (d > 0) l = static_cast<float>(std::asin(std::fmin(std::fabs(dy) / d, 1.0)));
  float pi = Pi();
  if (dx >= 0 && dy >= 0) return pi / 2 - l;
  if (dx < 0 && dy >= 0) return 3 * pi / 2 + l;
  if (dx >= 0) return pi / 2 + l;
  return 3 * pi / 2 - l;
}

float Angle_Difference(float from, float to) {
  float two_pi = 2 * Pi();
  float e, f;
  if (from <= to) {
    e = to - from;
    f = from - to + two_pi;
  } else {
    e = to - from + two_pi;
    f = from - to;
  }
  return f >= e ? e : -f;
}

namespace {
// Whole amount / divisor with two decimals, halves away from zero.
std::string Two_Decimals(std::int64_t amount, std::int64_t divisor) {
  std::int64_t hundredths_unit = divisor / 100;
  std::int64_t mag = amount < 0 ? -amount : amount;
  std::int64_t h = (mag + hundredths_unit / 2) / hundredths_unit;
  const char frac[3] = {char('0' + h % 100 / 10), char('0' + h % 10), '\0'};
  std::string out = amount < 0 && h != 0 ? "-" : "";
  return out.append(std::to_string(h / 100)).append(".").append(frac);
}
}  // namespace

std::string Format_Money(std::int32_t amount) {
  if (amount >= 1000000) return Two_Decimals(amount, 1000000) + "T";
  if (amount < 1000) return Float_To_Text_Format(amount, 0, 0, 1) + "M";
  return Two_Decimals(amount, 1000) + "B";
}

std::string Format_Money_Single(float amount) {
  double a = amount;
  if (a >= 1000000.0) return Float_To_Text_Format(a / 1000000.0, 0, 2, 0) + "T";
  if (a >= 1000.0) return Float_To_Text_Format(a / 1000.0, 0, 2, 0) + "B";
  double frac = a - std::trunc(a);
  return Float_To_Text_Format(a, 0, frac > 0 ? 1 : 0, 1) + "M";
}

std::string Tenths_To_Text(std::int32_t value) { return Float_To_Text_F(value / 10.0, ffFixed, 5, 1); }

std::string Action_Type_Name(std::uint8_t kind) {
  switch (kind) {
    case 1: return "Move";
    case 2: return "Attack";
    case 3: return "Bombard";
    case 5: return "Transport Load";
    case 6: return "Transport Unload";
    case 8: return "Skip";
    case 9: return "Amphibious Assault";
    default: return "";
  }
}

std::string Boolean_To_Text(int kind, bool value) {
  if (kind != 1 && kind != 2) return "";
  return value ? "TRUE" : "FALSE";
}

std::int32_t Text_Byte_Sum(const std::string& text) {
  std::int32_t sum = 0;
  for (unsigned char c : text) sum = Checked_Add<std::int32_t>(sum, c);
  return sum;
}

void Show_Message(const std::string& caption, const std::string& text) {
  Shell_Services().m_Show_Message(caption, text, 0);
}

bool Global_Init() {
  Random_Set_Seed(Start_Seed());
  Program_Folder = Find_Program_Folder();
  User_Folder = Find_User_Folder();
  for (bool& s : Debug_Sections) s = false;
  Debug_Enabled = false;
  Prepare_User_Folder();
  return true;
}
