#include "Render_Device_OpenGL.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "Render_Device_Base.h"

namespace {

std::string g_last_error;

void Set_Last_Error(const std::string& where, const char* text) {
  g_last_error = where;
  if (text && *text) g_last_error += std::string(": ") + text;
}

// Gives back one hold on SDL's video part; SDL ends when nothing of it is
// left in use.
void Release_Video() {
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

// Keeps every shared library loaded so far (the GL driver and what it
// pulled in) loaded until the program ends, once per program: closing the
// last window or display then unloads no driver, opening the next one
// loads none again, and the driver's own allocations stay attributed to it
// for the leak checker.
void Keep_Drivers_Loaded() {
  static bool kept = false;
  if (kept) return;
  kept = true;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        if (info->dlpi_name && info->dlpi_name[0] == '/')
          if (void* h = dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(h);
        return 0;
      },
      nullptr);
}

// GL's value for the mirror-once address mode (an extension of GL 2.1).
constexpr GLenum GL_MIRROR_CLAMP_TO_EDGE_VALUE = 0x8743;

// The GL entry points beyond GL 1.1 that the device uses.
struct TGL_Entry_Points {
  PFNGLBLENDCOLORPROC BlendColor = nullptr;
  PFNGLBLENDEQUATIONPROC BlendEquation = nullptr;
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;

  template <typename T>
  static bool Load(T& slot, const char* name, const char* ext_name) {
    slot = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    if (!slot && ext_name) slot = reinterpret_cast<T>(SDL_GL_GetProcAddress(ext_name));
    return slot != nullptr;
  }

  bool Load_All() {
    bool ok = true;
    ok &= Load(BlendColor, "glBlendColor", "glBlendColorEXT");
    ok &= Load(BlendEquation, "glBlendEquation", "glBlendEquationEXT");
    ok &= Load(GenFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT");
    ok &= Load(DeleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT");
    ok &= Load(BindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT");
    ok &= Load(FramebufferTexture2D, "glFramebufferTexture2D", "glFramebufferTexture2DEXT");
    ok &= Load(CheckFramebufferStatus, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT");
    return ok;
  }
};

// The vertex as GL receives it.
struct TGL_Vertex {
  float x, y, z, w;
  std::uint8_t rgba[4];
  float u, v;
};

GLenum GL_Compare(std::uint32_t func) {
  switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

// A blend factor; a target without alpha reads destination alpha as 1.
GLenum GL_Blend_Factor(std::uint32_t factor, bool target_alpha, bool source) {
  switch (factor) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return target_alpha ? GL_DST_ALPHA : GL_ONE;
    case D3DBLEND_INVDESTALPHA: return target_alpha ? GL_ONE_MINUS_DST_ALPHA : GL_ZERO;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      // GL 2.1 has the saturated factor only for the source; without
      // destination alpha its colour part is 0 anyway.
      if (source) return GL_SRC_ALPHA_SATURATE;
      return target_alpha ? GL_ONE : GL_ZERO;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
  }
}

GLenum GL_Blend_Equation(std::uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum GL_Address(std::uint32_t mode, bool mirror_once) {
  switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return mirror_once ? GL_MIRROR_CLAMP_TO_EDGE_VALUE : GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

GLint GL_Filter(std::uint32_t filter) {
  return (filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC) ? GL_LINEAR : GL_NEAREST;
}

GLenum GL_Stage_Source(std::uint32_t argument) {
  switch (argument & 0xF) {
    case D3DTA_TEXTURE: return GL_TEXTURE;
    case D3DTA_TFACTOR: return GL_CONSTANT;
    default: return GL_PRIMARY_COLOR;  // diffuse; at stage 0 also the current colour
  }
}

void Color_Floats(TColor c, GLfloat out[4]) {
  out[0] = Color_Red(c) / 255.0f;
  out[1] = Color_Green(c) / 255.0f;
  out[2] = Color_Blue(c) / 255.0f;
  out[3] = Color_Alpha(c) / 255.0f;
}

HRESULT GL_Failure(GLenum error) {
  return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_DRIVERINTERNALERROR;
}

class TRender_Device_OpenGL final : public TRender_Device_Base {
public:
  explicit TRender_Device_OpenGL(const TDevice_Params& params) : TRender_Device_Base(params) {}
  ~TRender_Device_OpenGL() override;

  // Opens the window and the GL context; S_OK or a failure (the reason in
  // OpenGL_Last_Error).
  HRESULT Open();

  std::uint32_t Get_Max_Texture_Size() override { return f_max_texture_size; }
  void* Get_Native_Window() override { return f_window; }

protected:
  HRESULT Backend_Create_Texture(TTexture_Object& texture, const TColor* pixels) override;
  HRESULT Backend_Create_Mask(TTexture_Object& texture, const std::uint8_t* values) override;
  void Backend_Release_Texture(TTexture_Object& texture) override;
  HRESULT Backend_Clear(bool target, bool zbuffer, TColor color, float z) override;
  HRESULT Backend_Draw(const TRaster_Job& job) override;
  HRESULT Backend_Present() override;
  HRESULT Backend_Reset(const TDevice_Params& params) override;
  HRESULT Backend_Read(const TTexture_Object* texture, std::vector<TColor>& pixels) override;

private:
  void Make_Current();
  // Binds the framebuffer of the current render target.
  void Bind_Target();
  // GL's rectangle (lower-left origin) of a rectangle of the current target.
  void GL_Rect(const TViewport& r, GLint& x, GLint& y) const;
  void Apply_State(bool texture_target, bool target_alpha);
  void Apply_Stage0();

  bool f_video = false;  // holds a reference on SDL's video part
  SDL_Window* f_window = nullptr;
  SDL_GLContext f_context = nullptr;
  TGL_Entry_Points f_gl;
  GLuint f_white = 0;  // 1 x 1 opaque white, sampled when no texture is bound
  GLuint f_fbo = 0;
  bool f_fbo_bound = false;
  GLuint f_attached = 0;
  bool f_mirror_once = false;
  std::uint32_t f_max_texture_size = 2048;
  std::vector<TGL_Vertex> f_vertices;
};

TRender_Device_OpenGL::~TRender_Device_OpenGL() {
  if (f_context) {
    SDL_GL_MakeCurrent(f_window, f_context);
    if (f_fbo) {
      f_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
      f_gl.DeleteFramebuffers(1, &f_fbo);
    }
    if (f_white) glDeleteTextures(1, &f_white);
    // The textures still alive go with the context.
    SDL_GL_MakeCurrent(f_window, nullptr);
    SDL_GL_DeleteContext(f_context);
  }
  if (f_window) SDL_DestroyWindow(f_window);
  if (f_video) Release_Video();
}

HRESULT TRender_Device_OpenGL::Open() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    Set_Last_Error("SDL video", SDL_GetError());
    return DXUTERR_NODIRECT3D;
  }
  f_video = true;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, f_params.Depth_Format == D3DFMT_D16 ? 16 : 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, f_params.Depth_Format == D3DFMT_D24S8 ? 8 : 0);
  const int position = int(SDL_WINDOWPOS_CENTERED_DISPLAY(int(f_params.Adapter)));
  Uint32 flags = SDL_WINDOW_OPENGL;
  if (!f_params.Windowed) flags |= SDL_WINDOW_FULLSCREEN;
  f_window = SDL_CreateWindow(f_params.Title.c_str(), position, position, int(f_params.Width),
                              int(f_params.Height), flags);
  if (!f_window) {
    Set_Last_Error("SDL window", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  f_context = SDL_GL_CreateContext(f_window);
  if (!f_context) {
    Set_Last_Error("OpenGL context", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  SDL_GL_MakeCurrent(f_window, f_context);
  Keep_Drivers_Loaded();
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2 || major * 10 + minor < 21) {
    Set_Last_Error("OpenGL 2.1 is needed, the driver has", version ? version : "none");
    return D3DERR_NOTAVAILABLE;
  }
  if (!f_gl.Load_All()) {
    Set_Last_Error("OpenGL", "framebuffer objects or blend functions are missing");
    return D3DERR_NOTAVAILABLE;
  }
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions)
    f_mirror_once = std::strstr(extensions, "GL_ARB_texture_mirror_clamp_to_edge") ||
                    std::strstr(extensions, "GL_EXT_texture_mirror_clamp") ||
                    std::strstr(extensions, "GL_ATI_texture_mirror_once");
  if (major >= 5 || (major == 4 && minor >= 4)) f_mirror_once = true;
  SDL_GL_SetSwapInterval(f_params.Vsync ? 1 : 0);
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  f_max_texture_size = std::uint32_t(std::clamp<GLint>(max_size, 64, 16384));

  // The fixed state that never changes: no GL lighting (done on the CPU),
  // no fog, no culling (done on the CPU), no dithering, identity matrices
  // (the vertices arrive in clip space), vertex arrays from memory.
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_SCISSOR_TEST);

  const GLuint white = 0xFFFFFFFFu;
  glGenTextures(1, &f_white);
  glBindTexture(GL_TEXTURE_2D, f_white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
  f_gl.GenFramebuffers(1, &f_fbo);

  // The back buffer starts opaque black with the depth buffer at 1.
  glScissor(0, 0, GLsizei(f_params.Width), GLsizei(f_params.Height));
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (GLenum error = glGetError(); error != GL_NO_ERROR) {
    Set_Last_Error("OpenGL set-up", ("GL error " + std::to_string(error)).c_str());
    return GL_Failure(error);
  }
  return S_OK;
}

void TRender_Device_OpenGL::Make_Current() {
  if (SDL_GL_GetCurrentContext() != f_context) SDL_GL_MakeCurrent(f_window, f_context);
}

void TRender_Device_OpenGL::Bind_Target() {
  const TTexture_Object* t = Target_Texture();
  if (!t) {
    if (f_fbo_bound) {
      f_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
      f_fbo_bound = false;
    }
    return;
  }
  if (!f_fbo_bound) {
    f_gl.BindFramebuffer(GL_FRAMEBUFFER, f_fbo);
    f_fbo_bound = true;
  }
  if (f_attached != t->backend) {
    f_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->backend, 0);
    f_attached = t->backend;
  }
}

void TRender_Device_OpenGL::GL_Rect(const TViewport& r, GLint& x, GLint& y) const {
  // A texture's first row is its top row and GL's row 0: no flip. The back
  // buffer's top row is GL's last.
  x = GLint(r.X);
  if (f_fbo_bound) y = GLint(r.Y);
  else y = GLint(f_params.Height) - GLint(r.Y) - GLint(r.Height);
}

void TRender_Device_OpenGL::Apply_Stage0() {
  const TDevice_State& s = f_state;
  const auto& st = s.stage[0];
  GLfloat factor[4];
  Color_Floats(s.render[D3DRS_TEXTUREFACTOR], factor);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);

  // One half (colour or alpha) of the stage: combine function, sources, scale.
  auto half = [](std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2, GLenum combine, GLenum src0,
                 GLenum src1, GLenum operand0, GLenum operand1, GLenum scale, GLenum operand) {
    GLenum function = GL_MODULATE;
    GLenum a = GL_Stage_Source(arg1), b = GL_Stage_Source(arg2);
    GLfloat factor_scale = 1.0f;
    switch (op) {
      case D3DTOP_DISABLE:
        function = GL_REPLACE;
        a = GL_PRIMARY_COLOR;
        break;
      case D3DTOP_SELECTARG1: function = GL_REPLACE; break;
      case D3DTOP_SELECTARG2:
        function = GL_REPLACE;
        a = b;
        break;
      case D3DTOP_MODULATE2X: factor_scale = 2.0f; break;
      case D3DTOP_MODULATE4X: factor_scale = 4.0f; break;
      case D3DTOP_ADD: function = GL_ADD; break;
      default: break;  // modulate
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, GLint(function));
    glTexEnvi(GL_TEXTURE_ENV, src0, GLint(a));
    glTexEnvi(GL_TEXTURE_ENV, src1, GLint(b));
    glTexEnvi(GL_TEXTURE_ENV, operand0, GLint(operand));
    glTexEnvi(GL_TEXTURE_ENV, operand1, GLint(operand));
    glTexEnvf(GL_TEXTURE_ENV, scale, factor_scale);
  };
  // A disabled colour operation leaves the diffuse colour and alpha.
  const bool disabled = st[D3DTSS_COLOROP] == D3DTOP_DISABLE;
  half(st[D3DTSS_COLOROP], st[D3DTSS_COLORARG1], st[D3DTSS_COLORARG2], GL_COMBINE_RGB, GL_SRC0_RGB, GL_SRC1_RGB,
       GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_RGB_SCALE, GL_SRC_COLOR);
  half(disabled ? D3DTOP_DISABLE : st[D3DTSS_ALPHAOP], st[D3DTSS_ALPHAARG1], st[D3DTSS_ALPHAARG2],
       GL_COMBINE_ALPHA, GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_ALPHA_SCALE,
       GL_SRC_ALPHA);
}

void TRender_Device_OpenGL::Apply_State(bool texture_target, bool target_alpha) {
  const auto& r = f_state.render;
  // Depth: only the back buffer has a depth buffer.
  if (!texture_target && r[D3DRS_ZENABLE] != 0) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_Compare(r[D3DRS_ZFUNC]));
    glDepthMask(r[D3DRS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  if (r[D3DRS_ALPHATESTENABLE] != 0) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_Compare(r[D3DRS_ALPHAFUNC]), GLclampf((r[D3DRS_ALPHAREF] & 0xFF) / 255.0f));
  } else {
    glDisable(GL_ALPHA_TEST);
  }
  if (r[D3DRS_ALPHABLENDENABLE] != 0) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_Blend_Factor(r[D3DRS_SRCBLEND], target_alpha, true),
                GL_Blend_Factor(r[D3DRS_DESTBLEND], target_alpha, false));
    f_gl.BlendEquation(GL_Blend_Equation(r[D3DRS_BLENDOP]));
    GLfloat bf[4];
    Color_Floats(r[D3DRS_BLENDFACTOR], bf);
    f_gl.BlendColor(bf[0], bf[1], bf[2], bf[3]);
  } else {
    glDisable(GL_BLEND);
  }
  const std::uint32_t mask = r[D3DRS_COLORWRITEENABLE];
  glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);

  // Texture and sampler 0.
  const TTexture_Object* bound = Find_Texture(f_state.textures[0]);
  glBindTexture(GL_TEXTURE_2D, bound ? bound->backend : f_white);
  const auto& smp = f_state.sampler[0];
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_Filter(smp[D3DSAMP_MINFILTER]));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_Filter(smp[D3DSAMP_MAGFILTER]));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(GL_Address(smp[D3DSAMP_ADDRESSU], f_mirror_once)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(GL_Address(smp[D3DSAMP_ADDRESSV], f_mirror_once)));
  if (smp[D3DSAMP_ADDRESSU] == D3DTADDRESS_BORDER || smp[D3DSAMP_ADDRESSV] == D3DTADDRESS_BORDER) {
    GLfloat border[4];
    Color_Floats(smp[D3DSAMP_BORDERCOLOR], border);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
  }
  Apply_Stage0();
}

HRESULT TRender_Device_OpenGL::Backend_Create_Texture(TTexture_Object& texture, const TColor* pixels) {
  Make_Current();
  while (glGetError() != GL_NO_ERROR) {
  }
  std::vector<TColor> cleared;
  if (!pixels) {
    try {
      cleared.assign(std::size_t(texture.width) * texture.height, 0u);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    pixels = cleared.data();
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  // X8R8G8B8 stores no alpha: GL_RGB8 reads alpha as 1, sampled and as
  // destination of a draw.
  const GLint internal = texture.keeps_alpha() ? GL_RGBA8 : GL_RGB8;
  glTexImage2D(GL_TEXTURE_2D, 0, internal, GLsizei(texture.width), GLsizei(texture.height), 0, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  if (GLenum error = glGetError(); error != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return GL_Failure(error);
  }
  if (texture.render_target()) {
    f_gl.BindFramebuffer(GL_FRAMEBUFFER, f_fbo);
    f_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
    const GLenum status = f_gl.CheckFramebufferStatus(GL_FRAMEBUFFER);
    f_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    f_attached = 0;
    if (!f_fbo_bound) f_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
      glDeleteTextures(1, &name);
      return D3DERR_NOTAVAILABLE;
    }
  }
  texture.backend = name;
  return S_OK;
}

HRESULT TRender_Device_OpenGL::Backend_Create_Mask(TTexture_Object& texture, const std::uint8_t* values) {
  Make_Current();
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  // An intensity texture samples its one value in all four channels, as
  // the device's format promises. Its rows are packed: any width.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_INTENSITY8, GLsizei(texture.width), GLsizei(texture.height), 0, GL_LUMINANCE,
               GL_UNSIGNED_BYTE, values);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (GLenum error = glGetError(); error != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return GL_Failure(error);
  }
  texture.backend = name;
  return S_OK;
}

void TRender_Device_OpenGL::Backend_Release_Texture(TTexture_Object& texture) {
  if (texture.backend == 0) return;
  Make_Current();
  if (f_attached == texture.backend) {
    // Detached first: a deleted texture stays attached to an unbound
    // framebuffer.
    f_gl.BindFramebuffer(GL_FRAMEBUFFER, f_fbo);
    f_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    if (!f_fbo_bound) f_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    f_attached = 0;
  }
  const GLuint name = texture.backend;
  glDeleteTextures(1, &name);
  texture.backend = 0;
}

HRESULT TRender_Device_OpenGL::Backend_Clear(bool target, bool zbuffer, TColor color, float z) {
  Make_Current();
  Bind_Target();
  const TViewport& vp = f_state.viewport;
  GLint x = 0, y = 0;
  GL_Rect(vp, x, y);
  glScissor(x, y, GLsizei(vp.Width), GLsizei(vp.Height));
  GLbitfield bits = 0;
  if (target) {
    GLfloat c[4];
    Color_Floats(color, c);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(c[0], c[1], c[2], c[3]);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (zbuffer) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    bits |= GL_DEPTH_BUFFER_BIT;
  }
  glClear(bits);
  return S_OK;
}

HRESULT TRender_Device_OpenGL::Backend_Draw(const TRaster_Job& job) {
  Make_Current();
  Bind_Target();
  const TTexture_Object* target = Target_Texture();
  const bool texture_target = target != nullptr;
  Apply_State(texture_target, target && target->keeps_alpha());

  const TViewport& vp = job.viewport;
  GLint x = 0, y = 0;
  GL_Rect(vp, x, y);
  glViewport(x, y, GLsizei(vp.Width), GLsizei(vp.Height));
  glDepthRange(vp.MinZ, vp.MaxZ);
  GL_Rect(job.scissor, x, y);
  glScissor(x, y, GLsizei(job.scissor.Width), GLsizei(job.scissor.Height));

  // Direct3D's pixel centres lie on whole coordinates, GL's half a pixel
  // further: move everything half a pixel right and down. Direct3D's depth
  // runs from 0 to w, GL's from -w to w. A texture target is drawn upside
  // down so that its first row stays its top row.
  //
  // Where an edge or a line runs exactly through pixel centres or between
  // two pixels, one step of the rasteriser's 1/256-pixel grid settles the
  // pixels as Direct3D does:
  //   - GL rasterises the window's framebuffer with the rule of its own
  //     lower-left origin, so a triangle edge exactly on a pixel centre
  //     belongs to the other side than under Direct3D's top-left rule; a
  //     step up makes such centres fall inside the triangle below the edge;
  //   - a line exactly between two rows or columns is drawn on the lower
  //     or right one: a step down and right.
  // No edge that misses a centre by more than the step crosses one.
  constexpr float STEP = 1.0f / 256.0f;
  float shift_x = 0.5f, shift_y = 0.5f;  // pixels, right and down
  if (job.kind == TRaster_Kind::Lines) {
    shift_x += STEP;
    shift_y += STEP;
  } else if (!texture_target) {
    shift_y -= STEP;
  }
  const float half_x = 2.0f * shift_x / float(vp.Width);
  const float half_y = 2.0f * shift_y / float(vp.Height);
  const float flip = texture_target ? -1.0f : 1.0f;
  f_vertices.resize(job.count);
  for (std::size_t i = 0; i < job.count; ++i) {
    const TClip_Vertex& c = job.vertices[i];
    TGL_Vertex& g = f_vertices[i];
    g.x = c.x + c.w * half_x;
    g.y = (c.y - c.w * half_y) * flip;
    g.z = 2.0f * c.z - c.w;
    g.w = c.w;
    g.rgba[0] = Color_Red(c.color);
    g.rgba[1] = Color_Green(c.color);
    g.rgba[2] = Color_Blue(c.color);
    g.rgba[3] = Color_Alpha(c.color);
    g.u = c.u;
    g.v = c.v;
  }
  const GLsizei stride = sizeof(TGL_Vertex);
  glVertexPointer(4, GL_FLOAT, stride, &f_vertices[0].x);
  glColorPointer(4, GL_UNSIGNED_BYTE, stride, f_vertices[0].rgba);
  glTexCoordPointer(2, GL_FLOAT, stride, &f_vertices[0].u);
  GLenum mode = GL_TRIANGLES;
  if (job.kind == TRaster_Kind::Lines) mode = GL_LINES;
  else if (job.kind == TRaster_Kind::Points) mode = GL_POINTS;
  glDrawArrays(mode, 0, GLsizei(job.count));
  return S_OK;
}

HRESULT TRender_Device_OpenGL::Backend_Present() {
  Make_Current();
  SDL_GL_SwapWindow(f_window);
  return S_OK;
}

HRESULT TRender_Device_OpenGL::Backend_Reset(const TDevice_Params& params) {
  Make_Current();
  if (SDL_SetWindowFullscreen(f_window, params.Windowed ? 0 : SDL_WINDOW_FULLSCREEN) != 0) {
    Set_Last_Error("SDL window mode", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  SDL_SetWindowSize(f_window, int(params.Width), int(params.Height));
  SDL_GL_SetSwapInterval(params.Vsync ? 1 : 0);
  return S_OK;
}

HRESULT TRender_Device_OpenGL::Backend_Read(const TTexture_Object* texture, std::vector<TColor>& pixels) {
  Make_Current();
  try {
    if (!texture) {
      const std::size_t w = f_params.Width, h = f_params.Height;
      std::vector<TColor> rows(w * h);
      if (f_fbo_bound) {
        f_gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
        f_fbo_bound = false;
      }
      glReadBuffer(GL_BACK);
      glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
      pixels.resize(w * h);
      for (std::size_t y = 0; y < h; ++y) {
        const TColor* src = rows.data() + (h - 1 - y) * w;
        TColor* dst = pixels.data() + y * w;
        for (std::size_t x = 0; x < w; ++x) dst[x] = src[x] | 0xFF000000u;
      }
    } else {
      pixels.resize(std::size_t(texture->width) * texture->height);
      glBindTexture(GL_TEXTURE_2D, texture->backend);
      if (texture->format == DEVICE_FMT_I8) {
        // Read as the one value it holds, spread over the four channels.
        std::vector<std::uint8_t> values(pixels.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, values.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        for (std::size_t i = 0; i < values.size(); ++i) pixels[i] = TColor(values[i]) * 0x01010101u;
      } else {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
      }
      if (!texture->keeps_alpha())
        for (TColor& c : pixels) c |= 0xFF000000u;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (GLenum error = glGetError(); error != GL_NO_ERROR) return GL_Failure(error);
  return S_OK;
}

// --- render system -------------------------------------------------------------

class TRender_System_OpenGL final : public TRender_System {
public:
  TRender_System_OpenGL() = default;
  ~TRender_System_OpenGL() override { Release_Video(); }

  std::uint32_t Get_Adapter_Count() override {
    const int n = SDL_GetNumVideoDisplays();
    return n > 0 ? std::uint32_t(n) : 0u;
  }

  HRESULT Get_Adapter_Description(std::uint32_t adapter, std::string& description) override {
    if (adapter >= Get_Adapter_Count()) return D3DERR_INVALIDCALL;
    const char* name = SDL_GetDisplayName(int(adapter));
    description = name ? name : "Display " + std::to_string(adapter + 1);
    return S_OK;
  }

  std::uint32_t Get_Adapter_Mode_Count(std::uint32_t adapter, std::uint32_t format) override {
    return std::uint32_t(Modes(adapter, format).size());
  }

  HRESULT Enum_Adapter_Modes(std::uint32_t adapter, std::uint32_t format, std::uint32_t index,
                             TDisplay_Mode& mode) override {
    if (adapter >= Get_Adapter_Count()) return D3DERR_INVALIDCALL;
    const std::vector<TDisplay_Mode> modes = Modes(adapter, format);
    if (index >= modes.size()) return D3DERR_INVALIDCALL;
    mode = modes[index];
    return S_OK;
  }

  HRESULT Check_Device_Format(std::uint32_t adapter, std::uint32_t, std::uint32_t, std::uint32_t resource_type,
                              std::uint32_t format) override {
    if (adapter >= Get_Adapter_Count()) return D3DERR_INVALIDCALL;
    if (resource_type == D3DRTYPE_TEXTURE && (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8)) return S_OK;
    if (resource_type == D3DRTYPE_SURFACE &&
        (format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8))
      return S_OK;
    return D3DERR_NOTAVAILABLE;
  }

  HRESULT Create_Device(const TDevice_Params& params, std::unique_ptr<TRender_Device>& device) override {
    if (params.Width == 0 || params.Height == 0 || params.Width > 16384 || params.Height > 16384)
      return D3DERR_INVALIDCALL;
    if (params.Adapter >= Get_Adapter_Count()) return D3DERR_INVALIDCALL;
    std::unique_ptr<TRender_Device_OpenGL> made;
    try {
      made = std::make_unique<TRender_Device_OpenGL>(params);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (HRESULT r = made->Open(); FAILED(r)) return r;
    device = std::move(made);
    return S_OK;
  }

private:
  // The adapter's modes of 24 or 32 bits per pixel (as X8R8G8B8), smallest
  // first, each size and rate once.
  static std::vector<TDisplay_Mode> Modes(std::uint32_t adapter, std::uint32_t format) {
    std::vector<TDisplay_Mode> modes;
    if (format != D3DFMT_X8R8G8B8) return modes;
    const int n = SDL_GetNumDisplayModes(int(adapter));
    for (int i = 0; i < n; ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(int(adapter), i, &m) != 0 || SDL_BITSPERPIXEL(m.format) < 24) continue;
      modes.push_back(TDisplay_Mode{std::uint32_t(m.w), std::uint32_t(m.h),
                                    std::uint32_t(std::max(m.refresh_rate, 0)), D3DFMT_X8R8G8B8});
    }
    auto key = [](const TDisplay_Mode& m) { return std::make_tuple(m.Width, m.Height, m.RefreshRate); };
    std::sort(modes.begin(), modes.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    modes.erase(std::unique(modes.begin(), modes.end(), [&](const auto& a, const auto& b) { return key(a) == key(b); }),
                modes.end());
    return modes;
  }
};

}  // namespace

std::unique_ptr<TRender_System> Create_OpenGL_Render_System() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    Set_Last_Error("SDL video", SDL_GetError());
    return nullptr;
  }
  if (SDL_GetNumVideoDisplays() < 1) {
    Set_Last_Error("SDL video", "no display");
    Release_Video();
    return nullptr;
  }
  return std::make_unique<TRender_System_OpenGL>();
}

std::string OpenGL_Last_Error() { return g_last_error; }
