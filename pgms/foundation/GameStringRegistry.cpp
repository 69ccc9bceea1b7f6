#include "GameStringRegistry.h"

#include <bit>

#include "Errors.h"

TGameString_Registry::TGameString_Registry() : TGameString_Registry(Registry_File_Path()) {}

TGameString_Registry::TGameString_Registry(const std::string& native_file) : f_file(native_file) {}

TGameString_Registry::~TGameString_Registry() {
  try {
    m_Commit();
  } catch (...) {
    // A destructor must not throw; callers that care close the key.
  }
}

bool TGameString_Registry::m_Open_Key(const std::string& name, bool may_create) {
  if (!f_key_open) {
    // Pending writes of the root go out before the file is read again.
    m_Commit();
    try {
      f_store.m_Load(f_file);
    } catch (const EGlobarch_Error&) {
      return false;
    }
    f_current_key.clear();
  }
  std::string path = TRegistry_File::m_Normal_Key(f_current_key + "\\" + name);
  if (!f_store.m_Key_Exists(path)) {
    if (!may_create) return false;
    f_store.m_Create_Key(path);
    // A new key is kept in the file even while it holds no value.
    f_pending.push_back(TPending{path, true, {}});
  }
  f_current_key = path;
  f_key_open = true;
  return true;
}

void TGameString_Registry::m_Close_Key() {
  f_key_open = false;
  f_current_key.clear();
  m_Commit();
}

void TGameString_Registry::m_Commit() {
  if (f_pending.empty()) return;
  std::vector<TPending> pending;
  pending.swap(f_pending);
  TRegistry_File file;
  file.m_Load(f_file);
  for (const TPending& p : pending) {
    if (p.create_key)
      file.m_Create_Key(p.key);
    else
      file.m_Set(p.key, p.value);
  }
  file.m_Save(f_file);
}

bool TGameString_Registry::m_Value_Exists(const std::string& name) const {
  return f_store.m_Find(f_current_key, name) != nullptr;
}

const TRegistry_Value& TGameString_Registry::m_Get(const std::string& name, TRegistry_Type type) const {
  const TRegistry_Value* v = f_store.m_Find(f_current_key, name);
  if (!v) throw ERegistry_Error("Registry value '" + name + "' does not exist");
  if (v->type != type || (type == TRegistry_Type::Binary && v->bytes.size() != 8))
    throw ERegistry_Error("Invalid data type for '" + name + "'");
  return *v;
}

std::string TGameString_Registry::m_Read_String(const std::string& name) const {
  return m_Get(name, TRegistry_Type::Text).bytes;
}

std::int32_t TGameString_Registry::m_Read_Integer(const std::string& name) const {
  return static_cast<std::int32_t>(m_Get(name, TRegistry_Type::Integer).integer);
}

double TGameString_Registry::m_Read_Float(const std::string& name) const {
  const std::string& b = m_Get(name, TRegistry_Type::Binary).bytes;
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(b[std::size_t(i)]);
  return std::bit_cast<double>(bits);
}

bool TGameString_Registry::m_Read_Bool(const std::string& name) const { return m_Read_Integer(name) != 0; }

std::int32_t TGameString_Registry::m_Read_Raw_Integer(const std::string& name) const {
  const TRegistry_Value* v = f_store.m_Find(f_current_key, name);
  if (!v) return 0;
  if (v->type == TRegistry_Type::Integer) return static_cast<std::int32_t>(v->integer);
  if (v->type == TRegistry_Type::Binary && v->bytes.size() == 4) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(v->bytes[std::size_t(i)]);
    return static_cast<std::int32_t>(bits);
  }
  return 0;
}

void TGameString_Registry::m_Put(const TRegistry_Value& value) {
  f_store.m_Set(f_current_key, value);
  f_pending.push_back(TPending{f_current_key, false, value});
}

void TGameString_Registry::m_Write_String(const std::string& name, const std::string& value) {
  TRegistry_Value v;
  v.name = name;
  v.type = TRegistry_Type::Text;
  v.bytes = value;
  m_Put(v);
}

void TGameString_Registry::m_Write_Integer(const std::string& name, std::int32_t value) {
  TRegistry_Value v;
  v.name = name;
  v.type = TRegistry_Type::Integer;
  v.integer = static_cast<std::uint32_t>(value);
  m_Put(v);
}

void TGameString_Registry::m_Write_Float(const std::string& name, double value) {
  TRegistry_Value v;
  v.name = name;
  v.type = TRegistry_Type::Binary;
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) v.bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
  m_Put(v);
}

void TGameString_Registry::m_Write_Bool(const std::string& name, bool value) { m_Write_Integer(name, value ? 1 : 0); }

void TGameString_Registry::m_Write_Unsigned(const std::string& name, std::int64_t value) {
  std::uint32_t u = Checked_Cast<std::uint32_t>(value);
  m_Write_Integer(name, static_cast<std::int32_t>(u));
}
