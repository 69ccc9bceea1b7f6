#include "Native_Path.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {
bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

bool Same_Ignoring_Case(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return a[i] == 0 && i == b.size();
}

// The name of an entry of `dir` equal to `name` ignoring case, or `name`.
std::string Match_In(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return name;
  std::string found = name;
  while (dirent* e = ::readdir(d)) {
    if (Same_Ignoring_Case(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}
}  // namespace

std::string Native_Path(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  if (native.empty() || Exists(native)) return native;

  // Walk the components and fix each one that does not exist as written.
  std::string out;
  std::size_t pos = 0;
  if (native[0] == '/') {
    out = "/";
    pos = 1;
  }
  bool missing = false;  // once a folder is missing, nothing below it exists
  while (pos <= native.size()) {
    std::size_t next = native.find('/', pos);
    if (next == std::string::npos) next = native.size();
    std::string part = native.substr(pos, next - pos);
    if (!part.empty()) {
      std::string candidate = out + part;
      if (!missing && part != "." && part != ".." && !Exists(candidate)) {
        std::string dir = out.empty() ? std::string(".") : out;
        part = Match_In(dir, part);
        candidate = out + part;
        if (!Exists(candidate)) missing = true;
      }
      out = candidate;
    }
    if (next < native.size()) out += '/';
    pos = next + 1;
  }
  return out;
}

std::string Design_Path(const std::string& native_path) {
  std::string p = native_path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}
