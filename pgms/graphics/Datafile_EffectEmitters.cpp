#include "Datafile_EffectEmitters.h"

#include <cmath>

#include "DataFile_Base_Loader.h"
#include "DataFile_Base_Parser.h"
#include "Datafile_Formula_List.h"
#include "Errors.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "Io.h"

TEffect_List* Effect_List = nullptr;

const char* const Effect_Blend_Mode_Names[EFFECT_BLEND_MODE_COUNT] = {
    "Blend_None",        "Blend_Zero",         "Blend_One",           "Blend_SrcColor",   "Blend_InvSrcColor",
    "Blend_SrcAlpha",    "Blend_InvSrcAlpha",  "Blend_DestAlpha",     "Blend_InvDestAlpha", "Blend_DestColor",
    "Blend_InvDestColor", "Blend_SrcAlphaSat", "Blend_BothSrcAlpha", "Blend_BothInvSrcAlpha"};

// --- records -------------------------------------------------------------------

void TEmitter::m_Add_Timed_Event(const TEmitter_Timed_Event& record) {
  if (f_timed_event_count >= f_timed_event_capacity) {
    f_timed_event_capacity = Checked_Cast<std::uint16_t>(std::int32_t(f_timed_event_capacity) + 10);
    f_timed_events.resize(std::size_t(f_timed_event_capacity) + 1);
  }
  ++f_timed_event_count;
  f_timed_events[f_timed_event_count] = record;
}

bool TEmitter::m_Get_Timed_Event(std::int64_t i, TEmitter_Timed_Event& record) const {
  if (i < 1 || i > f_timed_event_count) return false;
  record = f_timed_events[std::size_t(i)];
  return true;
}

void TEffect::m_Add_Emitter(std::unique_ptr<TEmitter> emitter) {
  emitter->effect_number = number;
  emitter->effect = this;
  f_emitters.push_back(std::move(emitter));
}

TEmitter* TEffect::m_Get_Emitter(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_emitters.size())) return nullptr;
  return f_emitters[std::size_t(i - 1)].get();
}

void TEffect_List::m_Add(std::unique_ptr<TEffect> effect) {
  if (f_effects.size() >= 0xFFFF) throw ERangeError("Too many effects");
  effect->number = std::int32_t(f_effects.size()) + 1;
  f_effects.push_back(std::move(effect));
}

TEffect* TEffect_List::m_Get_Effect(std::int64_t number) const {
  for (const auto& e : f_effects) {
    if (e->number == number) return e.get();
  }
  return nullptr;
}

std::int32_t TEffect_List::m_Find_By_Name(const std::string& name) const {
  for (std::size_t i = 0; i < f_effects.size(); ++i) {
    if (Text_Compare(f_effects[i]->name, name) == 0) return std::int32_t(i) + 1;
  }
  return 0;
}

// --- reading -------------------------------------------------------------------

std::vector<std::string> Effect_Split_Value(const std::string& value) {
  std::vector<std::string> parts;
  bool inside = false;
  std::string part;
  for (char c : value) {
    if (c == '(') inside = true;
    if (c == ')') inside = false;
    if (c == ',' && !inside && parts.size() < 19) {
      parts.push_back(Text_Trim(part));
      part.clear();
      continue;
    }
    part += c;
  }
  parts.push_back(Text_Trim(part));
  return parts;
}

namespace {
bool Key_Is(const std::string& key, const char* name) { return Text_Compare(key, name) == 0; }

class TEffects_Reader {
public:
  TEffects_Reader(TEffect_List& list, std::vector<std::string>& errors) : f_list(list), f_errors(errors) {}

  void m_Line(const std::string& line) {
    std::size_t at = line.find(":=");
    if (at == std::string::npos) return;
    const std::string key = Text_Trim(line.substr(0, at));
    const std::string value = Text_Trim(line.substr(at + 2));
    if (m_List_Key(key, value)) return;
    if (Key_Is(key, "Effect")) {
      m_Close_Effect();
      f_effect = std::make_unique<TEffect>();
      f_effect->name = value;
      f_effect->number = f_list.m_Count() + 1;
      return;
    }
    if (!f_effect) return;
    if (Key_Is(key, "Effect_Scale_Size")) {
      f_effect->effect_scale_size = Datafile_Value_To_Single(value);
    } else if (Key_Is(key, "Effect_Lifetime")) {
      f_effect->effect_lifetime = Datafile_Value_To_Single(value);
    } else if (Key_Is(key, "Effect_Particle_Alignment")) {
      f_effect->effect_particle_alignment = TEffect_Align::Camera;
      if (Key_Is(value, "ALIGN_CAMERA")) f_effect->effect_particle_alignment = TEffect_Align::Camera;
      if (Key_Is(value, "ALIGN_XY_AXIS")) f_effect->effect_particle_alignment = TEffect_Align::XY_Axis;
    } else if (Key_Is(key, "Emitter")) {
      m_Close_Emitter();
      f_emitter = std::make_unique<TEmitter>();
      f_emitter->emitter_number = Datafile_Value_To_Integer(value);
    } else if (f_emitter) {
      m_Emitter_Key(key, value);
    }
  }

  void m_Finish() { m_Close_Effect(); }

private:
  bool m_List_Key(const std::string& key, const std::string& value) {
    if (Key_Is(key, "Param_Source_Vector_Override")) {
      f_list.Param_Source_Vector_Override = Datafile_Value_To_Vector(value);
      f_list.source_override_set = 1;
    } else if (Key_Is(key, "Param_Target_Vector_Override")) {
      f_list.Param_Target_Vector_Override = Datafile_Value_To_Vector(value);
      f_list.target_override_set = 1;
    } else if (Key_Is(key, "Eye_Point_Override")) {
      f_list.Eye_Point_Override = Datafile_Value_To_Vector(value);
      f_list.eye_point_override_set = 1;
    } else {
      return false;
    }
    return true;
  }

  std::int32_t m_Formula(const std::string& key, const std::string& text) {
    std::string label = "Effect " + f_effect->name + ", Emitter " + Int_To_Text(f_emitter->emitter_number) + ": " + key;
    return Formula_List->m_Add_System_Formula(label, text, f_errors);
  }

  void m_Emitter_Key(const std::string& key, const std::string& value) {
    TEmitter& e = *f_emitter;
    struct TFormula_Key {
      const char* name;
      std::int32_t TEmitter::* field;
    };
    static const TFormula_Key formula_keys[] = {
        {"Position", &TEmitter::position},
        {"Move_To_Target_Velocity", &TEmitter::move_to_target_velocity},
        {"Move_To_Target_Offset", &TEmitter::move_to_target_offset},
        {"Lifetime_Ends_At_Target", &TEmitter::lifetime_ends_at_target},
        {"Turn_Towards_Target", &TEmitter::turn_towards_target},
        {"Num_Particles", &TEmitter::num_particles},
        {"Emit_Rate", &TEmitter::emit_rate},
        {"Delay", &TEmitter::delay},
        {"Lifetime", &TEmitter::lifetime},
        {"Texture_Coords", &TEmitter::texture_coords},
        {"Initial_Gravity", &TEmitter::initial_gravity},
        {"Initial_Color", &TEmitter::initial_color},
        {"Initial_Velocity", &TEmitter::initial_velocity},
        {"Initial_Rotation", &TEmitter::initial_rotation},
    };
    for (const TFormula_Key& f : formula_keys) {
      if (!Key_Is(key, f.name)) continue;
      e.*f.field = m_Formula(f.name, value);
      if (f.field == &TEmitter::move_to_target_velocity) e.move_to_target_velocity_set = 1;
      if (f.field == &TEmitter::lifetime_ends_at_target) e.lifetime_ends_at_target_set = 1;
      return;
    }
    if (Key_Is(key, "Initial_Size")) {
      std::vector<std::string> parts = Effect_Split_Value(value);
      if (parts.size() == 2) {
        e.initial_size_1 = m_Formula("Initial_Size", parts[0]);
        e.initial_size_2 = m_Formula("Initial_Size", parts[1]);
      }
    } else if (Key_Is(key, "Move_In_Rotation_Direction")) {
      std::vector<std::string> parts = Effect_Split_Value(value);
      if (parts.size() >= 3) {
        for (int i = 0; i < 3; ++i) e.move_in_rotation_direction[i] = m_Formula("Move_In_Rotation_Direction", parts[std::size_t(i)]);
      }
    } else if (Key_Is(key, "Trigger_Effect_End")) {
      e.trigger_effect_end = Datafile_Value_To_Single(value);
    } else if (Key_Is(key, "Turn_Towards_Move_Direction")) {
      e.turn_towards_move_direction = Datafile_Value_To_Boolean(value);
    } else if (Key_Is(key, "Sound Effect One Time")) {
      e.sound_one_time = value;
    } else if (Key_Is(key, "Sound Effect Per Particle")) {
      e.sound_per_particle = value;
    } else if (Key_Is(key, "Texture")) {
      e.texture = value;
    } else if (Key_Is(key, "Source_Blend_Mode")) {
      e.source_blend_mode = m_Blend_Mode(value, "Source Blend Mode");
    } else if (Key_Is(key, "Dest_Blend_Mode")) {
      e.dest_blend_mode = m_Blend_Mode(value, "Dest Blend Mode");
    } else if (Key_Is(key, "Conditional_Existence")) {
      m_Conditional_Existence(value);
    } else if (Key_Is(key, "Time")) {
      f_event = TEmitter_Timed_Event();
      f_event.time = Datafile_Value_To_Single(value) * 1000.0f;
      f_event_open = true;
      f_ranged = false;
    } else if (Key_Is(key, "Time_Range")) {
      std::size_t dash = value.find('-');
      if (dash == std::string::npos) return;
      f_event = TEmitter_Timed_Event();
      f_event.time = Datafile_Value_To_Single(Text_Trim(value.substr(0, dash))) * 1000.0f;
      // Everything after the dash is the end, with or without blanks
      // around the dash.
      f_event.range_end = m_Formula("Time_Range", Text_Trim(value.substr(dash + 1)));
      f_event_open = true;
      f_ranged = true;
    } else if (f_event_open) {
      m_Timed_Event_Key(key, value);
    }
  }

  std::int32_t m_Blend_Mode(const std::string& value, const char* what) {
    std::int32_t mode = 0;
    for (std::int32_t i = 0; i < EFFECT_BLEND_MODE_COUNT; ++i) {
      if (Key_Is(value, Effect_Blend_Mode_Names[i])) {
        mode = i;
        break;
      }
    }
    if (mode == 0) f_errors.push_back("Unknown value \"" + value + "\" for " + what + ".");
    return mode;
  }

  void m_Conditional_Existence(const std::string& value) {
    TEmitter_Condition kind = TEmitter_Condition::None;
    if (value.find("Particle_Alive") != std::string::npos) kind = TEmitter_Condition::Particle_Alive;
    else if (value.find("Particle_Death") != std::string::npos) kind = TEmitter_Condition::Particle_Death;
    if (kind == TEmitter_Condition::None) return;
    const std::string rest = Text_Trim(Text_Copy(value, 15, std::int64_t(value.size())));
    std::size_t blank = rest.find(' ');
    if (blank == std::string::npos) return;
    std::int32_t emitter = Datafile_Value_To_Integer(Text_Trim(rest.substr(0, blank)));
    std::int32_t particle = Datafile_Value_To_Integer(Text_Trim(rest.substr(blank + 1)));
    if (particle < 0) throw ERangeError("Negative particle number in Conditional_Existence := " + value);
    f_emitter->condition_kind = kind;
    f_emitter->condition_emitter = emitter;
    f_emitter->condition_particle = particle;
  }

  void m_Timed_Event_Key(const std::string& key, const std::string& value) {
    std::uint8_t kind = TIMED_EVENT_NONE;
    if (Key_Is(key, "Color")) {
      kind = f_ranged ? TIMED_EVENT_COLOR_RANGE : TIMED_EVENT_COLOR;
      f_event.formula_a = m_Formula(key, value);
    } else if (Key_Is(key, "Set_Timer")) {
      kind = TIMED_EVENT_SET_TIMER;
      f_event.formula_c = m_Formula(key, value);
    } else if (Key_Is(key, "Velocity")) {
      kind = f_ranged ? TIMED_EVENT_VELOCITY_RANGE : TIMED_EVENT_VELOCITY;
      f_event.formula_b = m_Formula(key, value);
    } else if (Key_Is(key, "Size")) {
      kind = f_ranged ? TIMED_EVENT_SIZE_RANGE : TIMED_EVENT_SIZE;
      std::vector<std::string> parts = Effect_Split_Value(value);
      if (parts.size() >= 2) {
        f_event.formula_c = m_Formula(key, parts[0]);
        f_event.formula_d = m_Formula(key, parts[1]);
      }
    } else if (Key_Is(key, "Gravity")) {
      kind = f_ranged ? TIMED_EVENT_GRAVITY_RANGE : TIMED_EVENT_GRAVITY;
      f_event.formula_b = m_Formula(key, value);
    } else if (Key_Is(key, "Rotation")) {
      kind = f_ranged ? TIMED_EVENT_ROTATION_RANGE : TIMED_EVENT_ROTATION;
      f_event.formula_c = m_Formula(key, value);
    } else if (Key_Is(key, "Timed_Turn_Towards_Target")) {
      kind = TIMED_EVENT_TURN_TOWARDS_TARGET;
      f_event.formula_c = m_Formula(key, value);
    } else if (Key_Is(key, "Timed_Move_In_Rotation_Direction")) {
      kind = TIMED_EVENT_MOVE_IN_ROTATION_DIRECTION;
      std::vector<std::string> parts = Effect_Split_Value(value);
      if (parts.size() >= 3) {
        f_event.formula_c = m_Formula(key, parts[0]);
        f_event.formula_d = m_Formula(key, parts[1]);
        f_event.formula_e = m_Formula(key, parts[2]);
      }
    } else {
      return;
    }
    f_event.kind = kind;
    f_emitter->m_Add_Timed_Event(f_event);
    f_event.kind = TIMED_EVENT_NONE;
    f_event.formula_a = f_event.formula_b = f_event.formula_c = f_event.formula_d = f_event.formula_e = 0;
  }

  void m_Close_Emitter() {
    if (!f_emitter) return;
    if (f_event_open) {
      f_emitter->m_Add_Timed_Event(f_event);
      f_event_open = false;
    }
    f_effect->m_Add_Emitter(std::move(f_emitter));
  }

  void m_Close_Effect() {
    if (!f_effect) return;
    m_Close_Emitter();
    f_list.m_Add(std::move(f_effect));
  }

  TEffect_List& f_list;
  std::vector<std::string>& f_errors;
  std::unique_ptr<TEffect> f_effect;
  std::unique_ptr<TEmitter> f_emitter;
  TEmitter_Timed_Event f_event;
  bool f_event_open = false;
  bool f_ranged = false;
};
}  // namespace

void TEffect_List::m_Parse(const std::vector<std::string>& lines, std::vector<std::string>& errors) {
  if (!Formula_List) Formula_List_Create();
  TEffects_Reader reader(*this, errors);
  for (const std::string& line : lines) reader.m_Line(line);
  reader.m_Finish();
}

bool Effects_Load_Data_File(const std::string& file_name, TList_Dialog_Owner* owner) {
  Effects_Free();
  Effect_List = new TEffect_List();
  std::vector<std::string> lines = TData_File_Parser::Read_Lines(file_name);
  std::vector<std::string> errors;
  Effect_List->m_Parse(lines, errors);
  if (!errors.empty()) Report_Datafile_Error(errors, "Effects Data File", file_name, owner);
  return true;
}

bool Effects_Free() {
  if (!Effect_List) return false;
  // Running emitters and their particles point into the effects.
  if (g_tg_emitter_events) g_tg_emitter_events->m_Clear();
  delete Effect_List;
  Effect_List = nullptr;
  return true;
}

// --- evaluation ----------------------------------------------------------------

namespace {
constexpr float kTwo_Pi = 6.28318530717958647692f;

float Degrees_To_Radians(float degrees) { return degrees / 360.0f * kTwo_Pi; }

// The formula prepared with the event's context, or none for index 0.
TFormula_Line* Prepare(std::int32_t index, const TEmitter& emitter, const TGEEvent& event, bool effect_object,
                       std::int32_t particle_number, bool with_particle) {
  if (index == 0 || !Formula_List) return nullptr;
  TFormula_Line* line = Formula_List->m_Get_Item(index);
  if (!line) return nullptr;
  line->m_Clear_Variables();
  line->m_Clear_Object_Slots();
  line->m_Set_Object_Slot(7, nullptr, event.id);
  line->m_Set_Object_Slot(4, effect_object ? emitter.effect : nullptr, emitter.effect_number);
  line->m_Set_Object_Slot(5, const_cast<TEmitter*>(&emitter), emitter.emitter_number);
  if (with_particle) line->m_Set_Object_Slot(6, nullptr, particle_number);
  // By slot: a formula that does not use a vector has no slot for it.
  line->m_Set_Vector_Variable(line->m_Variable_Slot("[%Source_Vector%]"), event.m_Get_Vector(1));
  line->m_Set_Vector_Variable(line->m_Variable_Slot("[%Target_Vector%]"), event.m_Get_Vector(2));
  return line;
}

struct TContext {
  const TEmitter& emitter;
  const TGEEvent& event;
  bool effect_object;
  std::int32_t particle_number;
  bool with_particle;

  float Single(std::int32_t index) const {
    TFormula_Line* l = Prepare(index, emitter, event, effect_object, particle_number, with_particle);
    return l ? l->m_Evaluate_Single() : 0.0f;
  }
  std::int32_t Integer(std::int32_t index) const {
    TFormula_Line* l = Prepare(index, emitter, event, effect_object, particle_number, with_particle);
    return l ? l->m_Evaluate_Integer() : 0;
  }
  TVector Vector(std::int32_t index) const {
    TFormula_Line* l = Prepare(index, emitter, event, effect_object, particle_number, with_particle);
    return l ? l->m_Evaluate_Vector() : TVector{};
  }
  TVector4 Color(std::int32_t index) const {
    TFormula_Line* l = Prepare(index, emitter, event, effect_object, particle_number, with_particle);
    return l ? l->m_Evaluate_Color() : TVector4{};
  }
  TVector4 Rect(std::int32_t index) const {
    TFormula_Line* l = Prepare(index, emitter, event, effect_object, particle_number, with_particle);
    return l ? l->m_Evaluate_Rect() : TVector4{};
  }
};

TVector Scaled(const TVector& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

const TGEEvent* Running_Event(std::int32_t id) {
  return g_tg_emitter_events ? g_tg_emitter_events->m_Find_Event(id) : nullptr;
}
}  // namespace

TEmitter_Emission Emitter_Evaluate_Emission(const TEmitter& emitter, std::int32_t event_id) {
  TEmitter_Emission out;
  const TGEEvent* event = Running_Event(event_id);
  if (!event) return out;
  TContext c{emitter, *event, false, 0, false};
  out.num_particles = c.Integer(emitter.num_particles);
  out.emit_rate = c.Single(emitter.emit_rate) * 0.001f;
  out.delay = c.Single(emitter.delay) * 1000.0f;
  return out;
}

TEmitter_Particle_Start Emitter_Evaluate_Particle_Start(const TEmitter& emitter, std::int32_t event_id,
                                                        std::int32_t particle_number) {
  TEmitter_Particle_Start out;
  const TGEEvent* event = Running_Event(event_id);
  if (!event) return out;
  const float s = emitter.effect ? emitter.effect->effect_scale_size : 1.0f;
  TContext c{emitter, *event, true, particle_number, true};
  out.position = c.Vector(emitter.position);
  out.size_1 = c.Single(emitter.initial_size_1) * s;
  out.size_2 = c.Single(emitter.initial_size_2) * s;
  out.gravity = Scaled(c.Vector(emitter.initial_gravity), 0.001f);
  out.lifetime = c.Single(emitter.lifetime) * 1000.0f;
  out.velocity = Scaled(c.Vector(emitter.initial_velocity), 0.001f);
  out.rotation = Degrees_To_Radians(c.Single(emitter.initial_rotation));
  out.target_offset = c.Vector(emitter.move_to_target_offset);
  out.color = c.Color(emitter.initial_color);
  out.target_speed = c.Single(emitter.move_to_target_velocity) * s * 0.001f;
  out.target_end_distance = c.Single(emitter.lifetime_ends_at_target) * s;
  for (int i = 0; i < 3; ++i) out.rotation_move[i] = c.Single(emitter.move_in_rotation_direction[i]) * s * 0.001f;
  out.turn_rate = c.Single(emitter.turn_towards_target) * 0.001f;
  out.texture_rect = c.Rect(emitter.texture_coords);
  return out;
}

TEmitter_Timed_Result Emitter_Evaluate_Timed_Event(const TEmitter& emitter, const TEmitter_Timed_Event& event,
                                                   std::int32_t event_id) {
  TEmitter_Timed_Result out;
  const TGEEvent* running = Running_Event(event_id);
  if (!running) return out;
  const float s = emitter.effect ? emitter.effect->effect_scale_size : 1.0f;
  TContext c{emitter, *running, true, 0, false};
  if (event.kind >= TIMED_EVENT_COLOR_RANGE) out.duration = c.Single(event.range_end) * 1000.0f - event.time;
  out.color = c.Color(event.formula_a);
  out.vector = c.Vector(event.formula_b);
  out.r = c.Single(event.formula_c);
  out.q = c.Single(event.formula_d);
  out.p = c.Single(event.formula_e);
  switch (event.kind) {
    case TIMED_EVENT_SET_TIMER:
      out.r *= 1000.0f;
      break;
    case TIMED_EVENT_VELOCITY:
    case TIMED_EVENT_GRAVITY:
    case TIMED_EVENT_VELOCITY_RANGE:
    case TIMED_EVENT_GRAVITY_RANGE:
      out.vector = Scaled(out.vector, 0.001f);
      break;
    case TIMED_EVENT_SIZE:
    case TIMED_EVENT_SIZE_RANGE:
      out.r *= s;
      out.q *= s;
      break;
    case TIMED_EVENT_ROTATION:
    case TIMED_EVENT_ROTATION_RANGE:
      out.r = Degrees_To_Radians(out.r);
      break;
    case TIMED_EVENT_TURN_TOWARDS_TARGET:
      out.r *= 0.001f;
      break;
    case TIMED_EVENT_MOVE_IN_ROTATION_DIRECTION:
      out.r *= 0.001f * s;
      out.q *= 0.001f * s;
      out.p *= 0.001f * s;
      break;
    default:
      break;
  }
  return out;
}
