#include "SoundEngine_Sound_List.h"

#include <algorithm>

#include "Debug_Log.h"
#include "Errors.h"
#include "Io.h"
#include "MachineOptions.h"
#include "Path.h"
#include "SoundEngine_Sound_Base.h"
#include "SoundEngine_Sound_Main.h"

TSound_List* Sound_List = nullptr;

namespace {
std::string Lower(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

void Queue_Log(TSound_Result r, const std::string& call) {
  DS_Log_Error(r, "TSound_List.Play_All_Queued_Sounds - " + call);
}
}  // namespace

std::int32_t Sound_Handle(std::int32_t effect, std::int32_t slot) {
  return Checked_Add(Checked_Mul(effect, std::int32_t(1000)), slot);
}

TSound_List::TSound_List() {
  f_slots_in_use = 30;
  if (SoundBase_Max_HW_3D_Static_Buffers() > 0)
    f_slots_in_use = std::int32_t(std::min<std::uint32_t>(SoundBase_Max_HW_3D_Static_Buffers(), SOUND_SLOT_COUNT));
  if (SoundBase_Free_HW_3D_Static_Buffers() > 0)
    f_slots_in_use = std::int32_t(std::min<std::uint32_t>(SoundBase_Free_HW_3D_Static_Buffers(), SOUND_SLOT_COUNT));
}

const TSound_Effect& TSound_List::m_Get_Effect(std::int32_t index) const {
  if (index < 1 || index > std::int32_t(f_effects.size())) throw ERangeError();
  return f_effects[std::size_t(index - 1)];
}

TSound_Slot& TSound_List::m_Get_Slot(std::int32_t slot) {
  if (slot < 1 || slot > SOUND_SLOT_COUNT) throw ERangeError();
  return f_slots[std::size_t(slot - 1)];
}

bool TSound_List::m_Plays_Allowed() const { return !Machine_Options || Machine_Options->f_play_sounds; }

std::uint16_t TSound_List::m_Find_Effect(const std::string& name) const {
  std::string lower = Lower(name);
  for (std::size_t i = 0; i < f_effects.size(); ++i)
    for (const std::string& n : f_effects[i].names)
      if (n == lower) return std::uint16_t(i + 1);
  return 0;
}

bool TSound_List::m_Add_Sound_Effect(const std::string& name, const std::string& file_name, std::uint16_t,
                                     std::uint16_t min_distance, std::uint16_t max_distance, bool is_3d) {
  std::string lower_name = Lower(name);
  std::string lower_file = Lower(file_name);
  TSound_Effect* effect = nullptr;
  for (TSound_Effect& e : f_effects)
    if (e.file_name == lower_file) effect = &e;
  if (!effect) {
    // The count is 16-bit.
    if (f_effects.size() >= 0xFFFF) throw ERangeError();
    f_effects.emplace_back();
    effect = &f_effects.back();
    effect->file_name = lower_file;
  }
  effect->names.push_back(lower_name);
  effect->min_distance = min_distance;
  effect->max_distance = max_distance;
  effect->is_3d = is_3d;
  return true;
}

std::int32_t TSound_List::Get_Buffer_For_Sound_Effect(const std::string& file_name, bool is_3d) {
  std::int32_t slot = f_last_slot;
  for (std::int32_t tries = 0; tries < 2 * f_slots_in_use + 1; ++tries) {
    slot = slot >= f_slots_in_use ? 1 : slot + 1;
    TSound_Slot& s = m_Get_Slot(slot);
    if (!s.buffer || !s.buffer->Is_Playing()) {
      f_last_slot = slot;
      s.file_name = file_name;
      s.buffer.reset();
      std::string path = Path_Settings ? Path_Settings->m_Get_Sound_File(file_name) : file_name;
      if (is_3d)
        SoundBase_Load3DSound(path, s.buffer);
      else
        SoundBase_LoadSound(path, s.buffer);
      return slot;
    }
  }
  if (Debug_Sections[DEBUG_SOUND_BASE]) Debug_Log_Write("ERROR: No Sound Buffer slot found!");
  return 0;
}

std::int32_t TSound_List::Play_3D_Sound(const std::string& name, std::int32_t halve, double distance,
                                        const TSound_Vector& position, const TSound_Vector& velocity) {
  if (!m_Plays_Allowed() || !SoundBase_Get_Device()) return 0;
  std::uint16_t effect = m_Find_Effect(name);
  if (effect == 0 || !m_Is_Audible(distance)) return 0;
  const TSound_Effect& e = m_Get_Effect(effect);
  std::int32_t slot = Get_Buffer_For_Sound_Effect(e.file_name, e.is_3d);
  if (slot == 0) return 0;
  TQueued_Play_Sound q;
  q.handle = Sound_Handle(effect, slot);
  q.halve_min_distance = halve;
  q.position = position;
  q.velocity = velocity;
  q.volume = f_volume;
  q.is_3d = e.is_3d;
  f_queue.push_back(q);
  return q.handle;
}

std::int32_t TSound_List::Update_3D_Sound_Position(const std::string& name, std::int32_t halve, std::int32_t handle,
                                                   double distance, const TSound_Vector& position,
                                                   const TSound_Vector& velocity) {
  std::int32_t effect = Sound_Handle_Effect(handle);
  if (effect > 0) {
    if (m_Is_Audible(distance)) {
      TQueued_Play_Sound q;
      q.update = true;
      q.handle = handle;
      q.halve_min_distance = halve;
      q.position = position;
      q.velocity = velocity;
      q.volume = f_volume;
      if (effect <= std::int32_t(f_effects.size())) q.is_3d = m_Get_Effect(effect).is_3d;
      f_queue.push_back(q);
    } else {
      Stop_3D_Sound(handle);
    }
    return handle;
  }
  if (!name.empty()) return Play_3D_Sound(name, halve, distance, position, velocity);
  return handle;
}

void TSound_List::Stop_3D_Sound(std::int32_t handle) {
  std::int32_t effect = Sound_Handle_Effect(handle);
  if (effect <= 0) return;
  TQueued_Play_Sound q;
  q.stop = true;
  q.update = true;
  q.handle = handle;
  if (effect <= std::int32_t(f_effects.size())) q.is_3d = m_Get_Effect(effect).is_3d;
  f_queue.push_back(q);
}

void TSound_List::Play_Sound(const std::string& name, std::int32_t volume, std::int32_t check) {
  if (!m_Plays_Allowed()) return;
  std::uint16_t effect = m_Find_Effect(name);
  if (effect == 0) return;
  if (check >= 0) {
    for (const TQueued_Play_Sound& q : f_queue)
      if (!q.stop && !q.loop && !q.update && Sound_Handle_Effect(q.handle) == effect) return;
  }
  const TSound_Effect& e = m_Get_Effect(effect);
  std::int32_t slot = Get_Buffer_For_Sound_Effect(e.file_name, e.is_3d);
  if (slot == 0) return;
  TQueued_Play_Sound q;
  q.handle = Sound_Handle(effect, slot);
  q.position = Sound_Last_Listener_Position();
  q.volume = volume;
  q.is_3d = e.is_3d;
  f_queue.push_back(q);
}

void TSound_List::m_Set_Sound_Min_Max_Distance(TSound_Buffer& buffer, std::int32_t halve, std::uint16_t min_distance,
                                               std::uint16_t max_distance) {
  double min = min_distance;
  double max = max_distance;
  if (halve == 1) min = min / 2;
  if (f_volume != 0) {
    double factor = (f_volume + 10000.0) / 10000.0;
    min *= factor;
    max *= factor;
  }
  DS_Log_Error(buffer.Set_Min_Distance(min), "TSound_List.m_Set_Sound_Min_Max_Distance - SetMinDistance");
  DS_Log_Error(buffer.Set_Max_Distance(max), "TSound_List.m_Set_Sound_Min_Max_Distance - SetMaxDistance");
}

void TSound_List::Play_All_Queued_Sounds() {
  for (const TQueued_Play_Sound& q : f_queue) {
    std::int32_t effect = Sound_Handle_Effect(q.handle);
    std::int32_t slot = Sound_Handle_Slot(q.handle);
    if (effect < 1 || effect > std::int32_t(f_effects.size()) || slot < 1 || slot > f_slots_in_use) continue;
    TSound_Slot& s = m_Get_Slot(slot);
    if (!s.buffer) continue;
    TSound_Buffer& b = *s.buffer;
    const TSound_Effect& e = m_Get_Effect(effect);
    std::int32_t mode = SD3DMODE_NORMAL;
    if (q.stop) {
      Queue_Log(b.Stop(), "this_buffer.Stop");
      s.buffer.reset();
      s.file_name.clear();
    } else if (!q.is_3d) {
      Queue_Log(b.Set_Volume(q.volume), "SetVolume");
      Queue_Log(b.Play(false), "this_buffer.Play 1");
    } else if (!q.loop && !q.update) {
      TSound_Result r = b.Get_Mode(mode);
      Queue_Log(r, "GetMode 1");
      if (r == SD_OK && mode == SD3DMODE_DISABLE) Queue_Log(b.Set_Mode(SD3DMODE_NORMAL), "SetMode 1");
      m_Set_Sound_Min_Max_Distance(b, q.halve_min_distance, e.min_distance, e.max_distance);
      Queue_Log(b.Set_Position(q.position), "SetPosition 1");
      Queue_Log(b.Set_Velocity(q.velocity), "SetVelocity 1");
      Queue_Log(b.Play(false), "this_buffer.Play 2");
    } else if (q.update && !q.loop) {
      TSound_Result r = b.Get_Mode(mode);
      Queue_Log(r, "GetMode 2");
      if (r == SD_OK && mode == SD3DMODE_DISABLE) Queue_Log(b.Set_Mode(SD3DMODE_NORMAL), "SetMode 2");
      Queue_Log(b.Set_Position(q.position), "SetPosition 2");
      Queue_Log(b.Play(false), "this_buffer.Play 3");
    } else if (q.loop && !q.update) {
      TSound_Result r = b.Get_Mode(mode);
      Queue_Log(r, "GetMode 3");
      if (r == SD_OK && mode == SD3DMODE_DISABLE) Queue_Log(b.Set_Mode(SD3DMODE_NORMAL), "SetMode 3");
      m_Set_Sound_Min_Max_Distance(b, q.halve_min_distance, e.min_distance, e.max_distance);
      Queue_Log(b.Set_Position(q.position), "SetPosition 3");
      Queue_Log(b.Set_Velocity(q.velocity), "SetVelocity 3");
      Queue_Log(b.Play(true), "this_buffer.Play 4");
    } else {
      Queue_Log(b.Set_Position(q.position), "SetPosition 4");
      Queue_Log(b.Play(false), "this_buffer.Play 4");
    }
  }
  f_queue.clear();
}

void TSound_List_Data_File_Loader::m_Load_Record(std::int32_t) {
  std::string v;
  std::string name, file_name;
  std::uint16_t min_distance = 20, max_distance = 200, instances = 0;
  bool is_3d = false;
  if (m_Get_Field("Sound Effect Name", v, true)) name = Datafile_Value_To_String(v);
  if (m_Get_Field("Sound Effect Filename", v, true)) file_name = Datafile_Value_To_String(v);
  if (m_Get_Field("Sound Min Distance", v, true)) min_distance = Datafile_Value_To_Word(v);
  if (m_Get_Field("Sound Max Distance", v, true)) max_distance = Datafile_Value_To_Word(v);
  if (m_Get_Field("Effect Instances", v, true)) instances = Datafile_Value_To_Word(v);
  if (m_Get_Field("Is 3D Sound Effect", v, true)) is_3d = Datafile_Value_To_Boolean(v);
  if (!name.empty() && !file_name.empty() && instances > 0)
    f_list.m_Add_Sound_Effect(name, file_name, instances, min_distance, max_distance, is_3d);
}

bool Load_Master_Sound_List(const std::string& file_name) {
  Sound_Free_Sound_List();
  Sound_List = new TSound_List();
  TSound_List_Data_File_Loader loader(file_name, *Sound_List);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Report_Datafile_Error(loader.m_Get_Errors(), "Sound Effects Data File", file_name, nullptr);
  return false;
}

void Sound_Free_Sound_List() {
  delete Sound_List;
  Sound_List = nullptr;
}
