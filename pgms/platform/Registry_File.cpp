#include "Registry_File.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Errors.h"
#include "Text_Encoding.h"

namespace {
std::string Fold(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

bool Same_Name(const std::string& a, const std::string& b) { return Fold(a) == Fold(b); }

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

int Hex_Digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Quote(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    switch (c) {
      case '\\':
        r += "\\\\";
        break;
      case '"':
        r += "\\\"";
        break;
      case '\n':
        r += "\\n";
        break;
      case '\r':
        r += "\\r";
        break;
      case '\t':
        r += "\\t";
        break;
      default:
        r += c;
    }
  }
  return r + "\"";
}

// Reads a quoted text starting at s[pos] == '"'; pos moves past the closing
// quote. False for an unterminated text or an unknown escape.
bool Unquote(const std::string& s, std::size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return Is_Valid_Utf8(out);
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= s.size()) return false;
    switch (s[i]) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      default:
        return false;
    }
  }
  return false;
}

bool Parse_Dword(const std::string& s, std::uint32_t& out) {
  if (s.empty() || s.size() > 8) return false;
  std::uint32_t v = 0;
  for (char c : s) {
    int d = Hex_Digit(c);
    if (d < 0) return false;
    v = v * 16u + std::uint32_t(d);
  }
  out = v;
  return true;
}

bool Parse_Hex(const std::string& s, std::string& out) {
  out.clear();
  if (Trim(s).empty()) return true;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = s.find(',', start);
    std::string item = Trim(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (item.size() != 2) return false;
    int hi = Hex_Digit(item[0]), lo = Hex_Digit(item[1]);
    if (hi < 0 || lo < 0) return false;
    out += char(hi * 16 + lo);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// One value line: "name"=value.
bool Parse_Value_Line(const std::string& line, TRegistry_Value& v) {
  std::size_t pos = 0;
  if (!Unquote(line, pos, v.name)) return false;
  std::string rest = Trim(line.substr(pos));
  if (rest.empty() || rest[0] != '=') return false;
  rest = Trim(rest.substr(1));
  if (rest.compare(0, 6, "dword:") == 0) {
    v.type = TRegistry_Type::Integer;
    return Parse_Dword(rest.substr(6), v.integer);
  }
  if (rest.compare(0, 4, "hex:") == 0) {
    v.type = TRegistry_Type::Binary;
    return Parse_Hex(rest.substr(4), v.bytes);
  }
  if (!rest.empty() && rest[0] == '"') {
    v.type = TRegistry_Type::Text;
    std::size_t p = 0;
    return Unquote(rest, p, v.bytes) && p == rest.size();
  }
  return false;
}

std::string Format_Value(const TRegistry_Value& v) {
  std::string line = Quote(v.name) + "=";
  char buf[16];
  switch (v.type) {
    case TRegistry_Type::Integer:
      std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(v.integer));
      line += buf;
      break;
    case TRegistry_Type::Text:
      line += Quote(v.bytes);
      break;
    case TRegistry_Type::Binary:
      line += "hex:";
      for (std::size_t i = 0; i < v.bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", unsigned(static_cast<unsigned char>(v.bytes[i])));
        line += buf;
      }
      break;
  }
  return line;
}
}  // namespace

std::string TRegistry_File::m_Normal_Key(const std::string& key) {
  std::string r;
  for (char c : key) {
    if (c == '\\' && (r.empty() || r.back() == '\\')) continue;
    r += c;
  }
  if (!r.empty() && r.back() == '\\') r.pop_back();
  return r;
}

TRegistry_File::TKey* TRegistry_File::m_Key(const std::string& key) {
  auto it = f_index.find(Fold(m_Normal_Key(key)));
  return it == f_index.end() ? nullptr : &f_keys[it->second];
}

const TRegistry_File::TKey* TRegistry_File::m_Key(const std::string& key) const {
  auto it = f_index.find(Fold(m_Normal_Key(key)));
  return it == f_index.end() ? nullptr : &f_keys[it->second];
}

bool TRegistry_File::m_Key_Exists(const std::string& key) const {
  return m_Normal_Key(key).empty() || m_Key(key) != nullptr;
}

void TRegistry_File::m_Create_Key(const std::string& key) {
  std::string path = m_Normal_Key(key);
  // The keys above first, so that every prefix exists too.
  std::size_t end = 0;
  while (true) {
    end = path.find('\\', end);
    std::string part = path.substr(0, end);
    std::string folded = Fold(part);
    if (!f_index.count(folded)) {
      f_index[folded] = f_keys.size();
      f_keys.push_back(TKey{part, {}});
    }
    if (end == std::string::npos) break;
    ++end;
  }
}

const TRegistry_Value* TRegistry_File::m_Find(const std::string& key, const std::string& name) const {
  const TKey* k = m_Key(key);
  if (!k) return nullptr;
  for (const TRegistry_Value& v : k->values)
    if (Same_Name(v.name, name)) return &v;
  return nullptr;
}

void TRegistry_File::m_Set(const std::string& key, const TRegistry_Value& value) {
  m_Create_Key(key);
  TKey* k = m_Key(key);
  for (TRegistry_Value& v : k->values) {
    if (Same_Name(v.name, value.name)) {
      std::string name = v.name;
      v = value;
      v.name = name;
      return;
    }
  }
  k->values.push_back(value);
}

std::vector<TRegistry_Value> TRegistry_File::m_Values(const std::string& key) const {
  const TKey* k = m_Key(key);
  return k ? k->values : std::vector<TRegistry_Value>{};
}

void TRegistry_File::m_Parse(const std::string& text) {
  f_keys.clear();
  f_index.clear();
  f_bad_lines = 0;
  bool in_key = false;
  std::string current;
  std::istringstream in(text);
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    first = false;
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || !Is_Valid_Utf8(line)) {
        ++f_bad_lines;
        in_key = false;  // the values below belong to a key we cannot name
        continue;
      }
      current = m_Normal_Key(line.substr(1, line.size() - 2));
      m_Create_Key(current);
      in_key = true;
      continue;
    }
    TRegistry_Value v;
    if (!in_key || !Parse_Value_Line(line, v)) {
      ++f_bad_lines;
      continue;
    }
    m_Set(current, v);
  }
}

void TRegistry_File::m_Load(const std::string& native_path) {
  std::error_code ec;
  if (!std::filesystem::exists(native_path, ec)) {
    m_Parse("");
    return;
  }
  std::ifstream in(native_path, std::ios::binary);
  if (!in.is_open() || std::filesystem::is_directory(native_path, ec))
    throw EInOutError("Cannot read the registry file " + native_path);
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) throw EInOutError("Cannot read the registry file " + native_path);
  m_Parse(ss.str());
}

std::string TRegistry_File::m_Format() const {
  std::string out = "; Globarch registry: the game's stored options.\n";
  for (const TKey& k : f_keys) {
    bool has_children = false;
    std::string prefix = Fold(k.path) + "\\";
    for (const auto& [folded, index] : f_index) {
      if (k.path.empty() ? !folded.empty() : folded.compare(0, prefix.size(), prefix) == 0) {
        has_children = true;
        break;
      }
    }
    // A key is written when it holds values or when no key below it would
    // bring it back on reading.
    if (k.values.empty() && (has_children || k.path.empty())) continue;
    out += "\n[" + k.path + "]\n";
    for (const TRegistry_Value& v : k.values) out += Format_Value(v) + "\n";
  }
  return out;
}

void TRegistry_File::m_Save(const std::string& native_path) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target(native_path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  if (f_bad_lines > 0 && fs::exists(target, ec))
    fs::copy_file(target, native_path + ".bad", fs::copy_options::overwrite_existing, ec);

  std::string tmp = native_path + ".tmp" + std::to_string(::getpid());
  std::string text = m_Format();
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) throw EInOutError("Cannot write the registry file " + native_path + ": " + std::strerror(errno));
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ::fsync(::fileno(f)) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok || std::rename(tmp.c_str(), native_path.c_str()) != 0) {
    std::string reason = std::strerror(errno);
    fs::remove(tmp, ec);
    throw EInOutError("Cannot write the registry file " + native_path + ": " + reason);
  }
}

std::string Registry_File_Path() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && home[0] ? home : "/tmp") / ".config";
  }
  return (base / "globarch" / "registry.ini").string();
}
