// One field list per saved record, walked in both directions.
//
// A record that goes into a file names its fields once, in a function
// template that takes a field visitor and the record:
//
//   template <class F, class R> void Fields(F& f, R& r) {
//     f.Integer(r.id);
//     f.String(r.name);
//   }
//
// Called with a TIo_Field_Writer (and a const record) the list writes the
// values; called with a TIo_Field_Reader it reads them back into the same
// members, in the same order and with the same tags. A field therefore
// cannot be written in one form and read in another, and a field added to
// a record is added to both directions at once.
//
// Each field method is named after the value's form in the file (Byte,
// Word, Integer, Longint ...), not after the member's type. A member of
// another integer type is checked against the file's form on both sides:
// a value that does not fit raises ERangeError instead of being cut.
//
// Counts of repeated parts are fields too: the writer writes the size of
// the container, the reader reads the count, checks it against the bytes
// left in the file (each entry takes at least `min_bytes`) and sizes the
// container before the entries are visited. `reading` lets a list do what
// only one direction needs (a check after a value was read, a debug-log
// line while writing) without a second list.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Errors.h"
#include "Io_Tagged.h"

namespace io_fields_detail {
template <class T>
using Number = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type;

// A value of the file's form `To` from a member of type T, checked.
template <class To, class T>
To To_File(T v) {
  return Checked_Cast<To>(static_cast<Number<T>>(v));
}
// A member of type T from a value read in the file's form, checked.
template <class T, class From>
T From_File(From v) {
  return static_cast<T>(Checked_Cast<Number<T>>(v));
}
}  // namespace io_fields_detail

class TIo_Field_Writer {
public:
  static constexpr bool reading = false;
  explicit TIo_Field_Writer(TIo_Writer& w) : f_w(w) {}

  // Each method takes one field or several of the same form, in order.
  template <class... T>
  void Boolean(const T&... v) {
    (Io_Write_Boolean(f_w, v), ...);
  }
  template <class... T>
  void Byte(const T&... v) {
    (Io_Write_Byte(f_w, io_fields_detail::To_File<std::uint8_t>(v)), ...);
  }
  template <class... T>
  void Word(const T&... v) {
    (Io_Write_Word(f_w, io_fields_detail::To_File<std::uint16_t>(v)), ...);
  }
  template <class... T>
  void Integer(const T&... v) {
    (Io_Write_Integer(f_w, io_fields_detail::To_File<std::int32_t>(v)), ...);
  }
  template <class... T>
  void Longint(const T&... v) {
    (Io_Write_Longint(f_w, io_fields_detail::To_File<std::int32_t>(v)), ...);
  }
  template <class... T>
  void Single(const T&... v) {
    (Io_Write_Single(f_w, v), ...);
  }
  template <class... T>
  void String(const T&... v) {
    (Io_Write_String(f_w, v), ...);
  }
  template <class... T>
  void Vector(const T&... v) {
    (Io_Write_Vector(f_w, v), ...);
  }
  template <class... T>
  void Color_RGBA(const T&... v) {
    (Io_Write_Color_RGBA(f_w, v), ...);
  }
  // An opaque colour as three bytes, red first (the alpha is not kept).
  void Color_RGB_Bytes(TColor v) {
    Io_Write_Byte(f_w, Color_Red(v));
    Io_Write_Byte(f_w, Color_Green(v));
    Io_Write_Byte(f_w, Color_Blue(v));
  }
  void String_List(const std::vector<std::string>& v) { Io_Write_String_List(f_w, v); }
  void Longint_List(const TLongintList& v) { Io_Write_Longint_List(f_w, v); }

  // The size of a container as a 32-bit integer or a word.
  template <class C>
  void Integer_Count(const C& items, std::uint64_t /*min_bytes*/) {
    Io_Write_Integer(f_w, Checked_Cast<std::int32_t>(items.size()));
  }
  template <class C>
  void Integer_Count(const C& items, std::uint64_t min_bytes, std::int32_t /*most*/, const char* /*too_many*/) {
    Integer_Count(items, min_bytes);
  }
  template <class C>
  void Word_Count(const C& items) {
    Io_Write_Word(f_w, Checked_Cast<std::uint16_t>(items.size()));
  }

  // A record of its own that saves itself with m_Save.
  template <class R>
  void Record(const R& record) {
    record.m_Save(f_w);
  }

  TIo_Writer& m_Writer() const { return f_w; }

private:
  TIo_Writer& f_w;
};

class TIo_Field_Reader {
public:
  static constexpr bool reading = true;
  explicit TIo_Field_Reader(TIo_Reader& r) : f_r(r) {}

  template <class... T>
  void Boolean(T&&... v) {
    (Read_Boolean(std::forward<T>(v)), ...);
  }
  template <class... T>
  void Byte(T&... v) {
    ((v = io_fields_detail::From_File<T>(Io_Read_Byte(f_r))), ...);
  }
  template <class... T>
  void Word(T&... v) {
    ((v = io_fields_detail::From_File<T>(Io_Read_Word(f_r))), ...);
  }
  template <class... T>
  void Integer(T&... v) {
    ((v = io_fields_detail::From_File<T>(Io_Read_Integer(f_r))), ...);
  }
  template <class... T>
  void Longint(T&... v) {
    ((v = io_fields_detail::From_File<T>(Io_Read_Longint(f_r))), ...);
  }
  template <class... T>
  void Single(T&... v) {
    ((v = Io_Read_Single(f_r)), ...);
  }
  template <class... T>
  void String(T&... v) {
    ((v = Io_Read_String(f_r)), ...);
  }
  template <class... T>
  void Vector(T&... v) {
    (Io_Read_Vector(f_r, v), ...);
  }
  template <class... T>
  void Color_RGBA(T&... v) {
    ((v = Io_Read_Color_RGBA(f_r)), ...);
  }
  void Color_RGB_Bytes(TColor& v) {
    const std::uint8_t red = Io_Read_Byte(f_r), green = Io_Read_Byte(f_r), blue = Io_Read_Byte(f_r);
    v = Make_Color(red, green, blue);
  }
  void String_List(std::vector<std::string>& v) { Io_Read_String_List(f_r, v); }
  void Longint_List(TLongintList& v) { Io_Read_Longint_List(f_r, v); }

  // A count that is negative, or larger than the entries the rest of the
  // file can hold, raises ERangeError before anything is sized by it.
  template <class C>
  void Integer_Count(C& items, std::uint64_t min_bytes) {
    items.resize(Checked_Count(Io_Read_Integer(f_r), min_bytes));
  }
  // The same with a largest count the record allows: beyond it `too_many`
  // is the error.
  template <class C>
  void Integer_Count(C& items, std::uint64_t min_bytes, std::int32_t most, const char* too_many) {
    const std::int32_t count = Io_Read_Integer(f_r);
    if (count > most) throw ERangeError(too_many);
    items.resize(Checked_Count(count, min_bytes));
  }
  // A word count asks for at most 65535 entries.
  template <class C>
  void Word_Count(C& items) {
    items.resize(Io_Read_Word(f_r));
  }
  std::size_t Checked_Count(std::int64_t count, std::uint64_t min_bytes) const {
    if (count < 0 || std::uint64_t(count) > f_r.m_Bytes_Left() / min_bytes)
      throw ERangeError("Count beyond the end of the file");
    return std::size_t(count);
  }

  // A record of its own that reads itself with m_Load.
  template <class R>
  void Record(R& record) {
    record.m_Load(f_r);
  }

  TIo_Reader& m_Reader() const { return f_r; }

private:
  void Read_Boolean(bool& v) { v = Io_Read_Boolean(f_r); }
  void Read_Boolean(std::vector<bool>::reference v) { v = Io_Read_Boolean(f_r); }

  TIo_Reader& f_r;
};
