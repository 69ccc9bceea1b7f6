// Visual effects: the reader of Effects.txt, the effect list and the
// evaluation of an emitter's formulas.
//
// An effect is a named set of emitters. Almost every emitter value is a
// formula of the global formula list, kept here by its index and evaluated
// per running emitter event or per particle with the event's source and
// target points as the variables "[%Source_Vector%]" and
// "[%Target_Vector%]". Times in the file are seconds and angles degrees;
// inside they are milliseconds and radians.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Vector_Types.h"

class TList_Dialog_Owner;
class TEffect;

// How an effect's particles face: towards the camera, or flat in the map's
// plane.
enum class TEffect_Align : std::uint8_t { Camera = 1, XY_Axis = 2 };

// On what an emitter's existence depends: nothing, another emitter's
// particle being alive, or that particle's death.
enum class TEmitter_Condition : std::uint8_t { None = 0, Particle_Alive = 1, Particle_Death = 2 };

// Timed event kinds; 9..13 are the ranged forms of 1, 3, 4, 5 and 6.
enum TEmitter_Timed_Event_Kind : std::uint8_t {
  TIMED_EVENT_NONE = 0,
  TIMED_EVENT_COLOR = 1,
  TIMED_EVENT_SET_TIMER = 2,
  TIMED_EVENT_VELOCITY = 3,
  TIMED_EVENT_SIZE = 4,
  TIMED_EVENT_GRAVITY = 5,
  TIMED_EVENT_ROTATION = 6,
  TIMED_EVENT_TURN_TOWARDS_TARGET = 7,
  TIMED_EVENT_MOVE_IN_ROTATION_DIRECTION = 8,
  TIMED_EVENT_COLOR_RANGE = 9,
  TIMED_EVENT_VELOCITY_RANGE = 10,
  TIMED_EVENT_SIZE_RANGE = 11,
  TIMED_EVENT_GRAVITY_RANGE = 12,
  TIMED_EVENT_ROTATION_RANGE = 13,
};

// The blend mode names; a name's number is its position (0..13).
constexpr std::int32_t EFFECT_BLEND_MODE_COUNT = 14;
extern const char* const Effect_Blend_Mode_Names[EFFECT_BLEND_MODE_COUNT];

struct TEmitter_Timed_Event {
  float time = 0;                 // ms since the particle was born
  std::int32_t range_end = 0;     // formula of the end time (seconds), ranged kinds only
  std::uint8_t kind = TIMED_EVENT_NONE;
  std::int32_t formula_a = 0;     // colour
  std::int32_t formula_b = 0;     // vector
  std::int32_t formula_c = 0;     // scalars
  std::int32_t formula_d = 0;
  std::int32_t formula_e = 0;
};

class TEmitter : public TFormula_Object {
public:
  std::int32_t emitter_number = 0;
  std::int32_t effect_number = 0;
  TEffect* effect = nullptr;

  std::int32_t position = 0;
  float trigger_effect_end = -1.0f;  // seconds; below 0 never
  TEmitter_Condition condition_kind = TEmitter_Condition::None;
  std::int32_t condition_emitter = 0;
  std::int32_t condition_particle = 0;
  std::int32_t source_blend_mode = 0;
  std::int32_t dest_blend_mode = 0;
  std::int32_t initial_size_1 = 0, initial_size_2 = 0;
  std::int32_t num_particles = 0;
  std::int32_t initial_gravity = 0;
  std::int32_t emit_rate = 0;
  std::int32_t delay = 0;
  std::int32_t lifetime = 0;
  std::string sound_one_time;
  std::string sound_per_particle;
  std::string texture;
  std::int32_t texture_coords = 0;
  std::int32_t initial_color = 0;
  std::int32_t initial_velocity = 0;
  std::int32_t initial_rotation = 0;
  std::uint8_t move_to_target_velocity_set = 0;
  std::int32_t move_to_target_velocity = 0;
  std::int32_t move_to_target_offset = 0;
  std::uint8_t lifetime_ends_at_target_set = 0;
  std::int32_t lifetime_ends_at_target = 0;
  bool turn_towards_move_direction = false;
  std::int32_t turn_towards_target = 0;
  std::int32_t move_in_rotation_direction[3] = {0, 0, 0};

  // Appends a copy (the array grows by 10).
  void m_Add_Timed_Event(const TEmitter_Timed_Event& record);
  // Copies event i (1-based) into record; outside 1..count the record is
  // left as it was and the result is false.
  bool m_Get_Timed_Event(std::int64_t i, TEmitter_Timed_Event& record) const;
  std::uint16_t m_Timed_Event_Count() const { return f_timed_event_count; }
  std::uint16_t m_Timed_Event_Capacity() const { return f_timed_event_capacity; }

private:
  std::uint16_t f_timed_event_count = 0;
  std::uint16_t f_timed_event_capacity = 0;
  std::vector<TEmitter_Timed_Event> f_timed_events;  // 1-based
};

class TEffect : public TFormula_Effect {
public:
  std::int32_t number = 0;
  std::string name;
  float effect_scale_size = 1.0f;
  TEffect_Align effect_particle_alignment = TEffect_Align::Camera;
  float effect_lifetime = 60.0f;  // seconds

  float m_Get_Effect_Scale_Size() const override { return effect_scale_size; }
  // Takes the emitter and gives it the effect's number and reference.
  void m_Add_Emitter(std::unique_ptr<TEmitter> emitter);
  // None outside 1..count.
  TEmitter* m_Get_Emitter(std::int64_t i) const;
  std::uint16_t m_Emitter_Count() const { return std::uint16_t(f_emitters.size()); }

private:
  std::vector<std::unique_ptr<TEmitter>> f_emitters;
};

class TEffect_List {
public:
  std::uint8_t source_override_set = 0;
  std::uint8_t target_override_set = 0;
  std::uint8_t eye_point_override_set = 0;
  TVector Param_Source_Vector_Override;
  TVector Param_Target_Vector_Override;
  TVector Eye_Point_Override;

  // Takes the effect; its number becomes the new count.
  void m_Add(std::unique_ptr<TEffect> effect);
  // The first effect with that number; none when nothing matches.
  TEffect* m_Get_Effect(std::int64_t number) const;
  // Position of the first effect so named (ignoring ASCII case); 0 when none.
  std::int32_t m_Find_By_Name(const std::string& name) const;
  std::uint16_t m_Count() const { return std::uint16_t(f_effects.size()); }

  // Parses the lines of an effects file; formula parse errors and unknown
  // blend names are appended to errors. A negative particle number of a
  // conditional existence raises ERangeError.
  void m_Parse(const std::vector<std::string>& lines, std::vector<std::string>& errors);

private:
  std::vector<std::unique_ptr<TEffect>> f_effects;
};

// The global effect list (none until loaded).
extern TEffect_List* Effect_List;

// Replaces the global list by the effects of the file (a path in the game's
// form). Error lines are shown under "Effects Data File" with the file
// name. A file that cannot be read raises EInOutError. True.
bool Effects_Load_Data_File(const std::string& file_name, TList_Dialog_Owner* owner);
// False when there is no list. The running emitter events (and with them
// their particles) end first, as they refer to the effects.
bool Effects_Free();

// Cuts a value at commas outside parentheses into at most 20 trimmed parts
// (the last part keeps any further commas).
std::vector<std::string> Effect_Split_Value(const std::string& value);

struct TEmitter_Emission {
  std::int32_t num_particles = 0;
  float emit_rate = 0;  // particles per ms
  float delay = 0;      // ms
};

struct TEmitter_Particle_Start {
  TVector position;
  float size_1 = 0, size_2 = 0;
  TVector gravity;    // per ms²
  float lifetime = 0; // ms
  TVector velocity;   // per ms
  float rotation = 0; // radians
  TVector target_offset;
  TVector4 color;
  float target_speed = 0;
  float target_end_distance = 0;
  float rotation_move[3] = {0, 0, 0};
  float turn_rate = 0;
  TVector4 texture_rect;
};

struct TEmitter_Timed_Result {
  float duration = 0;  // ms, ranged kinds
  TVector4 color;
  TVector vector;
  float r = 0, q = 0, p = 0;
};

// The evaluations read the running emitter event with the id; an id that no
// running event has gives all zeros.
TEmitter_Emission Emitter_Evaluate_Emission(const TEmitter& emitter, std::int32_t event_id);
TEmitter_Particle_Start Emitter_Evaluate_Particle_Start(const TEmitter& emitter, std::int32_t event_id,
                                                        std::int32_t particle_number);
TEmitter_Timed_Result Emitter_Evaluate_Timed_Event(const TEmitter& emitter, const TEmitter_Timed_Event& event,
                                                   std::int32_t event_id);
