// Describing formula values compactly for the table tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Datafile_Formula_Line.h"

// Expected values are written "<tag letter>:<value>": "S:abc", "F:2.5",
// "L:3", "B:true", "V:1,2,3", "C:r,g,b,a" (the colour field of a value
// whose tag is long 0), "R:x,y,z,w" (likewise the rect). Singles are
// compared as floats, so "F:0.1" means the float nearest to 0.1.
inline std::vector<float> Formula_Test_Floats(const std::string& text) {
  std::vector<float> v;
  std::stringstream ss(text);
  std::string part;
  while (std::getline(ss, part, ',')) v.push_back(std::strtof(part.c_str(), nullptr));
  return v;
}

inline ::testing::AssertionResult Formula_Value_Is(const TFormula_Value& v, const std::string& expected) {
  auto fail = [&](const std::string& what) {
    std::stringstream ss;
    ss << what << " (tag " << int(v.tag) << ", single " << v.single_value << ", long " << v.long_value
       << ", string \"" << v.string_value << "\", vector " << v.vector.x << "," << v.vector.y << "," << v.vector.z
       << ", color " << v.color.x << "," << v.color.y << "," << v.color.z << "," << v.color.w << ") expected "
       << expected;
    return ::testing::AssertionFailure() << ss.str();
  };
  if (expected.size() < 2 || expected[1] != ':') return fail("bad expectation");
  char kind = expected[0];
  std::string body = expected.substr(2);
  switch (kind) {
    case 'S':
      if (v.tag != FORMULA_TAG_STRING || v.string_value != body) return fail("not the string");
      break;
    case 'F':
      if (v.tag != FORMULA_TAG_SINGLE || v.single_value != std::strtof(body.c_str(), nullptr))
        return fail("not the single");
      break;
    case 'L':
      if (v.tag != FORMULA_TAG_LONG || v.long_value != std::atol(body.c_str())) return fail("not the long");
      break;
    case 'B':
      if (v.tag != FORMULA_TAG_BOOLEAN || v.long_value != (body == "true" ? 1 : 0)) return fail("not the boolean");
      break;
    case 'V':
    case 'v': {
      // "V" a vector-tagged value, "v" the vector field of a long 0.
      auto f = Formula_Test_Floats(body);
      if (f.size() != 3) return fail("bad expectation");
      std::uint8_t tag = kind == 'V' ? FORMULA_TAG_VECTOR : FORMULA_TAG_LONG;
      if (v.tag != tag || v.vector.x != f[0] || v.vector.y != f[1] || v.vector.z != f[2])
        return fail("not the vector");
      if (kind == 'v' && v.long_value != 0) return fail("long not 0");
      break;
    }
    case 'C':
    case 'R': {
      auto f = Formula_Test_Floats(body);
      if (f.size() != 4) return fail("bad expectation");
      const TVector4& c = kind == 'C' ? v.color : v.rect;
      if (v.tag != FORMULA_TAG_LONG || v.long_value != 0 || c.x != f[0] || c.y != f[1] || c.z != f[2] ||
          c.w != f[3])
        return fail(kind == 'C' ? "not the colour" : "not the rect");
      break;
    }
    default:
      return fail("bad expectation");
  }
  return ::testing::AssertionSuccess();
}
