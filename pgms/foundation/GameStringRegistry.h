// Typed values of the current user's registry, kept in the registry file
// (Registry_File.h).
//
// One key is open at a time; every read and write acts on it (on the root
// while none is open). Opening from the root reads the file afresh. Writes
// are kept in memory and committed to the file when the key is closed (or
// the object destroyed): the file is read again, the writes are applied
// and the result replaces the file atomically, so values written by
// another program in the meantime are kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Registry_File.h"

class TGameString_Registry {
 public:
  // The user's registry file (Registry_File_Path).
  TGameString_Registry();
  // Another file, in native form.
  explicit TGameString_Registry(const std::string& native_file);
  // Commits pending writes; a failure here is dropped.
  ~TGameString_Registry();
  TGameString_Registry(const TGameString_Registry&) = delete;
  TGameString_Registry& operator=(const TGameString_Registry&) = delete;

  // Opens the sub-key (a "\"-separated path) of the current key, creating
  // it when may_create is set; it becomes the current key. False when it
  // does not exist and may not be created, or when the file cannot be read.
  bool m_Open_Key(const std::string& name, bool may_create);
  // Commits the writes (EInOutError when the file cannot be written) and
  // returns to the root.
  void m_Close_Key();

  bool m_Value_Exists(const std::string& name) const;
  // A missing value, or one of another type, is an ERegistry_Error.
  std::string m_Read_String(const std::string& name) const;
  std::int32_t m_Read_Integer(const std::string& name) const;
  // An 8-byte binary value holding an IEEE 754 double.
  double m_Read_Float(const std::string& name) const;
  // An integer value; any value but 0 is true.
  bool m_Read_Bool(const std::string& name) const;
  // The 4-byte value (an integer, or 4 binary bytes), 0 otherwise; never
  // fails.
  std::int32_t m_Read_Raw_Integer(const std::string& name) const;

  void m_Write_String(const std::string& name, const std::string& value);
  void m_Write_Integer(const std::string& name, std::int32_t value);
  void m_Write_Float(const std::string& name, double value);
  void m_Write_Bool(const std::string& name, bool value);
  // An integer that must not be negative (nor above 2^32 - 1): an
  // ERangeError otherwise.
  void m_Write_Unsigned(const std::string& name, std::int64_t value);

  const std::string& m_Get_File() const { return f_file; }

 private:
  const TRegistry_Value& m_Get(const std::string& name, TRegistry_Type type) const;
  void m_Put(const TRegistry_Value& value);
  void m_Commit();

  std::string f_file;
  TRegistry_File f_store;
  bool f_key_open = false;
  std::string f_current_key;
  struct TPending {
    std::string key;
    bool create_key;  // a new key rather than a value
    TRegistry_Value value;
  };
  std::vector<TPending> f_pending;
};
