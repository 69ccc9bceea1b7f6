// The drawing layer: plain routines over the drawing device through which
// every in-game picture is drawn.
//
// It keeps the device (taken from the device framework, see
// Render_Device_Current) and two shared dynamic buffers, wraps each device
// call in a routine that refuses to work without a device (result E_FAIL)
// and writes failures to the debug log, sets the few states the game uses,
// draws lit vertices, 2D screen rectangles and coloured world quads, packs
// and unpacks colours, keeps the screen size and the mouse position, and
// lists the display adapters and their modes. Main thread only.
//
// Every routine that calls the device returns the call's result (0 = S_OK).
// A failed call is passed to G_Check_Result with a text naming the routine
// and the device call; with "Debug Section Engine Startup" on it becomes one
// line of the debug log. Nothing is ever shown to the player.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Render_Device.h"
#include "Vector_Types.h"

class TGTexture;

// A screen rectangle in pixels: left and top inside, right and bottom just
// outside.
struct TRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The two vertex records (28 bytes each): the lit world vertex (format
// 0x1C2) and the pre-transformed screen vertex (format 0x144).
using LVertex = TDevice_LVertex;
using TScreen_Vertex = TDevice_Screen_Vertex;

// The shared dynamic buffers hold this many lit vertices and 16-bit indices.
constexpr std::uint32_t G_LVERTEX_BUFFER_VERTICES = 400;
constexpr std::uint32_t G_INDEX_BUFFER_INDICES = 600;

// --- process-wide state ------------------------------------------------------

// The back buffer's size, from the description given to G_Set_BackBuffer_Desc.
extern std::int32_t G_Screen_Width;
extern std::int32_t G_Screen_Height;
extern bool G_Screen_Size_Known;
// The mouse position in client pixels (Set_Mouse_Position).
extern std::int32_t G_Mouse_X;
extern std::int32_t G_Mouse_Y;
// The game's own drawn mouse pointer: normal, or the move pointer over a
// window's drag area.
enum class TMouse_Pointer : std::int32_t { Normal = 1, Move = 3 };
extern TMouse_Pointer G_Mouse_Pointer_Kind;
// The device's windowed state (G_Set_Windowed_Flag).
extern bool G_Windowed;
// True while a progress dialog exists (the frame then draws no game pointer).
extern bool G_Progress_Dialog_Shown;

// The camera's view frustum (GraphicsEngine_Culling) and the device fonts
// (Datafile_MainFonts).
void G_Culling_Set_View_Frustrum();
void G_Font_Engine_Create();
void G_Font_Engine_Restore();
void G_Font_Engine_Invalidate();
HRESULT G_Font_Engine_Delete();
void G_Free_Fonts();

// The device fonts and the camera's view frustum live in their own modules.
// They attach here so that the engine's start, device resets, shutdown and
// view changes reach them; an empty entry is skipped. A default set of hooks
// is the game's own.
struct TG_Engine_Hooks {
  void (*Create_Device_Fonts)() = G_Font_Engine_Create;          // at G_Init_GraphicsEngine
  void (*Restore_Device_Fonts)() = G_Font_Engine_Restore;        // G_RestoreDeviceObjects
  void (*Invalidate_Device_Fonts)() = G_Font_Engine_Invalidate;  // G_InvalidateDeviceObjects
  HRESULT (*Delete_Device_Fonts)() = G_Font_Engine_Delete;  // G_DeleteDeviceObjects (device objects, then the fonts)
  void (*Free_Fonts)() = G_Free_Fonts;                           // G_Shutdown_GraphicsEngine
  void (*View_Changed)() = G_Culling_Set_View_Frustrum;  // the view transform was set: rebuild the frustum
};
extern TG_Engine_Hooks G_Engine_Hooks;

// --- device lifetime -------------------------------------------------------

// Drops any device and buffers held, creates the device fonts, takes the
// current device and makes the two shared buffers on it (a failure is
// logged and the start goes on without that buffer). Makes the global
// texture list when there is none. Always true.
bool G_Init_GraphicsEngine();
void G_RestoreDeviceObjects();
void G_InvalidateDeviceObjects();
// Deletes the fonts' device objects and the fonts, frees every texture of the
// list (the list stays), releases both buffers and the device. Returns the
// fonts' result (S_OK without fonts).
HRESULT G_DeleteDeviceObjects();
// Frees the texture list, the buffers, the device reference, the fonts and
// the adapter and mode lists. Always true.
bool G_Shutdown_GraphicsEngine();
// The device the layer draws on (none before G_Init_GraphicsEngine and after
// G_DeleteDeviceObjects).
TRender_Device* G_Device();

void G_Set_BackBuffer_Desc(const TSurface_Desc& desc);
void G_Get_BackBuffer_Desc(TSurface_Desc& desc);
void G_Set_Windowed_Flag(bool windowed);
void Set_Mouse_Position(std::int32_t x, std::int32_t y);

// --- device-call wrappers ---------------------------------------------------

HRESULT G_Main_Clear(TColor color);
HRESULT G_SetTexture(std::uint32_t stage, TDevice_Texture texture);
// The object's texture, or none for no object or an object without texture.
HRESULT G_SetTexture_Obj(std::uint32_t stage, const TGTexture* texture);
HRESULT G_GetTransform(std::uint32_t state, TMatrix& matrix);
// Setting the view transform (2) rebuilds the view frustum afterwards, with or
// without a device.
HRESULT G_SetTransform(std::uint32_t state, const TMatrix& matrix);
HRESULT G_SetRenderState(std::uint32_t state, std::uint32_t value);
HRESULT G_GetViewport(TViewport& viewport);
HRESULT G_DrawPrimitiveUP(std::uint32_t primitive, std::uint32_t primitive_count, const void* vertices,
                          std::uint32_t stride);
// Surfaces need no release; the out surface is set to none first.
HRESULT G_GetRenderTarget(std::uint32_t index, TDevice_Surface& surface);
HRESULT G_SetRenderTarget(std::uint32_t index, TDevice_Surface surface);
HRESULT G_GetSurfaceLevel(std::uint32_t level, const TGTexture* texture, TDevice_Surface& surface);
HRESULT G_SetFVF(std::uint32_t fvf);
void G_Release_Surface(TDevice_Surface& surface);

// --- state setters (render states, sampler 0) ------------------------------

HRESULT G_Set_ZWriteEnable(bool on);
HRESULT G_Set_AlphaTestEnable(bool on);
HRESULT G_Set_AlphaBlendEnable(bool on);
HRESULT G_Set_Lighting(bool on);
HRESULT G_Set_SrcBlend(std::uint32_t factor);
HRESULT G_Set_DestBlend(std::uint32_t factor);
HRESULT G_Set_Ambient(TColor color);
HRESULT G_SetSamplerState_MinFilter(std::uint32_t filter);
HRESULT G_SetSamplerState_MagFilter(std::uint32_t filter);
HRESULT G_SetSamplerState_AddressU(std::uint32_t mode);
HRESULT G_SetSamplerState_AddressV(std::uint32_t mode);
// Takes an on/off value and does nothing.
void G_Set_Empty_State(bool on);

// --- drawing ------------------------------------------------------------------

// Primitives from the index count n: points n, lines n/2, line strip n-1,
// triangles n/3, strip and fan n-2 (0 when that is below 0 or the type is
// unknown).
std::uint32_t G_Primitive_Count(std::uint32_t primitive, std::uint32_t n);
// Indexed lit vertices through the shared buffers. At most 400 vertices and
// 600 indices: more is refused with E_FAIL (and logged) before anything is
// copied.
HRESULT G_DrawIndexedPrimitive_LVertex(std::uint32_t primitive, const LVertex* vertices, std::int32_t vertex_count,
                                       const std::uint16_t* indices, std::int32_t index_count);
// Lit vertices in batches of at most 400 (399 for triangle lists, 398 for
// fans); each batch is a separate draw. Returns the last device call's result.
HRESULT G_DrawPrimitive_LVertex(std::uint32_t primitive, const LVertex* vertices, std::int32_t vertex_count);

// 2D rectangles (nothing without a device; the textured ones draw nothing
// for a texture object without texture).
void G_Draw_2D_Surface_All(const TGTexture* texture, const TRect& dest, bool smooth);
void G_Draw_2D_Surface_All_Blend(const TGTexture* texture, const TRect& dest, bool smooth, std::uint32_t src_blend,
                                 std::uint32_t dest_blend, TColor color);
void G_Draw_2D_Surface_Part(const TGTexture* texture, const TRect& dest, const TRect& source, bool smooth);
void G_Draw_2D_Surface_Part_Masked(const TGTexture* texture, const TRect& dest, const TRect& source, bool smooth);
void G_Draw_2D_Color_Part(TColor color, const TRect& rect, bool smooth, bool blend);
// A coloured world quad at depth z (the battle grid's cells).
void G_Draw_Textured_Quad(TColor color, bool smooth, bool blend, float x, float y, float width, float height,
                          float z);

void G_Make_LVertex(LVertex& v, float x, float y, float z, TColor diffuse, TColor specular, float tu, float tv);
void G_Make_Screen_Vertex(TScreen_Vertex& v, float x, float y, float z, float rhw, TColor diffuse, float tu,
                          float tv);
void G_Make_Float4(TVector4& v, float a, float b, float c, float d);

// --- colours ------------------------------------------------------------------

TColor G_Make_Color(std::uint32_t r, std::uint32_t g, std::uint32_t b);
// (a << 24) | (r << 16) | (g << 8) | b; the arguments are not masked.
TColor G_Make_Color_RGBA(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a);
// Each component times 255, rounded to the nearest (halves to even), packed
// as G_Make_Color_RGBA; not clamped. A component whose product is not a
// 32-bit integer raises ERangeError.
TColor G_Make_Color_From_Floats(float r, float g, float b, float a);
std::uint8_t G_Color_Red(TColor c);
std::uint8_t G_Color_Green(TColor c);
std::uint8_t G_Color_Blue(TColor c);
std::uint8_t G_Color_Alpha(TColor c);
// The colour with alpha 255 (any 32-bit colour).
TColor G_Color_Opaque(TColor c);

// --- error texts ----------------------------------------------------------------

// 0 for a result of 0; else 1, after writing "<where>: <result> - <name> -
// <description>" to the debug log when the engine start-up section is on.
int G_Check_Result(HRESULT result, const std::string& where);
std::string G_DX_Error_String(HRESULT result);
std::string G_DX_Error_Description(HRESULT result);

// --- adapters and display modes -------------------------------------------------

// Whether a device on that adapter with those formats is acceptable.
using TG_Device_Acceptable = bool (*)(TRender_System* system, std::uint32_t adapter, std::uint32_t adapter_format,
                                      std::uint32_t back_buffer_format, bool windowed);

// Lists every adapter and its X8R8G8B8 modes of at least the minimum size
// (that the acceptance test, when given, accepts), sorted by width, height,
// format and refresh rate, one entry "W x H" per size. Without a system the
// framework's is taken; without one the result is DXUTERR_NODIRECT3D.
// E_OUTOFMEMORY when memory runs out.
HRESULT G_Enumerate_Display_Modes(TRender_System* system, TG_Device_Acceptable acceptable,
                                  std::int32_t min_width, std::int32_t min_height);
// Copies the adapter names and ordinals; false when there is no adapter.
bool G_Get_Adapter_List(std::vector<std::string>& names, std::vector<std::uint32_t>& ordinals);
// Copies the modes of one adapter; true.
bool G_Get_Display_Mode_List(std::uint32_t adapter, std::vector<std::string>& names,
                             std::vector<std::int32_t>& widths, std::vector<std::int32_t>& heights);
