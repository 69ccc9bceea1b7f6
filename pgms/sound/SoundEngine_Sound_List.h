// The named sound effects, the pool of buffer slots they are loaded into
// for each play, and the queue of play, update and stop requests carried
// out once per frame (when the listener is set).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Sound_Device.h"

struct TSound_Effect {
  std::vector<std::string> names;  // lower case
  std::string file_name;           // lower case, in sounds\.
  std::uint16_t min_distance = 20;
  std::uint16_t max_distance = 200;
  bool is_3d = false;
};

struct TQueued_Play_Sound {
  bool loop = false;
  bool update = false;
  bool stop = false;
  std::int32_t handle = 0;
  std::int32_t halve_min_distance = 0;
  TSound_Vector position;
  TSound_Vector velocity;
  std::int32_t volume = 0;
  bool is_3d = false;
};

struct TSound_Slot {
  std::string file_name;
  std::unique_ptr<TSound_Buffer> buffer;  // also the positional buffer of a 3D effect
};

constexpr std::int32_t SOUND_SLOT_COUNT = 128;

class TSound_List {
public:
  // The slots in use: 30, else the device's count of hardware 3D buffers
  // (maximum, then free, each when above 0), at most 128.
  TSound_List();

  std::uint16_t m_Find_Effect(const std::string& name) const;
  bool m_Add_Sound_Effect(const std::string& name, const std::string& file_name, std::uint16_t instances,
                          std::uint16_t min_distance, std::uint16_t max_distance, bool is_3d);
  std::int32_t Get_Buffer_For_Sound_Effect(const std::string& file_name, bool is_3d);
  bool m_Is_Audible(double distance) const { return distance <= f_max_audible_distance; }
  std::int32_t Play_3D_Sound(const std::string& name, std::int32_t halve, double distance,
                             const TSound_Vector& position, const TSound_Vector& velocity);
  std::int32_t Update_3D_Sound_Position(const std::string& name, std::int32_t halve, std::int32_t handle,
                                        double distance, const TSound_Vector& position, const TSound_Vector& velocity);
  void Stop_3D_Sound(std::int32_t handle);
  void Play_Sound(const std::string& name, std::int32_t volume, std::int32_t check);
  void Play_All_Queued_Sounds();
  void m_Set_Sound_Min_Max_Distance(TSound_Buffer& buffer, std::int32_t halve, std::uint16_t min_distance,
                                    std::uint16_t max_distance);

  std::uint16_t m_Effect_Count() const { return static_cast<std::uint16_t>(f_effects.size()); }
  // Effect 1..count; ERangeError outside.
  const TSound_Effect& m_Get_Effect(std::int32_t index) const;
  const std::vector<TQueued_Play_Sound>& m_Queue() const { return f_queue; }
  std::int32_t m_Slots_In_Use() const { return f_slots_in_use; }
  // Slot 1..128; ERangeError outside.
  TSound_Slot& m_Get_Slot(std::int32_t slot);

  std::int32_t f_volume = 0;

private:
  bool m_Plays_Allowed() const;

  std::vector<TSound_Effect> f_effects;
  std::vector<TQueued_Play_Sound> f_queue;
  double f_max_audible_distance = 10000.0;
  std::array<TSound_Slot, SOUND_SLOT_COUNT> f_slots;
  std::int32_t f_last_slot = 0;
  std::int32_t f_slots_in_use = 30;
};

class TSound_List_Data_File_Loader : public TData_File_Loader {
public:
  TSound_List_Data_File_Loader(const std::string& file_name, TSound_List& list)
      : TData_File_Loader(file_name), f_list(list) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TSound_List& f_list;
};

// The global sound list; null until Load_Master_Sound_List.
extern TSound_List* Sound_List;

// Frees the old list, loads the file into a new one; true when the file
// loaded without errors (errors are reported as "Sound Effects Data File").
bool Load_Master_Sound_List(const std::string& file_name);
void Sound_Free_Sound_List();

// The handle of an effect's play in a slot, and its two parts.
std::int32_t Sound_Handle(std::int32_t effect, std::int32_t slot);
inline std::int32_t Sound_Handle_Effect(std::int32_t handle) { return handle / 1000; }
inline std::int32_t Sound_Handle_Slot(std::int32_t handle) { return handle % 1000; }
