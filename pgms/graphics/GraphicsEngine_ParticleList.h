// The one table of particles of running visual effects and of floating
// texts over the map.
//
// The emitter events add particles, the action timer adds floating texts and
// the formula functions read particles by their keys (effect number, emitter
// number, particle number). Once per frame every particle is advanced and the
// visible ones are drawn sorted by depth, as textured quads facing the camera
// or lying flat, and texts as text. Records live in one array that grows by
// 50 and is never shrunk. All times are milliseconds, all rates per ms.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Vector_Types.h"

class TEffect;
class TGEEvent;

// What a particle record holds (None: a free record).
enum class TParticle_Kind : std::uint8_t {
  None = 0,
  Emitter = 1,
  Text = 2,    // floating text in main font 1
  Text_2 = 3,  // floating text in main font 5
};

struct TGParticle_Rec {
  std::uint32_t id = 0;  // 0 = free
  TParticle_Kind kind = TParticle_Kind::None;
  std::int32_t key1 = 0;  // effect number
  TEffect* effect = nullptr;
  std::int32_t key2 = 0;  // emitter number
  TGEEvent* event = nullptr;
  std::int32_t key3 = 0;  // particle number within its event
  std::int32_t texture_handle = 0;
  std::string texture_name;
  float r1 = 0, r2 = 0, r3 = 0, r4 = 0;
  TVector position;
  std::uint8_t visible = 0;
  std::int32_t source_blend = 0, dest_blend = 0;
  float lifetime_left = 0;
  float age = 0;
  std::int32_t next_timed_event = 0;
  std::string text;
  TVector4 color;
  TVector4 color_step;
  float color_time_left = 0;
  TVector4 color_target;
  TVector velocity;
  TVector velocity_step;
  float velocity_time_left = 0;
  TVector velocity_target;
  TVector gravity;
  TVector gravity_step;
  float gravity_time_left = 0;
  TVector gravity_target;
  float rotation_time_left = 0, rotation_step = 0, rotation_target = 0;
  float size_1 = 0, size_2 = 0;  // half height, half width
  float radius = 0;
  float size_step_1 = 0, size_step_2 = 0, size_time_left = 0, size_target_1 = 0, size_target_2 = 0;
  std::uint8_t turn_to_move_direction = 0;
  float turn_rate = 0;  // radians per ms
  float rotation = 0;   // heading: the direction (sin, cos, 0)
  TVector target_offset;
  float target_speed = 0;
  float target_end_distance = 0;
  float rotation_move_1 = 0, rotation_move_2 = 0, rotation_move_3 = 0;
  float sort_key = 0;
  std::uint8_t target_reached = 0;
  float last_target_distance = 0;
};

// What drawing needs of the camera and the fonts. The defaults count every
// sphere visible, use the x axis as the camera's right vector and draw no
// text.
class TGParticle_View_Link {
public:
  virtual ~TGParticle_View_Link() = default;
  virtual bool G_Sphere_Visible(const TVector& centre, float radius);
  virtual TVector m_Camera_Right();
  // Draws the text centred at the world position in main font `font`.
  virtual void G_Font_Draw_Centered_Text_At_World_Position(std::int32_t font, TColor colour, const TVector& position,
                                                           const std::string& text);
};
TGParticle_View_Link& Particle_View_Link();
void Set_Particle_View_Link(TGParticle_View_Link* link);

class TGParticle_List : public TFormula_Particle_Source {
public:
  TGParticle_List();
  ~TGParticle_List() override;
  TGParticle_List(const TGParticle_List&) = delete;
  TGParticle_List& operator=(const TGParticle_List&) = delete;

  void m_Reset();
  // Index of a cleared record with a new id; the table grows by 50 when full.
  std::int32_t m_Get_Free_Slot();
  std::uint32_t m_New_Id();
  // Starts the emitters waiting for this particle's death, then clears it.
  void m_Free_Record(std::int32_t index);
  void m_Free_Event_Particles(const TGEEvent* event);
  // A copy; a record with id 0 outside 1..capacity.
  TGParticle_Rec m_Copy_Record(std::int64_t index) const;
  TGParticle_Rec m_Find_System(std::int32_t key1, std::int32_t key2, std::int32_t key3) const;
  bool m_Get_System_Position(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                             TVector& position) const override;
  bool m_Find_System(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                     TFormula_Particle_State& state) const override;
  bool m_Is_Alive(std::int32_t key1, std::int32_t key2, std::int32_t key3) const;
  void m_Add_Emitter_Particle(std::int32_t index, std::int32_t effect_number, TEffect* effect,
                              std::int32_t emitter_number, TGEEvent* event, std::int32_t particle_number,
                              std::int32_t texture_handle, const std::string& texture_name, std::uint8_t visible);
  void m_Add_Floating_Text(const TVector& position, const TVector& velocity, float lifetime, const TVector4& colour,
                           const std::string& text);
  void m_Add_Floating_Text_2(const TVector& position, const TVector& velocity, float lifetime,
                             const TVector4& colour, const std::string& text);
  void m_Load_Textures();
  void m_Advance(float x);
  void m_Draw();

  std::int32_t m_In_Use() const { return f_in_use; }
  std::int32_t m_Capacity() const { return f_capacity; }
  std::uint32_t m_Id_Counter() const { return f_id_counter; }
  void m_Set_Id_Counter(std::uint32_t counter) { f_id_counter = counter; }
  // The record indices drawn in the last m_Draw, in drawing order.
  std::vector<std::int32_t> m_Draw_List() const;
  // The record itself (1..capacity; ERangeError outside).
  TGParticle_Rec& m_Record(std::int64_t index);

private:
  void m_Add_Text(TParticle_Kind kind, const TVector& position, const TVector& velocity, float lifetime,
                  const TVector4& colour, const std::string& text);
  // Advances record i by d ms; true when it is finished.
  bool m_Advance_Record(TGParticle_Rec& p, float d);
  void m_Apply_Timed_Events(TGParticle_Rec& p);

  std::int32_t f_in_use = 0;
  std::int32_t f_capacity = 0;
  std::vector<TGParticle_Rec> f_records;  // 1-based, capacity + 1 entries
  std::uint32_t f_id_counter = 0;
  std::int32_t f_draw_count = 0;
  std::vector<std::int32_t> f_draw_list;  // 1-based (the table may outgrow 16-bit indices)
};

// The global particle list (none until created); it is the particle table
// the formula functions read while it exists.
extern std::unique_ptr<TGParticle_List> g_tg_particle_list;

// Creates the particle list and the emitter events at start-up (replacing
// any there are) and makes the list the formula functions' particle table.
void G_Create_Particle_Systems();
// Frees both (the emitter events first).
void G_Free_Particle_Systems();
