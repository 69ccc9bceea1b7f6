// Exceptions of the game and checked integer arithmetic.
//
// Every failure the game raises itself is an EGlobarch_Error (or a class
// derived from it) carrying the message text that is shown or logged.
// Integer arithmetic that could overflow goes through the Checked_ helpers so
// that an overflow is an EIntOverflow, never undefined behaviour.
#pragma once

#include <concepts>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

class EGlobarch_Error : public std::runtime_error {
public:
  explicit EGlobarch_Error(const std::string& message) : std::runtime_error(message) {}
};

// Bad index, capacity or count of an integer list ("Invalid Index").
class EListError : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

// A value outside the range of its destination.
class ERangeError : public EGlobarch_Error {
public:
  ERangeError() : EGlobarch_Error("Range check error") {}
  using EGlobarch_Error::EGlobarch_Error;
};

// An integer operation whose result does not fit its type.
class EIntOverflow : public EGlobarch_Error {
public:
  EIntOverflow() : EGlobarch_Error("Arithmetic overflow") {}
  using EGlobarch_Error::EGlobarch_Error;
};

// A text that is not the number (or other value) it should hold.
class EConvertError : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

// A file that cannot be opened, read or written.
class EInOutError : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

// A registry value that is missing or of another type than the one read.
class ERegistry_Error : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

template <std::integral T>
T Checked_Add(T a, T b) {
  T r;
  if (__builtin_add_overflow(a, b, &r)) throw EIntOverflow();
  return r;
}

template <std::integral T>
T Checked_Sub(T a, T b) {
  T r;
  if (__builtin_sub_overflow(a, b, &r)) throw EIntOverflow();
  return r;
}

template <std::integral T>
T Checked_Mul(T a, T b) {
  T r;
  if (__builtin_mul_overflow(a, b, &r)) throw EIntOverflow();
  return r;
}

// Division that refuses a zero divisor and the one overflowing signed case.
template <std::integral T>
T Checked_Div(T a, T b) {
  if (b == 0) throw EIntOverflow("Division by zero");
  if constexpr (std::is_signed_v<T>) {
    if (a == std::numeric_limits<T>::min() && b == T(-1)) throw EIntOverflow();
  }
  return a / b;
}

// Conversion between integer types that raises ERangeError when the value
// does not fit the destination.
template <std::integral To, std::integral From>
To Checked_Cast(From v) {
  if (!std::in_range<To>(v)) throw ERangeError();
  return static_cast<To>(v);
}
