// The per-user store of typed values that the game keeps between runs, in
// one text file ($XDG_CONFIG_HOME/globarch/registry.ini, by default
// ~/.config/globarch/registry.ini).
//
// The file holds keys as sections named by their path and, under each key,
// named values of three types:
//
//   [Software\Kestrune\Globarch]
//   "Sound Volume Level"=dword:00000064
//   "Last Savegame Dir"="C:\\games\\save"
//   "Brightness Increase"=hex:00,00,00,00,00,00,e0,3f
//
// dword is a 32-bit integer in hexadecimal; a text is quoted with the
// escapes \\, \", \n, \r and \t; hex holds raw bytes (a real is the 8 bytes
// of an IEEE 754 double, low byte first). Key paths and value names match
// ignoring the case of ASCII letters. Lines starting with ";" are comments.
//
// A line that cannot be read (a damaged or hand-edited file) is skipped and
// counted; the values on the other lines still load. Saving replaces the
// file atomically (a temporary file renamed over it), so a crash never
// leaves half a file; a file that had unreadable lines is first kept as
// registry.ini.bad.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class TRegistry_Type { Integer, Text, Binary };

struct TRegistry_Value {
  std::string name;  // as first written
  TRegistry_Type type = TRegistry_Type::Integer;
  std::uint32_t integer = 0;
  std::string bytes;  // the text, or the raw bytes of a binary value
};

class TRegistry_File {
 public:
  // Replaces the contents by those of the native file. A missing file gives
  // an empty store; an unreadable one gives an EInOutError.
  void m_Load(const std::string& native_path);
  // Reads the text of a file (the same rules as m_Load).
  void m_Parse(const std::string& text);
  // The whole file's text.
  std::string m_Format() const;
  // Writes the file atomically, creating its folder when needed; an
  // EInOutError when it cannot be written.
  void m_Save(const std::string& native_path) const;

  // Lines of the last load that could not be read.
  std::int32_t m_Bad_Lines() const { return f_bad_lines; }

  // A key exists when it was created or holds a key below it. The root ("")
  // always exists. Paths are "\"-separated.
  bool m_Key_Exists(const std::string& key) const;
  // Creates the key (and the keys above it).
  void m_Create_Key(const std::string& key);
  // The value, or null when the key or the value does not exist.
  const TRegistry_Value* m_Find(const std::string& key, const std::string& name) const;
  // Creates or replaces a value (creating the key).
  void m_Set(const std::string& key, const TRegistry_Value& value);
  // The values of a key in the order they were first written.
  std::vector<TRegistry_Value> m_Values(const std::string& key) const;

  // A path with repeated, leading and trailing "\" removed.
  static std::string m_Normal_Key(const std::string& key);

 private:
  struct TKey {
    std::string path;  // as first written
    std::vector<TRegistry_Value> values;
  };
  TKey* m_Key(const std::string& key);
  const TKey* m_Key(const std::string& key) const;

  // Keys by their folded path, in the order they were first created.
  std::vector<TKey> f_keys;
  std::map<std::string, std::size_t> f_index;
  std::int32_t f_bad_lines = 0;
};

// The native path of the registry file: $XDG_CONFIG_HOME/globarch/registry.ini
// when XDG_CONFIG_HOME is an absolute path, else
// $HOME/.config/globarch/registry.ini.
std::string Registry_File_Path();
