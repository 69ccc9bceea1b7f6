#include "Io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "Errors.h"
#include "Native_Path.h"

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

std::string Without_Commas(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (c != ',') s += c;
  return s;
}

// A finite number as decimal digits: value = 0.d1d2d3... x 10^exp, at most
// 15 significant digits, no trailing zeros; zero has no digits.
struct TDecimal {
  bool negative = false;
  std::string digits;
  int exp = 0;
};

void Strip_Trailing_Zeros(TDecimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exp = 0;
}

TDecimal To_Decimal(double x) {
  TDecimal d;
  d.negative = std::signbit(x);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  std::string s(buf, res.ptr);  // "d.dddddddddddddde+XX"
  std::size_t e = s.find('e');
  d.digits = s.substr(0, 1) + s.substr(2, e - 2);
  d.exp = std::stoi(s.substr(e + 1)) + 1;
  Strip_Trailing_Zeros(d);
  return d;
}

// Keeps `keep` significant digits, rounding halves away from zero.
void Round_Digits(TDecimal& d, int keep) {
  if (d.digits.empty() || keep >= int(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exp = 0;
    return;
  }
  bool up = d.digits[std::size_t(keep)] >= '5';
  d.digits.resize(std::size_t(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[std::size_t(i)] == '9') d.digits[std::size_t(i--)] = '0';
    if (i >= 0) {
      d.digits[std::size_t(i)]++;
    } else {
      d.digits.insert(d.digits.begin(), '1');
      d.exp++;
    }
  }
  Strip_Trailing_Zeros(d);
}

char Digit_At(const TDecimal& d, int i) {
  return (i >= 0 && i < int(d.digits.size())) ? d.digits[std::size_t(i)] : '0';
}

std::string Group_Thousands(const std::string& int_part) {
  std::string out;
  int n = int(int_part.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += int_part[std::size_t(i)];
  }
  return out;
}

// Fixed notation with `decimals` decimals; digits beyond the 15 significant
// ones read as zeros.
std::string Fixed_Text(double x, int decimals, bool thousands, int precision = 15) {
  TDecimal d = To_Decimal(x);
  Round_Digits(d, std::min(precision, d.exp + decimals));
  std::string int_part;
  if (d.digits.empty() || d.exp <= 0) {
    int_part = "0";
  } else {
    for (int i = 0; i < d.exp; ++i) int_part += Digit_At(d, i);
  }
  if (thousands) int_part = Group_Thousands(int_part);
  std::string out = (d.negative && !d.digits.empty()) ? "-" : "";
  out += int_part;
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += Digit_At(d, d.exp + i);
  }
  return out;
}

std::string Exponent_Digits(int e, int min_digits, bool plus_sign) {
  std::string digits = std::to_string(e < 0 ? -e : e);
  while (int(digits.size()) < min_digits) digits.insert(digits.begin(), '0');
  std::string out = e < 0 ? "-" : (plus_sign ? "+" : "");
  return out.append(digits);
}

std::string Non_Finite_Text(double x) {
  if (std::isnan(x)) return "NAN";
  return x < 0 ? "-INF" : "INF";
}

std::string General_Text(double x, int precision, int exp_digits) {
  if (!std::isfinite(x)) return Non_Finite_Text(x);
  TDecimal d = To_Decimal(x);
  Round_Digits(d, precision);
  if (d.digits.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  if (d.exp > precision || d.exp < -4) {
    out += d.digits.substr(0, 1);
    if (d.digits.size() > 1) out.append(".").append(d.digits, 1);
    out.append("E").append(Exponent_Digits(d.exp - 1, exp_digits, false));
    return out;
  }
  if (d.exp <= 0) {
    out.append("0.").append(std::size_t(-d.exp), '0').append(d.digits);
    return out;
  }
  for (int i = 0; i < d.exp; ++i) out += Digit_At(d, i);
  if (int(d.digits.size()) > d.exp) out.append(".").append(d.digits, std::size_t(d.exp));
  return out;
}

std::string Exponent_Text(double x, int precision, int exp_digits) {
  if (!std::isfinite(x)) return Non_Finite_Text(x);
  TDecimal d = To_Decimal(x);
  Round_Digits(d, precision);
  std::string out = (d.negative && !d.digits.empty()) ? "-" : "";
  out += Digit_At(d, 0);
  if (precision > 1) {
    out += '.';
    for (int i = 1; i < precision; ++i) out += Digit_At(d, i);
  }
  int e = d.digits.empty() ? 0 : d.exp - 1;
  out.append("E").append(Exponent_Digits(e, exp_digits, true));
  return out;
}

std::string Pad_Left(std::string text, int width) {
  width = std::clamp(width, 0, 4096);
  if (int(text.size()) < width) text.insert(0, std::size_t(width) - text.size(), ' ');
  return text;
}

[[noreturn]] void Fail_Integer(const std::string& text) {
  throw EConvertError("'" + text + "' is not a valid integer value");
}

[[noreturn]] void Fail_Float(const std::string& text) {
  throw EConvertError("'" + text + "' is not a valid floating point value");
}

std::string Native(const std::string& path) { return Native_Path(path); }

bool Stat(const std::string& path, struct stat& st) { return ::stat(Native(path).c_str(), &st) == 0; }
}  // namespace

int Text_Pos(const std::string& sub, const std::string& text) {
  if (sub.empty()) return 0;
  std::size_t p = text.find(sub);
  return p == std::string::npos ? 0 : int(p) + 1;
}

std::string Text_Trim(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

int Text_Compare(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int x = static_cast<unsigned char>(Lower(a[i])), y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string Text_Copy(const std::string& text, std::int64_t from, std::int64_t count) {
  if (from < 1) from = 1;
  if (count <= 0 || from > std::int64_t(text.size())) return "";
  return text.substr(std::size_t(from - 1), std::size_t(std::min<std::int64_t>(count, std::int64_t(text.size()))));
}

int Text_Length(const std::string& text) { return Checked_Cast<int>(text.size()); }

std::string Text_Lower_Case(const std::string& text) {
  std::string s = text;
  for (char& c : s) c = Lower(c);
  return s;
}

std::string Text_Upper_Case(const std::string& text) {
  std::string s = text;
  for (char& c : s) c = Upper(c);
  return s;
}

std::int32_t Text_To_Int(const std::string& text) {
  std::string s = Without_Commas(text);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) Fail_Integer(text);
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (!Is_Digit(s[i])) Fail_Integer(text);
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) Fail_Integer(text);
  }
  if (negative) v = -v;
  if (!std::in_range<std::int32_t>(v)) Fail_Integer(text);
  return static_cast<std::int32_t>(v);
}

double Text_To_Float(const std::string& text) {
  std::string s = Text_Trim(Without_Commas(text));
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::size_t start = i;
  int mantissa_digits = 0;
  while (i < s.size() && Is_Digit(s[i])) ++i, ++mantissa_digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && Is_Digit(s[i])) ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) Fail_Float(text);
  bool negative_exponent = false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative_exponent = s[i++] == '-';
    std::size_t exp_start = i;
    while (i < s.size() && Is_Digit(s[i])) ++i;
    if (i == exp_start) Fail_Float(text);
  }
  if (i != s.size()) Fail_Float(text);
  std::string body = s.substr(start);
  // from_chars takes no "+" in the exponent either.
  std::size_t plus = body.find('+');
  if (plus != std::string::npos) body.erase(plus, 1);
  double v = 0;
  auto res = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    if (!negative_exponent) Fail_Float(text);
    v = 0;
  } else if (res.ec != std::errc() || res.ptr != body.data() + body.size()) {
    Fail_Float(text);
  }
  return negative ? -v : v;
}

std::string Int_To_Text(std::int64_t n) { return std::to_string(n); }

std::string Int_To_Text_Padded(std::int64_t n, int width, int digits) {
  std::string magnitude = n < 0 ? std::to_string(n).substr(1) : std::to_string(n);
  digits = std::clamp(digits, 0, 4096);
  if (int(magnitude.size()) < digits) magnitude.insert(0, std::size_t(digits) - magnitude.size(), '0');
  return Pad_Left((n < 0 ? "-" : "") + magnitude, width);
}

std::string Float_To_Text(double x) { return General_Text(x, 15, 0); }

std::string Float_To_Text_F(double x, TFloat_Format format, int precision, int digits) {
  precision = std::clamp(precision, 1, 15);
  if (!std::isfinite(x)) return Non_Finite_Text(x);
  switch (format) {
    case ffExponent:
      return Exponent_Text(x, precision, std::clamp(digits, 0, 4));
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      digits = std::clamp(digits, 0, 18);
      TDecimal d = To_Decimal(x);
      Round_Digits(d, precision);
      // Too many whole digits for the precision: the general form instead.
      if (d.exp > precision) return General_Text(x, precision, 0);
      std::string t = Fixed_Text(x, digits, format != ffFixed, precision);
      if (format == ffCurrency) {
        if (!t.empty() && t[0] == '-') return "-$" + t.substr(1);
        return "$" + t;
      }
      return t;
    }
    case ffGeneral:
    default:
      return General_Text(x, precision, std::clamp(digits, 0, 4));
  }
}

std::string Float_To_Text_Format(double x, int width, int decimals, int kind) {
  decimals = std::clamp(decimals, 0, 18);
  std::string t = std::isfinite(x) ? Fixed_Text(x, decimals, kind == 1) : Non_Finite_Text(x);
  return Pad_Left(t, width);
}

std::string Text_Pad_Left(const std::string& text, int width) { return Pad_Left(text, width); }

std::string Text_Replace(const std::string& text, const std::string& old_text, const std::string& new_text,
                         int flags) {
  if (old_text.empty()) return text;
  bool ignore_case = (flags & rfIgnoreCase) != 0;
  const std::string hay = ignore_case ? Text_Lower_Case(text) : text;
  const std::string needle = ignore_case ? Text_Lower_Case(old_text) : old_text;
  std::string out;
  std::size_t start = 0;
  while (true) {
    std::size_t p = hay.find(needle, start);
    if (p == std::string::npos) break;
    out.append(text, start, p - start);
    out += new_text;
    start = p + needle.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(text, start, std::string::npos);
  return out;
}

std::string Text_Replace_All(const std::string& text, const std::string& old_text, const std::string& new_text) {
  return Text_Replace(text, old_text, new_text, rfReplaceAll | rfIgnoreCase);
}

std::string Text_Remove_All(const std::string& text, const std::string& c) {
  if (c.empty()) return text;
  char x = Lower(c[0]);
  std::string out;
  for (char ch : text)
    if (Lower(ch) != x) out += ch;
  return out;
}

void Text_File_Write_Line(std::FILE* file, const std::string& text) {
  if (!file) throw EInOutError("File not open");
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fputc('\n', file) == EOF)
    throw EInOutError("Disk write error");
}

bool File_Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && Stat(path, st) && !S_ISDIR(st.st_mode);
}

bool Directory_Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && Stat(path, st) && S_ISDIR(st.st_mode);
}

bool Directory_Exists_2(const std::string& path) { return Directory_Exists(path); }

bool Directory_Create(const std::string& path) {
  if (path.empty()) return false;
  std::string native = Native(path);
  if (::mkdir(native.c_str(), 0777) == 0) return true;
  return Directory_Exists(path);
}

bool Directory_Create_All(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(Native(path), ec);
  return Directory_Exists(path);
}

bool Directory_Remove(const std::string& path) {
  return !path.empty() && ::rmdir(Native(path).c_str()) == 0;
}

bool File_Delete(const std::string& path) {
  if (!File_Exists(path)) return false;
  return ::unlink(Native(path).c_str()) == 0;
}

bool File_Copy(const std::string& from, const std::string& to, bool fail_if_exists) {
  if (!File_Exists(from)) return false;
  if (File_Exists(to) && fail_if_exists) return false;
  std::error_code ec;
  std::filesystem::copy_file(Native(from), Native(to), std::filesystem::copy_options::overwrite_existing, ec);
  return !ec;
}

std::int32_t File_Age(const std::string& path) {
  struct stat st;
  if (path.empty() || !Stat(path, st) || S_ISDIR(st.st_mode)) return -1;
  std::tm t{};
  std::time_t mt = st.st_mtime;
  if (!localtime_r(&mt, &t)) return -1;
  int year = t.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  std::uint32_t date = (std::uint32_t(year - 1980) << 9) | (std::uint32_t(t.tm_mon + 1) << 5) | std::uint32_t(t.tm_mday);
  std::uint32_t time = (std::uint32_t(t.tm_hour) << 11) | (std::uint32_t(t.tm_min) << 5) | std::uint32_t(t.tm_sec / 2);
  return static_cast<std::int32_t>((date << 16) | time);
}
