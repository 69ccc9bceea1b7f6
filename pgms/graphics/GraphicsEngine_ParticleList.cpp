#include "GraphicsEngine_ParticleList.h"

#include <algorithm>
#include <cmath>

#include "Datafile_EffectEmitters.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_Texture.h"
#include "Path.h"
#include "Vector_Math.h"

std::unique_ptr<TGParticle_List> g_tg_particle_list;

namespace {
constexpr float kPi = 3.14159265358979323846f;
constexpr float kTwo_Pi = 2.0f * kPi;
constexpr std::int32_t kGrowth = 50;
constexpr std::uint32_t kId_Restart = 4294967000u;

TGParticle_View_Link g_default_view;
TGParticle_View_Link* g_view_link = &g_default_view;

// Moves value by step, not past target in the step's direction.
float Step_Towards(float value, float step, float target) {
  value += step;
  if (step < 0 && value < target) value = target;
  if (step > 0 && value > target) value = target;
  return value;
}

TVector Add(const TVector& a, const TVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
TVector Sub(const TVector& a, const TVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TVector Mul(const TVector& a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// The shortest turn from one heading to another.
float Short_Way(float from, float to) {
  float difference = to - from;
  if (std::fabs(difference) > kPi) difference = difference > 0 ? -(kTwo_Pi - std::fabs(difference)) : kTwo_Pi - std::fabs(difference);
  return difference;
}

// A vector that moves to `to` over `time` seconds (`inv` is 1 / time), or
// takes it at once when no time is left.
void Start_Vector_Range(TVector& value, TVector& target, TVector& step, float& time_left, const TVector& to,
                        float time, float inv) {
  target = to;
  if (time > 0) {
    step = Mul(Sub(to, value), inv);
    time_left = time;
  } else {
    value = to;
    time_left = 0;
  }
}

float Clamp_Unit(float v) { return v < 0 ? 0.0f : (v > 1 ? 1.0f : (std::isnan(v) ? 0.0f : v)); }

std::int32_t Load_Effect_Texture(const std::string& name) {
  if (!g_tg_texture_list || !Path_Settings || name.empty()) return 0;
  std::int32_t handle =
      g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Effect_Image_File(name), 1, TEXTURE_COLOR_KEY_BLACK);
  if (handle == 0)
    handle = g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Images_File(name), 1, TEXTURE_COLOR_KEY_BLACK);
  return handle;
}
}  // namespace

// --- view link ----------------------------------------------------------------------

bool TGParticle_View_Link::G_Sphere_Visible(const TVector&, float) { return true; }
TVector TGParticle_View_Link::m_Camera_Right() { return {1, 0, 0}; }
void TGParticle_View_Link::G_Font_Draw_Centered_Text_At_World_Position(std::int32_t, TColor, const TVector&,
                                                                        const std::string&) {}
TGParticle_View_Link& Particle_View_Link() { return *g_view_link; }
void Set_Particle_View_Link(TGParticle_View_Link* link) { g_view_link = link ? link : &g_default_view; }

// --- table --------------------------------------------------------------------------

TGParticle_List::TGParticle_List() {
  f_capacity = kGrowth;
  f_records.resize(std::size_t(f_capacity) + 1);
  f_draw_list.resize(std::size_t(f_capacity) + 1);
}

TGParticle_List::~TGParticle_List() {
  if (Formula_Get_Particle_Source() == this) Formula_Set_Particle_Source(nullptr);
}

void TGParticle_List::m_Reset() {
  for (auto& r : f_records) r = TGParticle_Rec();
  f_in_use = 0;
  f_draw_count = 0;
}

TGParticle_Rec& TGParticle_List::m_Record(std::int64_t index) {
  if (index < 1 || index > f_capacity) throw ERangeError();
  return f_records[std::size_t(index)];
}

std::uint32_t TGParticle_List::m_New_Id() {
  for (;;) {
    f_id_counter = f_id_counter + 1 >= kId_Restart ? 1 : f_id_counter + 1;
    bool held = false;
    for (std::int32_t i = 1; i <= f_capacity && !held; ++i) held = f_records[std::size_t(i)].id == f_id_counter;
    if (!held) return f_id_counter;
  }
}

std::int32_t TGParticle_List::m_Get_Free_Slot() {
  std::int32_t index = 0;
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    if (f_records[std::size_t(i)].id == 0) {
      index = i;
      break;
    }
  }
  if (index == 0) {
    index = f_capacity + 1;
    f_capacity = Checked_Add<std::int32_t>(f_capacity, kGrowth);
    f_records.resize(std::size_t(f_capacity) + 1);
    f_draw_list.resize(std::size_t(f_capacity) + 1);
  }
  TGParticle_Rec& r = f_records[std::size_t(index)];
  r = TGParticle_Rec();
  r.id = m_New_Id();
  ++f_in_use;
  return index;
}

void TGParticle_List::m_Free_Record(std::int32_t index) {
  if (index < 1 || index > f_capacity || f_records[std::size_t(index)].id == 0) return;
  const TGParticle_Rec r = f_records[std::size_t(index)];
  if (g_tg_emitter_events)
    g_tg_emitter_events->m_Activate_On_Death(r.key1, r.key2, r.position, TEmitter_Condition::Particle_Death, r.key3);
  f_records[std::size_t(index)] = TGParticle_Rec();
  --f_in_use;
}

void TGParticle_List::m_Free_Event_Particles(const TGEEvent* event) {
  if (!event) return;
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    const TGParticle_Rec& r = f_records[std::size_t(i)];
    if (r.id != 0 && r.event == event) m_Free_Record(i);
  }
}

TGParticle_Rec TGParticle_List::m_Copy_Record(std::int64_t index) const {
  if (index < 1 || index > f_capacity) return TGParticle_Rec();
  return f_records[std::size_t(index)];
}

TGParticle_Rec TGParticle_List::m_Find_System(std::int32_t key1, std::int32_t key2, std::int32_t key3) const {
  if (f_in_use == 0) return TGParticle_Rec();
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    const TGParticle_Rec& r = f_records[std::size_t(i)];
    if (r.id != 0 && r.key1 == key1 && r.key2 == key2 && r.key3 == key3) return r;
  }
  return TGParticle_Rec();
}

bool TGParticle_List::m_Get_System_Position(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                                            TVector& position) const {
  TGParticle_Rec r = m_Find_System(key1, key2, key3);
  position = r.id != 0 ? r.position : TVector{};
  return r.id != 0;
}

bool TGParticle_List::m_Find_System(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                                    TFormula_Particle_State& state) const {
  TGParticle_Rec r = m_Find_System(key1, key2, key3);
  state = TFormula_Particle_State();
  if (r.id == 0) return false;
  state.position = r.position;
  state.velocity = r.velocity;
  state.color = r.color;
  state.rotation = r.rotation;
  return true;
}

bool TGParticle_List::m_Is_Alive(std::int32_t key1, std::int32_t key2, std::int32_t key3) const {
  return m_Find_System(key1, key2, key3).id != 0;
}

void TGParticle_List::m_Add_Emitter_Particle(std::int32_t index, std::int32_t effect_number, TEffect* effect,
                                             std::int32_t emitter_number, TGEEvent* event,
                                             std::int32_t particle_number, std::int32_t texture_handle,
                                             const std::string& texture_name, std::uint8_t visible) {
  if (index < 1 || index > f_capacity || !event || !event->emitter) return;
  const TEmitter& em = *event->emitter;
  const TEmitter_Particle_Start s = Emitter_Evaluate_Particle_Start(em, event->id, particle_number);
  TGParticle_Rec& r = f_records[std::size_t(index)];
  r.kind = TParticle_Kind::Emitter;
  r.key1 = effect_number;
  r.effect = effect;
  r.key2 = emitter_number;
  r.event = event;
  r.key3 = particle_number;
  r.texture_handle = texture_handle;
  r.texture_name = texture_name;
  r.r1 = s.texture_rect.x;
  r.r2 = s.texture_rect.y;
  r.r3 = s.texture_rect.z;
  r.r4 = s.texture_rect.w;
  r.position = s.position;
  r.visible = visible;
  r.source_blend = em.source_blend_mode;
  r.dest_blend = em.dest_blend_mode;
  r.size_1 = s.size_1;
  r.size_2 = s.size_2;
  r.radius = std::max(s.size_1, s.size_2);
  r.gravity = s.gravity;
  r.lifetime_left = s.lifetime;
  r.velocity = s.velocity;
  r.rotation = s.rotation;
  r.color = s.color;
  r.text.clear();
  r.turn_to_move_direction = em.turn_towards_move_direction ? 1 : 0;
  r.turn_rate = s.turn_rate;
  r.target_offset = s.target_offset;
  r.target_speed = s.target_speed;
  r.target_end_distance = s.target_end_distance;
  r.rotation_move_1 = s.rotation_move[0];
  r.rotation_move_2 = s.rotation_move[1];
  r.rotation_move_3 = s.rotation_move[2];
  if (r.rotation_move_1 > 0) r.velocity = {r.rotation_move_1, 0, 0};
  if (r.rotation_move_2 > 0) {
    const float speed = std::min(G_Vector_Length(r.velocity), r.rotation_move_2);
    r.velocity = {std::sin(r.rotation) * speed, std::cos(r.rotation) * speed, 0};
  }
}

void TGParticle_List::m_Add_Text(TParticle_Kind kind, const TVector& position, const TVector& velocity, float lifetime,
                                 const TVector4& colour, const std::string& text) {
  const std::int32_t index = m_Get_Free_Slot();
  TGParticle_Rec& r = f_records[std::size_t(index)];
  r.kind = kind;
  r.position = position;
  r.visible = 1;
  r.source_blend = 3;
  r.dest_blend = 4;
  r.lifetime_left = lifetime;
  r.color = colour;
  r.text = text;
  r.velocity = velocity;
  r.color_target = TVector4{};
  r.color_time_left = lifetime;
  if (lifetime > 0) {
    r.color_step = {(0 - colour.x) / lifetime, (0 - colour.y) / lifetime, (0 - colour.z) / lifetime,
                    (0 - colour.w) / lifetime};
  }
}

void TGParticle_List::m_Add_Floating_Text(const TVector& position, const TVector& velocity, float lifetime,
                                          const TVector4& colour, const std::string& text) {
  m_Add_Text(TParticle_Kind::Text, position, velocity, lifetime, colour, text);
}

void TGParticle_List::m_Add_Floating_Text_2(const TVector& position, const TVector& velocity, float lifetime,
                                            const TVector4& colour, const std::string& text) {
  m_Add_Text(TParticle_Kind::Text_2, position, velocity, lifetime, colour, text);
}

void TGParticle_List::m_Load_Textures() {
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    TGParticle_Rec& r = f_records[std::size_t(i)];
    if (r.texture_handle > 0) r.texture_handle = Load_Effect_Texture(r.texture_name);
  }
}

// --- advancing ----------------------------------------------------------------------

void TGParticle_List::m_Apply_Timed_Events(TGParticle_Rec& p) {
  const TEmitter& em = *p.event->emitter;
  const std::int32_t count = em.m_Timed_Event_Count();
  if (count == 0 || p.next_timed_event > count) return;
  if (p.next_timed_event == 0) p.next_timed_event = 1;
  TEmitter_Timed_Event ev;
  while (p.next_timed_event <= count && em.m_Get_Timed_Event(p.next_timed_event, ev) && ev.time <= p.age) {
    const TEmitter_Timed_Result res = Emitter_Evaluate_Timed_Event(em, ev, p.event->id);
    ++p.next_timed_event;
    // Time left of a ranged change; one that is already over jumps to its
    // target at once.
    float L = res.duration - (p.age - ev.time);
    const float inv = L > 0 ? 1.0f / L : 0.0f;
    switch (ev.kind) {
      case TIMED_EVENT_COLOR:
        p.color = res.color;
        break;
      case TIMED_EVENT_SET_TIMER:
        p.age = res.r;
        p.next_timed_event = 0;
        return;
      case TIMED_EVENT_VELOCITY:
        p.velocity = res.vector;
        break;
      case TIMED_EVENT_SIZE:
        p.size_1 = res.r;
        p.size_2 = res.q;
        p.radius = std::max(p.size_1, p.size_2);
        break;
      case TIMED_EVENT_GRAVITY:
        p.gravity = res.vector;
        break;
      case TIMED_EVENT_ROTATION:
        p.rotation = res.r;
        break;
      case TIMED_EVENT_TURN_TOWARDS_TARGET:
        p.turn_rate = res.r;
        break;
      case TIMED_EVENT_MOVE_IN_ROTATION_DIRECTION:
        p.rotation_move_1 = res.r;
        p.rotation_move_2 = res.q;
        p.rotation_move_3 = res.p;
        break;
      case TIMED_EVENT_COLOR_RANGE:
        p.color_target = res.color;
        if (L > 0) {
          p.color_step = {(res.color.x - p.color.x) * inv, (res.color.y - p.color.y) * inv,
                          (res.color.z - p.color.z) * inv, (res.color.w - p.color.w) * inv};
          p.color_time_left = L;
        } else {
          p.color = res.color;
          p.color_time_left = 0;
        }
        break;
      case TIMED_EVENT_VELOCITY_RANGE:
        Start_Vector_Range(p.velocity, p.velocity_target, p.velocity_step, p.velocity_time_left, res.vector, L, inv);
        break;
      case TIMED_EVENT_SIZE_RANGE:
        p.size_target_1 = res.r;
        p.size_target_2 = res.q;
        if (L > 0) {
          p.size_step_1 = (res.r - p.size_1) * inv;
          p.size_step_2 = (res.q - p.size_2) * inv;
          p.size_time_left = L;
        } else {
          p.size_1 = res.r;
          p.size_2 = res.q;
          p.radius = std::max(p.size_1, p.size_2);
          p.size_time_left = 0;
        }
        break;
      case TIMED_EVENT_GRAVITY_RANGE:
        Start_Vector_Range(p.gravity, p.gravity_target, p.gravity_step, p.gravity_time_left, res.vector, L, inv);
        break;
      case TIMED_EVENT_ROTATION_RANGE:
        p.rotation_target = res.r;
        if (L > 0) {
          p.rotation_step = Short_Way(p.rotation, res.r) * inv;
          p.rotation_time_left = L;
        } else {
          p.rotation = res.r;
          p.rotation_time_left = 0;
        }
        break;
      default:
        break;
    }
  }
}

bool TGParticle_List::m_Advance_Record(TGParticle_Rec& p, float d) {
  p.lifetime_left -= d;
  p.age += d;
  bool finished = false;
  const bool with_emitter = p.event && p.event->emitter;
  TVector target;
  if (p.event) target = Add(p.event->m_Get_Vector(2), p.target_offset);
  if (with_emitter) {
    const TEmitter& em = *p.event->emitter;
    if (em.move_to_target_velocity_set) {
      const TVector to = Sub(target, p.position);
      const float length = G_Vector_Length(to);
      // On the target point itself there is no direction; the velocity stays.
      if (length > 0) p.velocity = Mul(to, p.target_speed / length);
    }
    if (em.lifetime_ends_at_target_set) {
      const float D = G_Vector_Distance(p.position, target);
      if (!p.target_reached && p.target_end_distance * 5 >= D) {
        p.target_reached = 1;
        p.last_target_distance = D;
      }
      if ((p.target_reached && D > p.last_target_distance) || D <= p.target_end_distance) finished = true;
      if (p.target_reached) p.last_target_distance = D;
    }
    m_Apply_Timed_Events(p);
  }
  // 3. rotation change
  if (p.rotation_time_left > 0) {
    p.rotation += d * p.rotation_step;
    if (p.rotation < 0) p.rotation += kTwo_Pi;
    if (p.rotation > kTwo_Pi) p.rotation -= kTwo_Pi;
    if ((p.rotation_step < 0 && p.rotation < p.rotation_target) ||
        (p.rotation_step > 0 && p.rotation > p.rotation_target))
      p.rotation = p.rotation_target;
    p.rotation_time_left = std::max(0.0f, p.rotation_time_left - d);
  }
  // 4. gravity change
  if (p.gravity_time_left > 0) {
    p.gravity.x = Step_Towards(p.gravity.x, p.gravity_step.x * d, p.gravity_target.x);
    p.gravity.y = Step_Towards(p.gravity.y, p.gravity_step.y * d, p.gravity_target.y);
    p.gravity.z = Step_Towards(p.gravity.z, p.gravity_step.z * d, p.gravity_target.z);
    p.gravity_time_left = std::max(0.0f, p.gravity_time_left - d);
  }
  // 5.
  p.velocity = Add(p.velocity, Mul(p.gravity, d));
  // 6. velocity change
  if (p.velocity_time_left > 0) {
    p.velocity.x = Step_Towards(p.velocity.x, p.velocity_step.x * d, p.velocity_target.x);
    p.velocity.y = Step_Towards(p.velocity.y, p.velocity_step.y * d, p.velocity_target.y);
    p.velocity.z = Step_Towards(p.velocity.z, p.velocity_step.z * d, p.velocity_target.z);
    p.velocity_time_left = std::max(0.0f, p.velocity_time_left - d);
  }
  // 7. moving in the heading's direction
  if (p.rotation_move_2 > 0) {
    float speed = G_Vector_Length(p.velocity);
    if (p.rotation_move_3 > 0) speed += d * p.rotation_move_3;
    speed = std::min(speed, p.rotation_move_2);
    p.velocity = {std::sin(p.rotation) * speed, std::cos(p.rotation) * speed, 0};
  }
  // 8.
  p.position = Add(p.position, Mul(p.velocity, d));
  // 9. colour change
  if (p.color_time_left > 0) {
    p.color.x = Step_Towards(p.color.x, d * p.color_step.x, p.color_target.x);
    p.color.y = Step_Towards(p.color.y, d * p.color_step.y, p.color_target.y);
    p.color.z = Step_Towards(p.color.z, d * p.color_step.z, p.color_target.z);
    p.color.w = Step_Towards(p.color.w, d * p.color_step.w, p.color_target.w);
    p.color_time_left = std::max(0.0f, p.color_time_left - d);
  }
  // 10. size change
  if (p.size_time_left > 0) {
    p.size_1 = Step_Towards(p.size_1, d * p.size_step_1, p.size_target_1);
    p.size_2 = Step_Towards(p.size_2, d * p.size_step_2, p.size_target_2);
    p.radius = std::max(p.size_1, p.size_2);
    p.size_time_left = std::max(0.0f, p.size_time_left - d);
  }
  // 11. heading
  if (p.turn_to_move_direction) {
    p.rotation = Vector_Angle(p.position.x, p.position.y, p.position.x + 1000 * p.velocity.x,
                              p.position.y + 1000 * p.velocity.y);
  } else if (p.turn_rate > 0 && p.event) {
    const float wanted = Vector_Angle(p.position.x, p.position.y, target.x, target.y);
    const float difference = Short_Way(p.rotation, wanted);
    const float most = d * p.turn_rate;
    if (std::fabs(difference) > most) p.rotation += difference > 0 ? most : -most;
    else p.rotation = wanted;
  }
  // 12.
  return finished || p.lifetime_left <= 0;
}

void TGParticle_List::m_Advance(float x) {
  if (f_in_use == 0) return;
  const float d = x * 1000.0f;
  // Freeing a record may wake emitters that add records (and grow the
  // table), so records are reached by index, never by a kept reference.
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    if (f_records[std::size_t(i)].id == 0) continue;
    if (m_Advance_Record(f_records[std::size_t(i)], d)) m_Free_Record(i);
  }
}

// --- drawing ------------------------------------------------------------------------

std::vector<std::int32_t> TGParticle_List::m_Draw_List() const {
  return std::vector<std::int32_t>(f_draw_list.begin() + 1, f_draw_list.begin() + 1 + f_draw_count);
}

void TGParticle_List::m_Draw() {
  if (f_in_use == 0) return;
  TGParticle_View_Link& view = Particle_View_Link();
  f_draw_count = 0;
  for (std::int32_t i = 1; i <= f_capacity; ++i) {
    TGParticle_Rec& r = f_records[std::size_t(i)];
    if (r.id == 0 || !r.visible || !view.G_Sphere_Visible(r.position, r.radius)) continue;
    r.sort_key = -r.position.z - float(r.id) * 0.0000001f;
    f_draw_list[std::size_t(++f_draw_count)] = i;
  }
  std::sort(f_draw_list.begin() + 1, f_draw_list.begin() + 1 + f_draw_count, [this](std::int32_t a, std::int32_t b) {
    const TGParticle_Rec& ra = f_records[std::size_t(a)];
    const TGParticle_Rec& rb = f_records[std::size_t(b)];
    if (ra.sort_key != rb.sort_key) return ra.sort_key > rb.sort_key;
    return ra.id < rb.id;
  });

  G_Set_Lighting(false);
  G_Set_ZWriteEnable(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_AlphaTestEnable(false);
  G_SetSamplerState_MinFilter(D3DTEXF_LINEAR);
  G_SetSamplerState_MagFilter(D3DTEXF_LINEAR);
  bool format_needed = true;
  std::int32_t last_handle = 0;
  bool texture_needed = false;
  std::int32_t last_source = 0, last_dest = 0;

  for (std::int32_t n = 1; n <= f_draw_count; ++n) {
    const TGParticle_Rec& r = f_records[std::size_t(f_draw_list[std::size_t(n)])];
    if (r.texture_handle != last_handle || texture_needed) {
      const TGTexture* texture = g_tg_texture_list ? g_tg_texture_list->m_Get_Texture(r.texture_handle) : nullptr;
      if (texture && texture->m_Has_Texture()) G_SetTexture_Obj(0, texture);
      last_handle = r.texture_handle;
      texture_needed = false;
    }
    if (r.source_blend != last_source) {
      G_Set_SrcBlend(std::uint32_t(r.source_blend));
      last_source = r.source_blend;
    }
    if (r.dest_blend != last_dest) {
      G_Set_DestBlend(std::uint32_t(r.dest_blend));
      last_dest = r.dest_blend;
    }
    // Components are kept to 0..1, so that one never spills into the next.
    const TColor colour = G_Make_Color_From_Floats(Clamp_Unit(r.color.x), Clamp_Unit(r.color.y),
                                                   Clamp_Unit(r.color.z), Clamp_Unit(r.color.w));
    if (r.kind == TParticle_Kind::Emitter) {
      if (format_needed) {
        G_SetFVF(FVF_LVERTEX);
        format_needed = false;
      }
      const TEffect_Align alignment = r.effect ? r.effect->effect_particle_alignment : TEffect_Align::Camera;
      TVector eye, up;
      if (alignment == TEffect_Align::XY_Axis) {
        eye = Add(r.position, {0, 0, -10});
        up = {-1, 0, 0};
      } else {
        eye = Game_Settings.f_camera_eye;
        up = view.m_Camera_Right();
      }
      if (r.rotation != 0) up = {-std::cos(r.rotation), std::sin(r.rotation), 0};
      TVector right;
      G_Vector_Cross(up, Sub(eye, r.position), right);
      float length = G_Vector_Length(right);
      if (length > 0) right = Mul(right, 1.0f / length);
      right = Mul(right, r.size_2);
      length = G_Vector_Length(up);
      if (length > 0) up = Mul(up, 1.0f / length);
      up = Mul(up, r.size_1);
      const TVector ur = Add(Add(r.position, up), right), ul = Sub(Add(r.position, up), right);
      const TVector dr = Add(Sub(r.position, up), right), dl = Sub(Sub(r.position, up), right);
      LVertex v[6];
      G_Make_LVertex(v[0], ur.x, ur.y, ur.z, colour, 0xFFFFFFFFu, r.r1, r.r4);
      G_Make_LVertex(v[1], ul.x, ul.y, ul.z, colour, 0xFFFFFFFFu, r.r1, r.r2);
      G_Make_LVertex(v[2], dr.x, dr.y, dr.z, colour, 0xFFFFFFFFu, r.r3, r.r4);
      G_Make_LVertex(v[3], ul.x, ul.y, ul.z, colour, 0xFFFFFFFFu, r.r1, r.r2);
      G_Make_LVertex(v[4], dl.x, dl.y, dl.z, colour, 0xFFFFFFFFu, r.r3, r.r2);
      G_Make_LVertex(v[5], dr.x, dr.y, dr.z, colour, 0xFFFFFFFFu, r.r3, r.r4);
      G_DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(LVertex));
    } else {
      view.G_Font_Draw_Centered_Text_At_World_Position(r.kind == TParticle_Kind::Text ? 1 : 5, colour, r.position,
                                                         r.text);
      format_needed = true;
      texture_needed = true;
    }
  }
}

// --- the global systems ---------------------------------------------------------------

void G_Create_Particle_Systems() {
  G_Free_Particle_Systems();
  g_tg_particle_list = std::make_unique<TGParticle_List>();
  g_tg_emitter_events = std::make_unique<TGEmitter_Events>();
  Formula_Set_Particle_Source(g_tg_particle_list.get());
}

void G_Free_Particle_Systems() {
  g_tg_emitter_events.reset();
  if (Formula_Get_Particle_Source() == g_tg_particle_list.get()) Formula_Set_Particle_Source(nullptr);
  g_tg_particle_list.reset();
}
