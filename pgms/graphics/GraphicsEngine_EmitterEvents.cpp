#include "GraphicsEngine_EmitterEvents.h"

#include <climits>
#include <cmath>

#include "Datafile_EffectEmitters.h"
#include "Errors.h"
#include "GraphicsEngine_ParticleList.h"
#include "GraphicsEngine_Texture.h"
#include "Path.h"

std::unique_ptr<TGEmitter_Events> g_tg_emitter_events;

// --- sound link ------------------------------------------------------------------

std::int32_t TEmitter_Sound_Link::Sound_Play_3D_Sound(const std::string&, std::int32_t, std::int32_t, std::int32_t,
                                                      std::int32_t, float, float, float) {
  return 0;
}

namespace {
TEmitter_Sound_Link g_silent_sound;
TEmitter_Sound_Link* g_sound_link = &g_silent_sound;
// Constant-initialised, so that a listener installed during the static
// start-up of another module stays.
TEffect_End_Listener g_effect_end_listener = nullptr;

// The effect picture: first in the effects image folder, then in images\.
std::int32_t Load_Effect_Texture(const std::string& name) {
  if (!g_tg_texture_list || name.empty()) return 0;
  std::int32_t handle = 0;
  if (Path_Settings) {
    handle = g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Effect_Image_File(name), 1,
                                               TEXTURE_COLOR_KEY_BLACK);
    if (handle == 0)
      handle = g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Images_File(name), 1, TEXTURE_COLOR_KEY_BLACK);
  }
  return handle;
}
}  // namespace

TEmitter_Sound_Link& Emitter_Sound_Link() { return *g_sound_link; }
void Set_Emitter_Sound_Link(TEmitter_Sound_Link* link) { g_sound_link = link ? link : &g_silent_sound; }
void Set_Effect_End_Listener(TEffect_End_Listener listener) { g_effect_end_listener = listener; }

// --- one event -------------------------------------------------------------------

TGEEvent::TGEEvent(std::int32_t id_, TEffect* effect_, TEmitter* emitter_, const TVector& source,
                   const TVector& target, std::uint8_t notify_, std::int32_t action_id_)
    : id(id_), effect(effect_), emitter(emitter_), notify(notify_), action_id(action_id_), f_vector_1(source),
      f_vector_2(target) {
  if (emitter && emitter->condition_kind == TEmitter_Condition::Particle_Death) active = 0;
  if (effect) {
    effect_number = effect->number;
    effect_lifetime = effect->effect_lifetime;
  }
}

void TGEEvent::m_Evaluate_Emission() {
  if (!emitter) return;
  TEmitter_Emission e = Emitter_Evaluate_Emission(*emitter, id);
  particle_limit = e.num_particles;
  emit_rate = e.emit_rate;
  delay = e.delay;
}

TVector TGEEvent::m_Get_Vector(std::int64_t index) const {
  if (index == 1) return f_vector_1;
  if (index == 2) return f_vector_2;
  throw ERangeError();
}

void TGEEvent::m_Set_Vector(std::int64_t index, const TVector& v) {
  if (index == 1) f_vector_1 = v;
  else if (index == 2) f_vector_2 = v;
  else throw ERangeError();
}

void TGEEvent::m_Emit_Particle() {
  TGParticle_List& particles = *g_tg_particle_list;
  std::int32_t index = particles.m_Get_Free_Slot();
  std::int32_t handle = Load_Effect_Texture(emitter->texture);
  particles.m_Add_Emitter_Particle(index, effect_number, effect, emitter->emitter_number, this,
                                   particles_emitted + 1, handle, emitter->texture, 1);
  particles_emitted = Checked_Add<std::int32_t>(particles_emitted, 1);
  const TVector at = particles.m_Record(index).position;
  if (!emitter->sound_one_time.empty() && !one_time_sound_played) {
    Emitter_Sound_Link().Sound_Play_3D_Sound(emitter->sound_one_time, 0, 0, 0, 0, at.x, at.y, at.z);
    one_time_sound_played = 1;
  }
  if (!emitter->sound_per_particle.empty())
    Emitter_Sound_Link().Sound_Play_3D_Sound(emitter->sound_per_particle, 0, 0, 0, 0, at.x, at.y, at.z);
}

void TGEEvent::m_Update(float x) {
  elapsed += x;
  if (delay > 0) delay -= x * 1000.0f;
  else accumulator += x * 1000.0f;

  bool ended = emitter == nullptr;
  if (emitter) {
    bool emits = true;
    if (emitter->condition_kind == TEmitter_Condition::Particle_Alive) {
      emits = g_tg_particle_list &&
              g_tg_particle_list->m_Is_Alive(effect_number, emitter->condition_emitter, emitter->condition_particle);
    }
    if (emits && g_tg_particle_list && particles_emitted < particle_limit && emit_rate > 0) {
      // Computed in single precision, as every rate of the effects is.
      const float wanted = std::trunc(accumulator * emit_rate);
      const std::int64_t room = std::int64_t(particle_limit) - particles_emitted;
      const std::int32_t n = wanted < float(room) ? std::int32_t(wanted) : std::int32_t(room);
      if (n > 0) {
        accumulator -= float(n) / emit_rate;
        for (std::int32_t i = 0; i < n; ++i) m_Emit_Particle();
      }
    }
    if (emitter->trigger_effect_end >= 0 && emitter->trigger_effect_end < elapsed && !end_reported) {
      if (notify == 1 && g_effect_end_listener) g_effect_end_listener(action_id);
      end_reported = 1;
    }
    ended = elapsed >= effect_lifetime;
  }
  if (ended && g_tg_emitter_events) g_tg_emitter_events->m_Queue_Removal(id);
}

// --- the list --------------------------------------------------------------------

TGEmitter_Events::~TGEmitter_Events() { m_Clear(); }

void TGEmitter_Events::m_Clear() {
  // Particles keep a reference to their event; they go with it. The slots
  // are emptied first, so that a particle's death wakes no event meanwhile.
  std::vector<std::unique_ptr<TGEEvent>> events;
  events.swap(f_slots);
  f_queue.clear();
  for (auto& event : events) {
    if (event && g_tg_particle_list) g_tg_particle_list->m_Free_Event_Particles(event.get());
  }
}

bool TGEmitter_Events::m_Start_Effect(std::int32_t effect_number, const TVector& source, const TVector& target,
                                      std::uint8_t notify, std::int32_t action_id) {
  if (!Effect_List) return false;
  TEffect* effect = Effect_List->m_Get_Effect(effect_number);
  if (!effect) return false;
  for (std::int32_t i = 1; i <= effect->m_Emitter_Count(); ++i) {
    TVector s = Effect_List->source_override_set ? Effect_List->Param_Source_Vector_Override : source;
    TVector t = Effect_List->target_override_set ? Effect_List->Param_Target_Vector_Override : target;
    m_Add_Event(effect, i, s, t, notify, action_id);
  }
  return true;
}

void TGEmitter_Events::m_Add_Event(TEffect* effect, std::int32_t emitter_index, const TVector& source,
                                   const TVector& target, std::uint8_t notify, std::int32_t action_id) {
  if (!effect) return;
  TEmitter* emitter = effect->m_Get_Emitter(emitter_index);
  if (!emitter) return;
  std::size_t slot = 0;
  while (slot < f_slots.size() && f_slots[slot]) ++slot;
  if (slot == f_slots.size()) f_slots.emplace_back();
  // Ids only grow; past the largest they start again at 1 (an id still
  // running is passed over).
  do {
    f_id_counter = f_id_counter == INT32_MAX ? 1 : f_id_counter + 1;
  } while (m_Find_Event(f_id_counter));
  f_slots[slot] = std::make_unique<TGEEvent>(f_id_counter, effect, emitter, source, target, notify, action_id);
  f_slots[slot]->m_Evaluate_Emission();
}

TGEEvent* TGEmitter_Events::m_Find_Event(std::int32_t id) const {
  for (const auto& slot : f_slots) {
    if (slot && slot->id == id) return slot.get();
  }
  return nullptr;
}

TGEEvent* TGEmitter_Events::m_Get_Slot(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_slots.size())) return nullptr;
  return f_slots[std::size_t(i - 1)].get();
}

void TGEmitter_Events::m_Queue_Removal(std::int32_t id) { f_queue.push_back(id); }

void TGEmitter_Events::m_Update(float x) {
  // Slots added while advancing (none today) are looked at by index.
  for (std::size_t i = 0; i < f_slots.size(); ++i) {
    if (f_slots[i] && f_slots[i]->active) f_slots[i]->m_Update(x);
  }
  for (std::size_t q = 0; q < f_queue.size(); ++q) {
    for (auto& slot : f_slots) {
      if (!slot || slot->id != f_queue[q]) continue;
      if (g_tg_particle_list) g_tg_particle_list->m_Free_Event_Particles(slot.get());
      slot.reset();
    }
  }
  f_queue.clear();
}

void TGEmitter_Events::m_Activate_On_Death(std::int32_t effect_number, std::int32_t emitter_number, const TVector&,
                                           TEmitter_Condition kind, std::int32_t particle_number) {
  for (std::size_t i = 0; i < f_slots.size(); ++i) {
    TGEEvent* e = f_slots[i].get();
    if (!e || e->active || !e->emitter || !e->emitter->effect) continue;
    const TEmitter& em = *e->emitter;
    if (em.effect->number != effect_number || em.condition_kind != kind || em.condition_emitter != emitter_number ||
        em.condition_particle != particle_number)
      continue;
    e->m_Set_Active(1);
    e->m_Update(0.001f);
  }
}
