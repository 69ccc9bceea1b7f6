// Timed input for end-to-end tests: a text file with one event a line,
//   <frame> <verb> <arguments>
// run in file order, each line at the given frame of the window shown then
// (the launcher counts its frames from 1, the game window from 1 again). A
// frame number lower than the line before's starts the part of the next
// window: it waits until that window shows.
// Verbs:
//   move X Y                 the mouse moves to (X, Y)
//   click X Y [right|middle] a button pressed and released at (X, Y)
//   down X Y [right|middle]  a button pressed;  up X Y [...] released
//   wheel N X Y              N notches (positive away from the user) at (X, Y)
//   key NAME [shift] [ctrl] [alt]   a key press (SDL's key names: F1, Escape,
//                            Return, A, Left, "Keypad +", ...)
//   text WORDS               each character typed as a key press
//   message CAPTION|TEXT     the program shows a message (as its modules do)
//   screenshot FILE          the frame is written to FILE as a bitmap
//   quit                     the window is closed (the launcher as by "Quit")
//   waitfile FILE            the script holds until FILE exists (another
//                            program's screenshot, say); the frames of the
//                            lines after it count from the frame it ends at
// In the game window, places of the running game:
//   centre N                 the camera is centred over region N
//   moveregion N             the mouse moves to region N's label point
//   clickregion N [right|middle]  a click there
//   clickunit N              a click on the stack of unit N
// A "#" at the start of a word (at the line's start or after a blank)
// begins a comment that runs to the end of the line, after every verb, text
// and message included; write "\#" for a "#" there that is typed or shown.
// Blank lines and comment lines are skipped. Coordinates are pixels of the
// window's client area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TScript_Step {
  std::uint32_t frame = 0;
  std::string verb;
  std::vector<std::string> words;  // the arguments split at blanks
  std::string rest;                // everything after the verb
  std::int32_t line = 0;
  std::int32_t part = 0;  // 0, then one more at each frame number lower than the one before
};

class TInput_Script {
public:
  // False with "line N: reason" for a file that cannot be read or a line
  // that is not understood.
  bool m_Load_Text(const std::string& text, std::string& error);
  bool m_Load_File(const std::string& native_path, std::string& error);
  // The steps due by this frame, in order, taken off the script.
  std::vector<TScript_Step> m_Take_Due(std::uint32_t frame);
  bool m_Done() const { return f_next >= f_steps.size(); }
  // A new window shows: the steps of the next part may run.
  void m_Next_Window();
  const std::vector<TScript_Step>& m_Steps() const { return f_steps; }

private:
  std::vector<TScript_Step> f_steps;
  std::size_t f_next = 0;
  std::int32_t f_part = 0;
  // The file a "waitfile" line waits for (empty: none), the frame it was
  // reached at, and how many frames the later lines are put back by.
  std::string f_wait_for;
  std::int64_t f_wait_frame = 0, f_offset = 0;
};

// Runs a step through the platform's input queue (or the caller's own
// handling for message, screenshot and quit, which it returns false for).
// True when the step was input.
bool Input_Script_Inject(const TScript_Step& step);
