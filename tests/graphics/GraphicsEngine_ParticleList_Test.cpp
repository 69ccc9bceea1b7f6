#include <gtest/gtest.h>

#include "Datafile_Formula_Functions.h"
#include "Effects_Fixture.h"
#include "Engine_Fixture.h"
#include "Errors.h"
#include "Global.h"
#include "Path.h"

using Particle_List = TEffects_Fixture;

TEST_F(Particle_List, GrowsByFiftyAndReusesFreeRecords) {
  TGParticle_List& list = *g_tg_particle_list;
  EXPECT_EQ(list.m_Capacity(), 50);
  for (int i = 1; i <= 51; ++i) EXPECT_EQ(list.m_Get_Free_Slot(), i);
  EXPECT_EQ(list.m_Capacity(), 100);
  EXPECT_EQ(list.m_In_Use(), 51);
  EXPECT_EQ(list.m_Copy_Record(51).id, 51u);
  list.m_Free_Record(7);
  list.m_Free_Record(7);  // a free record is not freed twice
  EXPECT_EQ(list.m_In_Use(), 50);
  EXPECT_EQ(list.m_Get_Free_Slot(), 7);
  EXPECT_EQ(list.m_Copy_Record(7).id, 52u);
  EXPECT_EQ(list.m_Copy_Record(0).id, 0u);
  EXPECT_EQ(list.m_Copy_Record(101).id, 0u);
  EXPECT_THROW(list.m_Record(101), ERangeError);
  list.m_Reset();
  EXPECT_EQ(list.m_In_Use(), 0);
  EXPECT_EQ(list.m_Capacity(), 100);
}

TEST_F(Particle_List, IdsRestartBelowTheLimitAndSkipHeldIds) {
  TGParticle_List& list = *g_tg_particle_list;
  list.m_Get_Free_Slot();  // id 1
  list.m_Set_Id_Counter(4294966998u);
  EXPECT_EQ(list.m_Copy_Record(list.m_Get_Free_Slot()).id, 4294966999u);
  EXPECT_EQ(list.m_Copy_Record(list.m_Get_Free_Slot()).id, 2u);
}

TEST_F(Particle_List, FloatingTextFadesOverItsLifetime) {
  TGParticle_List& list = *g_tg_particle_list;
  list.m_Add_Floating_Text({0, 0, 0}, {0.01f, 0, 0}, 8000, {1, 1, 0, 1}, "-3");
  list.m_Add_Floating_Text_2({0, 0, 0}, {}, 9000, {1, 1, 1, 1}, "x");
  TGParticle_Rec r = list.m_Copy_Record(1);
  EXPECT_EQ(r.kind, TParticle_Kind::Text);
  EXPECT_EQ(list.m_Copy_Record(2).kind, TParticle_Kind::Text_2);
  EXPECT_EQ(r.source_blend, 3);
  EXPECT_EQ(r.dest_blend, 4);
  EXPECT_EQ(r.visible, 1);
  list.m_Advance(4.0f);
  r = list.m_Copy_Record(1);
  EXPECT_FLOAT_EQ(r.color.x, 0.5f);
  EXPECT_FLOAT_EQ(r.color.y, 0.5f);
  EXPECT_FLOAT_EQ(r.color.z, 0.0f);
  EXPECT_FLOAT_EQ(r.color.w, 0.5f);
  EXPECT_FLOAT_EQ(r.position.x, 40.0f);
  list.m_Advance(4.0f);
  EXPECT_EQ(list.m_Copy_Record(1).id, 0u);
  EXPECT_EQ(list.m_In_Use(), 1);
}

TEST_F(Particle_List, LifetimeEndsOnceTheTargetIsPassed) {
  // 8 units per ms towards a target 100 away, ending within 1 (counted as
  // reached within 5): the particle passes at 96 and 104 and is freed in
  // the frame after it starts to move away.
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 1000\nNum_Particles := 1\nLifetime := 60\n"
       "Initial_Velocity := MakeVector(8000, 0, 0)\nLifetime_Ends_At_Target := 1\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {100, 0, 0}, 0, 0));
  g_tg_emitter_events->m_Update(0.001f);
  TGParticle_List& list = *g_tg_particle_list;
  ASSERT_EQ(list.m_In_Use(), 1);
  for (int frame = 1; frame <= 14; ++frame) list.m_Advance(0.001f);
  TGParticle_Rec r = list.m_Copy_Record(1);
  EXPECT_EQ(r.target_reached, 1);
  EXPECT_FLOAT_EQ(r.position.x, 112.0f);
  EXPECT_FLOAT_EQ(r.last_target_distance, 4.0f);
  list.m_Advance(0.001f);
  EXPECT_EQ(list.m_In_Use(), 0);
}

TEST_F(Particle_List, TimedEventsAndSetTimerRepeat) {
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 1000\nNum_Particles := 1\nLifetime := 60\n"
       "Time := 0\nColor := MakeColor(1, 0, 0, 1)\n"
       "Time := 0.1\nColor := MakeColor(0, 1, 0, 1)\n"
       "Time := 0.2\nSet_Timer := 0\n"
       "Emitter := 2\nEmit_Rate := 1000\nNum_Particles := 1\nLifetime := 60\n"
       "Time_Range := 0 - 1\nColor := MakeColor(1, 1, 1, 1)\nSize := 10, 20\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  g_tg_emitter_events->m_Update(0.001f);
  TGParticle_List& list = *g_tg_particle_list;
  ASSERT_EQ(list.m_In_Use(), 2);
  std::string colours;
  for (int frame = 0; frame < 6; ++frame) {
    list.m_Advance(0.05f);
    const TGParticle_Rec r = list.m_Copy_Record(1);
    colours += r.color.x == 1 ? "r" : (r.color.y == 1 ? "g" : "-");
  }
  EXPECT_EQ(colours, "rgggrg");
  // The ranged change spreads what is left of the range over the frames.
  TGParticle_Rec r = list.m_Copy_Record(2);
  // First frame at 50 ms: 950 ms left, so after 300 ms 300/950 of the way.
  EXPECT_NEAR(r.color.x, 300.0f / 950, 1e-5);
  EXPECT_NEAR(r.size_1, 10 * 300.0f / 950, 1e-4);
  EXPECT_NEAR(r.size_2, 20 * 300.0f / 950, 1e-4);
  EXPECT_EQ(r.radius, r.size_2);
  for (int frame = 0; frame < 16; ++frame) list.m_Advance(0.05f);
  r = list.m_Copy_Record(2);
  EXPECT_FLOAT_EQ(r.color.w, 1.0f);
  EXPECT_FLOAT_EQ(r.size_2, 20.0f);
  EXPECT_EQ(r.color_time_left, 0.0f);
}

TEST_F(Particle_List, HeadingsAndMovement) {
  // Each row: the emitter's keys, then the position, velocity (per ms) and
  // heading after one frame of 100 ms. The source is (0, 0, 0), the target
  // (0, 100, 0).
  struct TCase {
    const char* keys;
    TVector position, velocity;
    float rotation;
  } cases[] = {
      // Heading follows the movement: moving along +x is a quarter turn.
      {"Initial_Velocity := MakeVector(1000, 0, 0)\nTurn_Towards_Move_Direction := Yes\n",
       {100, 0, 0}, {1, 0, 0}, 3.14159265f / 2},
      // Turning towards the target (heading 0) at 0.005 radians per ms from a
      // heading of 90 degrees: 0.5 radians in the frame.
      {"Initial_Rotation := 90\nTurn_Towards_Target := 5\n", {0, 0, 0}, {0, 0, 0}, 3.14159265f / 2 - 0.5f},
      // Moving in the heading's direction, starting at 1 per ms and gaining 10 per ms, at most 1.5.
      {"Initial_Rotation := 90\nMove_In_Rotation_Direction := 1000, 1500, 10000\n", {150, 0, 0}, {1.5f, 0, 0},
       3.14159265f / 2},
      // Gravity adds to the velocity before it moves the particle.
      {"Initial_Gravity := MakeVector(0, 0, 10)\n", {0, 0, 100}, {0, 0, 1}, 0},
      // Straight for the target at 0.5 per ms.
      {"Move_To_Target_Velocity := 500\n", {0, 50, 0}, {0, 0.5f, 0}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.keys);
    g_tg_emitter_events->m_Clear();
    Load(std::string("Effect := A\nEmitter := 1\nEmit_Rate := 1000\nNum_Particles := 1\nLifetime := 60\n") +
         c.keys);
    ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {0, 100, 0}, 0, 0));
    g_tg_emitter_events->m_Update(0.001f);
    g_tg_particle_list->m_Advance(0.1f);
    const TGParticle_Rec r = g_tg_particle_list->m_Copy_Record(1);
    ASSERT_NE(r.id, 0u);
    EXPECT_NEAR(r.position.x, c.position.x, 1e-3);
    EXPECT_NEAR(r.position.y, c.position.y, 1e-3);
    EXPECT_NEAR(r.position.z, c.position.z, 1e-3);
    EXPECT_NEAR(r.velocity.x, c.velocity.x, 1e-5);
    EXPECT_NEAR(r.velocity.y, c.velocity.y, 1e-5);
    EXPECT_NEAR(r.velocity.z, c.velocity.z, 1e-5);
    EXPECT_NEAR(r.rotation, c.rotation, 1e-5);
  }
}

TEST_F(Particle_List, FormulasReadParticlesByTheirKeys) {
  TGParticle_List& list = *g_tg_particle_list;
  EXPECT_EQ(Formula_Get_Particle_Source(), &list);
  const std::int32_t i = list.m_Get_Free_Slot();
  TGParticle_Rec& r = list.m_Record(i);
  r.key1 = 7;
  r.key2 = 1;
  r.key3 = 2;
  r.position = {1, 2, 3};
  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("Get_Particle_Position(1, 2)", error));
  line.m_Set_Object_Slot(4, nullptr, 7);
  TVector v = line.m_Evaluate_Vector();
  EXPECT_EQ(v.z, 3.0f);
  TVector at;
  EXPECT_TRUE(list.m_Get_System_Position(7, 1, 2, at));
  EXPECT_FALSE(list.m_Get_System_Position(7, 1, 3, at));
  EXPECT_EQ(at.x, 0.0f);
  EXPECT_TRUE(list.m_Is_Alive(7, 1, 2));
  list.m_Free_Record(i);
  EXPECT_FALSE(list.m_Is_Alive(7, 1, 2));
}

// --- drawing on the headless device --------------------------------------------------

namespace {
class TView_Recorder : public TGParticle_View_Link {
public:
  TView_Recorder() { Set_Particle_View_Link(this); }
  ~TView_Recorder() override { Set_Particle_View_Link(nullptr); }
  bool G_Sphere_Visible(const TVector& centre, float) override { return centre.x < 1000; }
  void G_Font_Draw_Centered_Text_At_World_Position(std::int32_t font, TColor colour, const TVector&,
                                                   const std::string& text) override {
    texts.push_back(std::to_string(font) + " " + std::to_string(colour) + " " + text);
  }
  std::vector<std::string> texts;
};

class Particle_Drawing : public TEngine_Fixture {
protected:
  void SetUp() override {
    TEngine_Fixture::SetUp();
    G_Create_Particle_Systems();
    f_flat.effect_particle_alignment = TEffect_Align::XY_Axis;
  }
  void TearDown() override {
    G_Free_Particle_Systems();
    TEngine_Fixture::TearDown();
  }
  std::int32_t Quad(const TVector& at, std::int32_t source_blend, std::int32_t dest_blend) {
    const std::int32_t i = g_tg_particle_list->m_Get_Free_Slot();
    TGParticle_Rec& r = g_tg_particle_list->m_Record(i);
    r.kind = TParticle_Kind::Emitter;
    r.effect = &f_flat;
    r.visible = 1;
    r.position = at;
    r.size_1 = 2;
    r.size_2 = 3;
    r.radius = 3;
    r.r3 = r.r4 = 1;
    r.color = {1, 0.5f, 0, 1};
    r.source_blend = source_blend;
    r.dest_blend = dest_blend;
    return i;
  }
  TEffect f_flat;
};
}  // namespace

TEST_F(Particle_Drawing, QuadsSortedByDepthWithTheirStates) {
  TView_Recorder view;
  Quad({10, 20, 0}, 5, 2);
  Quad({10, 20, 0}, 5, 2);
  Quad({10, 20, -5}, 2, 2);
  Quad({5000, 0, 0}, 5, 2);  // outside the view
  g_tg_particle_list->m_Add_Floating_Text({1, 1, 0}, {}, 100, {1, 1, 1, 1}, "+2");
  g_tg_particle_list->m_Record(2).rotation = 3.14159265f / 2;
  g_tg_particle_list->m_Draw();
  // Farther first (z = -5), then equal depths by id, the text last.
  EXPECT_EQ(g_tg_particle_list->m_Draw_List(), (std::vector<std::int32_t>{3, 1, 2, 5}));
  const std::vector<TDraw_Record>& draws = f_device->Draw_Records();
  ASSERT_EQ(draws.size(), 3u);
  for (const TDraw_Record& d : draws) {
    EXPECT_EQ(d.primitive, D3DPT_TRIANGLELIST);
    EXPECT_EQ(d.primitive_count, 2u);
    EXPECT_EQ(d.fvf, FVF_LVERTEX);
    EXPECT_EQ(d.state.render[D3DRS_LIGHTING], 0u);
    EXPECT_EQ(d.state.render[D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(d.state.render[D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(d.state.sampler[0][D3DSAMP_MINFILTER], D3DTEXF_LINEAR);
  }
  EXPECT_EQ(draws[0].state.render[D3DRS_SRCBLEND], 2u);
  EXPECT_EQ(draws[1].state.render[D3DRS_SRCBLEND], 5u);
  // A flat quad: up is -x (size 1 = 2), right is -y (size 2 = 3).
  const TDraw_Record& d = draws[1];
  ASSERT_EQ(d.m_Vertex_Count(), 6u);
  struct TCorner {
    float x, y, u, v;
  } corners[] = {{8, 17, 0, 1}, {8, 23, 0, 0}, {12, 17, 1, 1}, {8, 23, 0, 0}, {12, 23, 1, 0}, {12, 17, 1, 1}};
  for (std::uint32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const TDevice_LVertex v = d.m_LVertex(i);
    EXPECT_FLOAT_EQ(v.x, corners[i].x);
    EXPECT_FLOAT_EQ(v.y, corners[i].y);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(v.tu, corners[i].u);
    EXPECT_EQ(v.tv, corners[i].v);
    EXPECT_EQ(v.diffuse, 0xFFFF8000u);
    EXPECT_EQ(v.specular, 0xFFFFFFFFu);
  }
  // Turned a quarter: up becomes (0, 1, 0) and right (-1, 0, 0).
  const TDevice_LVertex ur = draws[2].m_LVertex(0);
  EXPECT_NEAR(ur.x, 7, 1e-5);
  EXPECT_NEAR(ur.y, 22, 1e-5);
  EXPECT_EQ(view.texts, std::vector<std::string>{"1 " + std::to_string(0xFFFFFFFFu) + " +2"});
}

TEST_F(Particle_Drawing, NothingInUseDrawsNothing) {
  g_tg_particle_list->m_Draw();
  EXPECT_TRUE(f_device->Draw_Records().empty());
  EXPECT_TRUE(g_tg_particle_list->m_Draw_List().empty());
}

TEST_F(Particle_Drawing, EffectPicturesFromTheEffectsFolderThenImages) {
  const std::string saved_program = Program_Folder;
  TTemp_Dir root;
  std::filesystem::create_directories(root.path() / "images" / "effects");
  Program_Folder = root.design();
  TPath_Settings paths;
  TPath_Settings* saved_paths = Path_Settings;
  Path_Settings = &paths;
  TImage image;
  image.Set_Size(4, 4, 0xFF808080u);
  ASSERT_TRUE(Image_Write_BMP_24(root.design() + "images\\effects\\Spark.bmp", image));
  ASSERT_TRUE(Image_Write_BMP_24(root.design() + "images\\Glow.bmp", image));

  Effects_Free();
  Effect_List = new TEffect_List();
  std::vector<std::string> errors;
  Effect_List->m_Parse(TData_File_Parser::Split_Lines("Effect := A\nEmitter := 1\nEmit_Rate := 1000\n"
                                                      "Num_Particles := 1\nLifetime := 9\nTexture := Spark.bmp\n"
                                                      "Emitter := 2\nEmit_Rate := 1000\nNum_Particles := 1\n"
                                                      "Lifetime := 9\nTexture := Glow.bmp\n"
                                                      "Emitter := 3\nEmit_Rate := 1000\nNum_Particles := 1\n"
                                                      "Lifetime := 9\nTexture := Missing.bmp\n"),
                       errors);
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  g_tg_emitter_events->m_Update(0.001f);
  TGParticle_List& list = *g_tg_particle_list;
  const std::int32_t spark = list.m_Copy_Record(1).texture_handle;
  const std::int32_t glow = list.m_Copy_Record(2).texture_handle;
  EXPECT_GT(spark, 0);
  EXPECT_GT(glow, 0);
  EXPECT_EQ(list.m_Copy_Record(3).texture_handle, 0);
  EXPECT_EQ(g_tg_texture_list->m_Get_Texture(spark)->m_Group(), 1);
  EXPECT_EQ(list.m_Copy_Record(1).texture_name, "Spark.bmp");
  // After the textures were dropped, each particle finds its picture again.
  g_tg_texture_list->m_Unload_Group(1);
  list.m_Load_Textures();
  EXPECT_GT(list.m_Copy_Record(1).texture_handle, 0);
  EXPECT_NE(list.m_Copy_Record(1).texture_handle, spark);
  EXPECT_GT(list.m_Copy_Record(2).texture_handle, 0);
  EXPECT_EQ(list.m_Copy_Record(3).texture_handle, 0);

  G_Free_Particle_Systems();
  Effects_Free();
  Path_Settings = saved_paths;
  Program_Folder = saved_program;
}
