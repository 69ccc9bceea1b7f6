// The music: one mixer with one channel, a random track of the current
// category (title, main, combat, finale) from the base game settings' song
// lists of those numbers, fading in at its start, fading out before a change of category,
// and the next track of the category when a track ends.
//
// Music is allowed when the user settings' "Allow Music" and the machine
// options' "Play Music" are on. The channel's end and fade-end events go
// through Music_Events (the main window forwards them back here).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The music categories; the number picks the song list of the base game
// settings. None: no music started yet.
enum class TMusic_Category : std::int32_t { None = 0, Title = 1, Main = 2, Combat = 3, Finale = 4 };

class TDSMixer;
class TDSMixerChannel;

// Level 0..100 of "Music Volume Level" to hundredths of a decibel.
std::int32_t Sound_Music_Volume(std::int32_t level);
bool Sound_Music_Allowed();

void Sound_Music_Init();
void Sound_Music_Free();
void Sound_Music_Start_Music(TMusic_Category category);
void Sound_Music_Fade_Music(bool switch_pending);
void Sound_Music_Next_Track();
void Sound_Music_Start_Pending();

// Where the channel's events go: by default straight to
// Sound_Music_Next_Track and Sound_Music_Start_Pending.
struct TMusic_Events {
  std::function<void()> on_music_end;
  std::function<void()> on_music_fade_end;
};
void Set_Music_Events(const TMusic_Events& events);

// The module's state, for the shell and for tests.
TDSMixerChannel* Sound_Music_Channel();
TMusic_Category Sound_Music_Category();
const std::string& Sound_Music_Last_Track();
bool Sound_Music_Pending();
