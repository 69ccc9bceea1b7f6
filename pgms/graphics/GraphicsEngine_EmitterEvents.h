// Running emitters of visual effects.
//
// Starting an effect makes one emitter event per emitter. An event waits for
// its delay, emits its particles into the particle list at its rate, plays
// the emitter's sounds, reports the end of the effect to the action timer
// once its end trigger has passed, and removes itself (with its particles)
// when the effect's lifetime is over. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_EffectEmitters.h"
#include "Vector_Types.h"

class TEffect;
class TEmitter;

// The positional sounds the emitters play. The default plays nothing and
// returns 0; the sound system installs its own.
class TEmitter_Sound_Link {
public:
  virtual ~TEmitter_Sound_Link() = default;
  // Queues the named sound effect at a world position; the sound handle, 0
  // when nothing plays.
  virtual std::int32_t Sound_Play_3D_Sound(const std::string& name, std::int32_t option, std::int32_t a,
                                           std::int32_t b, std::int32_t c, float x, float y, float z);
};
// The link in force (never null); nullptr restores the one that does nothing.
TEmitter_Sound_Link& Emitter_Sound_Link();
void Set_Emitter_Sound_Link(TEmitter_Sound_Link* link);

// Who hears that an effect started with notify 1 has passed its end
// trigger, with the action id it was started for: the game's action timer,
// which waits for it, installs itself here. Nobody hears it until then.
using TEffect_End_Listener = void (*)(std::int32_t action_id);
void Set_Effect_End_Listener(TEffect_End_Listener listener);

class TGEEvent {
public:
  // Takes id, effect, emitter and the source and target points; waits
  // (inactive) when the emitter exists only after a particle's death.
  TGEEvent(std::int32_t id, TEffect* effect, TEmitter* emitter, const TVector& source, const TVector& target,
           std::uint8_t notify, std::int32_t action_id);
  // The particle limit, rate and delay from the emitter's formulas, which
  // find this event by its id and read its points.
  void m_Evaluate_Emission();

  // Advances the event by x seconds; an ended event queues its removal.
  void m_Update(float x);
  // 1 the source, 2 the target; another index raises ERangeError.
  TVector m_Get_Vector(std::int64_t index) const;
  void m_Set_Vector(std::int64_t index, const TVector& v);
  void m_Set_Active(std::uint8_t flag) { active = flag; }

  std::int32_t id;
  std::uint8_t active = 1;
  std::int32_t effect_number = 0;
  TEffect* effect = nullptr;
  TEmitter* emitter = nullptr;
  float effect_lifetime = 0;  // seconds
  std::uint8_t notify = 0;
  std::int32_t action_id = 0;
  float elapsed = 0;          // seconds
  float accumulator = 0;      // ms
  std::int32_t particle_limit = 0;
  std::int32_t particles_emitted = 0;
  float emit_rate = 0;        // per ms
  float delay = 0;            // ms
  std::uint8_t one_time_sound_played = 0;
  std::uint8_t end_reported = 0;

private:
  void m_Emit_Particle();

  TVector f_vector_1, f_vector_2;
};

class TGEmitter_Events {
public:
  TGEmitter_Events() = default;
  ~TGEmitter_Events();
  TGEmitter_Events(const TGEmitter_Events&) = delete;
  TGEmitter_Events& operator=(const TGEmitter_Events&) = delete;

  void m_Clear();
  // False when there is no effect list or no effect with the number.
  bool m_Start_Effect(std::int32_t effect_number, const TVector& source, const TVector& target, std::uint8_t notify,
                      std::int32_t action_id);
  // Nothing when the effect has no emitter i.
  void m_Add_Event(TEffect* effect, std::int32_t emitter_index, const TVector& source, const TVector& target,
                   std::uint8_t notify, std::int32_t action_id);
  TGEEvent* m_Find_Event(std::int32_t id) const;
  void m_Queue_Removal(std::int32_t id);
  void m_Update(float x);
  void m_Activate_On_Death(std::int32_t effect_number, std::int32_t emitter_number, const TVector& position,
                           TEmitter_Condition kind, std::int32_t particle_number);

  std::int32_t m_Slot_Count() const { return std::int32_t(f_slots.size()); }
  // The event in slot i (1-based), none when empty or outside.
  TGEEvent* m_Get_Slot(std::int64_t i) const;
  std::int32_t m_Id_Counter() const { return f_id_counter; }
  std::int32_t m_Queue_Count() const { return std::int32_t(f_queue.size()); }

private:
  std::vector<std::unique_ptr<TGEEvent>> f_slots;
  std::int32_t f_id_counter = 0;
  std::vector<std::int32_t> f_queue;
};

// The global list of running emitter events (none until created).
extern std::unique_ptr<TGEmitter_Events> g_tg_emitter_events;
