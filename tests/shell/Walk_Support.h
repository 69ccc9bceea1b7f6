// What the walk tests share: a display to run the real program under, a
// fixture that runs it on an input script, and the checks they make of the
// screenshots and the world they play on.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Game_Session.h"
#include "Image_Files.h"
#include "Shell_Fixture.h"

// A display for the walk: the one set, else a virtual one of our own that
// lives as long as this object.
class TWalk_Display {
public:
  TWalk_Display();
  ~TWalk_Display();
  TWalk_Display(const TWalk_Display&) = delete;
  TWalk_Display& operator=(const TWalk_Display&) = delete;
  bool m_Ok() const { return f_ok; }

private:
  pid_t f_pid = -1;
  bool f_set = false;
  bool f_ok = false;
};

class Walk_Fixture : public Shell_Fixture {
protected:
  // Runs the program with `switches` on the input script `script`, with
  // software drawing and silent sound; its exit code.
  int Run(const std::string& script, std::vector<const char*> switches);
  // Where the screenshot `name` is written.
  virtual std::string Shot(const std::string& name) const;
  // The screenshot `name` read back (a failed check when it cannot be read).
  TImage Read(const std::string& name) const;
  // The pixels of the rectangle [left, right) x [top, bottom) that are not black.
  static std::int32_t Lit(const TImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom);
  // A walk's game: the globals and a new game of `setup` on a fresh map.
  // Close_Walk_Game gives it the near view the walks play in, saves it as
  // `save` (only when `ok`) and frees everything again.
  bool Open_Walk_Game(const TGame_Session_Setup& setup);
  bool Close_Walk_Game(bool ok, const std::string& save);
  TTemp_Dir f_work;
};

// The unit type of the display name `name`; 0 when there is none.
std::uint16_t Type_Named(const std::string& name);
// The units of `owner` in `region`, of `type` (0: any type).
std::vector<std::int32_t> Units_Of(std::int32_t region, std::uint8_t owner, std::uint16_t type);
