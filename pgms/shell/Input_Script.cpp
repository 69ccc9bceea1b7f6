#include "Input_Script.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Platform_Input.h"

namespace {

bool Parse_Int(const std::string& s, std::int64_t low, std::int64_t high, std::int64_t& out) {
  if (s.empty() || s.size() > 12) return false;
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i >= s.size()) return false;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = negative ? -v : v;
  return out >= low && out <= high;
}

std::uint8_t Button_Of(const TScript_Step& s, std::size_t index) {
  if (s.words.size() <= index) return 0;
  return s.words[index] == "right" ? 1 : s.words[index] == "middle" ? 2 : 0;
}

std::int32_t Word_Int(const TScript_Step& s, std::size_t index) {
  std::int64_t v = 0;
  Parse_Int(s.words[index], -100000, 100000, v);
  return std::int32_t(v);
}

// The line without its comment: a "#" at the start of a word (at the
// line's start or after a blank) begins a comment that runs to the line's
// end, with the blanks before it; "\#" stands for a "#" that is no comment.
// The same for every verb, so that "text" and "message" can be followed by
// a comment too.
std::string Without_Comment(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '#') {
      out += '#';
      ++i;
    } else if (c == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
      break;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool TInput_Script::m_Load_Text(const std::string& text, std::string& error) {
  f_steps.clear();
  f_next = 0;
  f_part = 0;
  std::istringstream in(text);
  std::string line;
  std::int32_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Without_Comment(line);
    std::istringstream words(line);
    std::string frame_text;
    if (!(words >> frame_text)) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    TScript_Step step;
    step.line = number;
    std::int64_t frame = 0;
    if (!Parse_Int(frame_text, 1, 100000000, frame)) {
      error = where + "a frame number from 1 is expected";
      return false;
    }
    step.frame = std::uint32_t(frame);
    if (!(words >> step.verb)) {
      error = where + "no event";
      return false;
    }
    std::getline(words, step.rest);
    const std::size_t first = step.rest.find_first_not_of(' ');
    step.rest = first == std::string::npos ? std::string() : step.rest.substr(first);
    std::istringstream args(step.rest);
    for (std::string w; args >> w;) step.words.push_back(w);

    std::size_t numbers = 0, at_least = 0;
    const std::string& v = step.verb;
    if (v == "move") numbers = at_least = 2;
    else if (v == "click" || v == "down" || v == "up") numbers = at_least = 2;
    else if (v == "wheel") numbers = at_least = 3;
    else if (v == "key" || v == "screenshot" || v == "waitfile") at_least = 1;
    else if (v == "text" || v == "message" || v == "quit") at_least = 0;
    else if (v == "clickregion" || v == "moveregion" || v == "clickunit" || v == "centre") numbers = at_least = 1;
    else {
      error = where + "unknown event \"" + v + "\"";
      return false;
    }
    if (step.words.size() < at_least) {
      error = where + "\"" + v + "\" needs more arguments";
      return false;
    }
    for (std::size_t i = 0; i < numbers; ++i) {
      std::int64_t n = 0;
      if (!Parse_Int(step.words[i], -100000, 100000, n)) {
        error = where + "\"" + step.words[i] + "\" is not a number";
        return false;
      }
    }
    step.part = f_steps.empty() ? 0 : f_steps.back().part + (step.frame < f_steps.back().frame ? 1 : 0);
    f_steps.push_back(std::move(step));
  }
  return true;
}

bool TInput_Script::m_Load_File(const std::string& native_path, std::string& error) {
  std::ifstream in(native_path, std::ios::binary);
  if (!in) {
    error = "the input script " + native_path + " cannot be read";
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  return m_Load_Text(all.str(), error);
}

std::vector<TScript_Step> TInput_Script::m_Take_Due(std::uint32_t frame) {
  std::vector<TScript_Step> due;
  while (f_next < f_steps.size() && f_steps[f_next].part == f_part) {
    if (!f_wait_for.empty()) {
      std::error_code error;
      if (!std::filesystem::exists(f_wait_for, error)) break;
      f_offset += std::int64_t(frame) - f_wait_frame;
      f_wait_for.clear();
    }
    const TScript_Step& step = f_steps[f_next];
    const std::int64_t at = std::int64_t(step.frame) + f_offset;
    if (at > std::int64_t(frame)) break;
    ++f_next;
    if (step.verb == "waitfile") {
      f_wait_for = step.rest;
      f_wait_frame = at;
      continue;
    }
    due.push_back(step);
  }
  return due;
}

void TInput_Script::m_Next_Window() {
  if (f_next < f_steps.size() && f_steps[f_next].part > f_part) {
    f_part = f_steps[f_next].part;
    // The next window counts its frames from 1 again.
    f_offset = 0;
    f_wait_for.clear();
  }
}

bool Input_Script_Inject(const TScript_Step& s) {
  const std::string& v = s.verb;
  if (v == "move") {
    Platform_Inject_Mouse_Move(Word_Int(s, 0), Word_Int(s, 1));
  } else if (v == "click") {
    Platform_Inject_Mouse_Move(Word_Int(s, 0), Word_Int(s, 1));
    Platform_Inject_Mouse_Button(true, Button_Of(s, 2), Word_Int(s, 0), Word_Int(s, 1));
    Platform_Inject_Mouse_Button(false, Button_Of(s, 2), Word_Int(s, 0), Word_Int(s, 1));
  } else if (v == "down" || v == "up") {
    Platform_Inject_Mouse_Button(v == "down", Button_Of(s, 2), Word_Int(s, 0), Word_Int(s, 1));
  } else if (v == "wheel") {
    Platform_Inject_Wheel(Word_Int(s, 0), Word_Int(s, 1), Word_Int(s, 2));
  } else if (v == "key") {
    std::uint8_t shift = 0;
    std::string name;
    for (const std::string& w : s.words) {
      if (w == "shift") shift |= INPUT_SHIFT;
      else if (w == "ctrl") shift |= INPUT_CTRL;
      else if (w == "alt") shift |= INPUT_ALT;
      else name += (name.empty() ? "" : " ") + w;
    }
    Platform_Inject_Key(name, shift);
  } else if (v == "text") {
    Platform_Inject_Text(s.rest);
  } else {
    return false;
  }
  return true;
}
