#include "SoundEngine_Music_Base.h"

#include "Datafile_BaseGameSettings.h"
#include "Datafile_UserSettings.h"
#include "Debug_Log.h"
#include "Io.h"
#include "MachineOptions.h"
#include "Path.h"
#include "SoundEngine_Music_DSMixer.h"

namespace {
TDSMixer* Mixer = nullptr;
TDSMixerChannel* Channel = nullptr;
std::int32_t Music_Level = 0;
TMusic_Category Category = TMusic_Category::None;
std::string Last_Track;
bool Pending = false;
TMusic_Events Events;

void Log_Failure(const std::string& place, const std::exception& e) {
  if (Debug_Sections[DEBUG_SOUND_BASE]) Debug_Log_Write(place + " - " + e.what());
}

// A song of the current category other than the last one, when the
// category has another (1000 comparisons at most).
std::string Draw_Other_Song() {
  std::string song;
  for (int i = 0; i < 1000; ++i) {
    song = Base_Game_Settings.m_Get_Random_Song(std::int32_t(Category));
    if (song != Last_Track) return song;
  }
  return Base_Game_Settings.m_Get_Random_Song(std::int32_t(Category));
}

void Start_Track() {
  if (!Channel || !Path_Settings) return;
  std::string path = Path_Settings->m_Get_Music_File(Last_Track);
  if (Last_Track.empty() || !File_Exists(path)) return;
  try {
    Channel->SetFileName(path);
    Channel->SetLoop(false);
    Channel->SetVolume(-10000);
    Channel->OnEnd = [](TDSMixerChannel&) {
      if (Events.on_music_end) Events.on_music_end();
    };
    Channel->OnFadeEnd = [](TDSMixerChannel&) {
      if (Events.on_music_fade_end) Events.on_music_fade_end();
    };
    Channel->Play();
    Channel->Fade(4000, Sound_Music_Volume(Music_Level));
  } catch (const std::exception& e) {
    // A file that cannot be decoded or a missing device leaves the music silent.
    Log_Failure("Sound_Music_Start_Track", e);
  }
}
}  // namespace

std::int32_t Sound_Music_Volume(std::int32_t level) {
  if (level <= 0) return -10000;
  if (level <= 20) return -3000 - (20 - level) * 350;
  if (level <= 40) return -2000 - (40 - level) * 50;
  if (level <= 60) return -1000 - (60 - level) * 50;
  if (level <= 80) return -500 - (80 - level) * 25;
  if (level <= 100) return -(100 - level) * 25;
  return 0;
}

bool Sound_Music_Allowed() { return User_Settings.f_allow_music && (!Machine_Options || Machine_Options->f_play_music); }

void Set_Music_Events(const TMusic_Events& events) {
  Events = events;
  if (!Events.on_music_end) Events.on_music_end = [] { Sound_Music_Next_Track(); };
  if (!Events.on_music_fade_end) Events.on_music_fade_end = [] { Sound_Music_Start_Pending(); };
}

void Sound_Music_Init() {
  try {
    if (!Events.on_music_end || !Events.on_music_fade_end) Set_Music_Events(Events);
    Sound_Music_Free();
    Mixer = new TDSMixer();
    Channel = new TDSMixerChannel(Mixer);
    Music_Level = Machine_Options ? Machine_Options->f_music_volume : 0;
    Channel->SetInterval(200);
    Channel->SetBufferLength(10000);
    Channel->SetVolume(Sound_Music_Volume(Music_Level));
    Last_Track.clear();
    Category = TMusic_Category::None;
    Pending = false;
  } catch (const std::exception& e) {
    Log_Failure("Sound_Music_Init", e);
  }
}

void Sound_Music_Free() {
  delete Channel;
  Channel = nullptr;
  delete Mixer;
  Mixer = nullptr;
}

void Sound_Music_Start_Music(TMusic_Category category) {
  if (!Sound_Music_Allowed()) return;
  Pending = false;
  if (!Channel) return;
  Category = category;
  if (Channel->Playing()) {
    Pending = true;
    Channel->Fade(4000, -10000);
  } else {
    Last_Track = Base_Game_Settings.m_Get_Random_Song(std::int32_t(Category));
    Start_Track();
  }
}

void Sound_Music_Fade_Music(bool switch_pending) {
  if (!Sound_Music_Allowed()) return;
  Pending = false;
  if (Channel && Channel->Playing()) {
    Pending = switch_pending;
    Channel->Fade(4000, -10000);
  }
}

void Sound_Music_Next_Track() {
  if (!Sound_Music_Allowed()) return;
  Last_Track = Draw_Other_Song();
  Pending = false;
  Start_Track();
}

void Sound_Music_Start_Pending() {
  if (!Sound_Music_Allowed() || !Pending) return;
  Last_Track = Draw_Other_Song();
  Pending = false;
  Start_Track();
}

TDSMixerChannel* Sound_Music_Channel() { return Channel; }
TMusic_Category Sound_Music_Category() { return Category; }
const std::string& Sound_Music_Last_Track() { return Last_Track; }
bool Sound_Music_Pending() { return Pending; }
