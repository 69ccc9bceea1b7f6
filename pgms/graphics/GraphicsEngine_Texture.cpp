#include "GraphicsEngine_Texture.h"

#include "Debug_Log.h"
#include "Errors.h"
#include "Image_Files.h"
#include "Io.h"
#include "World_Links.h"

std::unique_ptr<TGTexture_List> g_tg_texture_list;

namespace {
// The world's map pictures load into the texture list in force (none: no
// texture). Every program that has a texture list links this module, whose
// start-up installs the loader.
static_assert(WORLD_TEXTURE_KEY_NONE == TEXTURE_COLOR_KEY_NONE);
static_assert(WORLD_TEXTURE_KEY_BLACK == TEXTURE_COLOR_KEY_BLACK);
std::int32_t Load_World_Texture(const std::string& file, std::uint8_t group, std::uint8_t color_key_type) {
  return g_tg_texture_list ? g_tg_texture_list->m_Load_Texture(file, group, color_key_type) : 0;
}
[[maybe_unused]] const bool World_Texture_Loader_Installed = (Set_World_Texture_Loader(Load_World_Texture), true);
}  // namespace

namespace {

// Running number of texture objects, for the log lines.
std::int32_t f_next_texture_id = 1;

bool Engine_Log_On() { return Debug_Sections[DEBUG_ENGINE_STARTUP]; }

// Generations fit the handle's bits 16..30 so that handles stay positive.
constexpr std::int32_t MAX_GENERATION = 0x7FFF;

}  // namespace

// --- TGTexture ------------------------------------------------------------------

TGTexture::TGTexture(const std::string& file_name, std::uint32_t width, std::uint32_t height, std::uint8_t group,
                     std::uint8_t color_key_type, bool color_key_on, TColor color_key, std::uint8_t kind)
    : f_id(f_next_texture_id),
      f_file_name(file_name),
      f_color_key_on(color_key_on),
      f_color_key(color_key),
      f_width(width),
      f_height(height),
      f_group(group),
      f_color_key_type(color_key_type),
      f_kind(kind) {
  f_next_texture_id = f_next_texture_id == INT32_MAX ? 1 : f_next_texture_id + 1;
}

TGTexture::~TGTexture() {
  DeleteDeviceObjects();
  InvalidateDeviceObjects();
}

HRESULT TGTexture::InitDeviceObjects() {
  Release_Texture();
  f_texture_width = f_texture_height = 0;
  f_image_width = f_image_height = 0;
  HRESULT result = E_FAIL;
  TRender_Device* device = G_Device();
  if (device)
    result = f_file_name.empty() ? Create_Render_Target(*device) : Load_From_File(*device);
  else
    G_Check_Result(result, f_file_name.empty()
                               ? std::string("TGTexture.InitDeviceObjects - CreateTexture 1")
                               : "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 1 (" + f_file_name + ")");
  if (f_texture) {
    TSurface_Desc desc;
    if (device->Get_Level_Desc(f_texture, 0, desc) == S_OK) {
      f_texture_width = Checked_Cast<std::int32_t>(desc.Width);
      f_texture_height = Checked_Cast<std::int32_t>(desc.Height);
    }
  }
  if (!f_texture || f_texture_width <= 0 || f_texture_height <= 0) {
    // A texture of unknown size cannot be drawn: treat it as none.
    Release_Texture();
    f_texture_width = f_texture_height = 0;
    f_image_width = f_image_height = 0;
  }
  return result;
}

HRESULT TGTexture::Create_Render_Target(TRender_Device& device) {
  TSurface_Desc back;
  G_Get_BackBuffer_Desc(back);
  if (Engine_Log_On())
    Debug_Log_Write("TGTexture.InitDeviceObjects - CreateTexture(RenderTarget) " + std::to_string(f_width) + "x" +
                    std::to_string(f_height));
  TDevice_Texture texture = 0;
  HRESULT r = device.CreateTexture(f_width, f_height, 1, D3DUSAGE_RENDERTARGET, back.Format, D3DPOOL_DEFAULT, texture);
  if (G_Check_Result(r, "TGTexture.InitDeviceObjects - CreateTexture 1") == 0) {
    if (Engine_Log_On()) Debug_Log_Write("TGTexture.InitDeviceObjects - CreateTexture 1 Success");
  } else if (r == D3DERR_OUTOFVIDEOMEMORY) {
    r = device.CreateTexture(f_width, f_height, 1, D3DUSAGE_RENDERTARGET, back.Format, D3DPOOL_SYSTEMMEM, texture);
    if (G_Check_Result(r, "TGTexture.InitDeviceObjects - CreateTexture 1b") == 0 && Engine_Log_On())
      Debug_Log_Write("TGTexture.InitDeviceObjects - CreateTexture 1b Success");
  }
  if (r == S_OK) {
    f_device = &device;
    f_texture = texture;
  }
  return r;
}

HRESULT TGTexture::Load_From_File(TRender_Device& device) {
  const TColor key = f_color_key_on ? (f_color_key | 0xFF000000u) : 0;
  if (Engine_Log_On()) Debug_Log_Write("TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx(" + f_file_name + ")");
  // The picture is read once; a file that cannot be read or decoded is
  // invalid data, like a failed load of the device.
  TImage image;
  HRESULT r = Image_Read_File(f_file_name, image) ? S_OK : D3DXERR_INVALIDDATA;
  TDevice_Texture texture = 0;
  if (r == S_OK)
    r = device.Create_Texture_From_Pixels(std::uint32_t(image.width), std::uint32_t(image.height),
                                          image.pixels.data(), key, 0, D3DPOOL_MANAGED, texture);
  if (G_Check_Result(r, "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 1 (" + f_file_name + ")") == 0) {
    if (Engine_Log_On()) Debug_Log_Write("TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 1 Success");
  } else if (r == D3DERR_OUTOFVIDEOMEMORY) {
    r = device.Create_Texture_From_Pixels(std::uint32_t(image.width), std::uint32_t(image.height),
                                          image.pixels.data(), key, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, texture);
    if (G_Check_Result(r, "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 2 (" + f_file_name + ")") == 0 &&
        Engine_Log_On())
      Debug_Log_Write("TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 2 Success");
  }
  if (r == S_OK) {
    f_device = &device;
    f_texture = texture;
    f_image_width = image.width;
    f_image_height = image.height;
  }
  return r;
}

HRESULT TGTexture::DeleteDeviceObjects() {
  if (Engine_Log_On())
    Debug_Log_Write("TGTexture.DeleteDeviceObjects - DeleteTexture(" + std::to_string(f_id) + ") - " + f_file_name);
  Release_Texture();
  return S_OK;
}

void TGTexture::Release_Texture() {
  // The texture is released on the device that made it while that device is
  // still the framework's; a device that went away took its textures along.
  if (f_texture && f_device && f_device == Render_Device_Current()) f_device->Release_Texture(f_texture);
  f_texture = 0;
  f_device = nullptr;
}

// --- TGTexture_List --------------------------------------------------------------

TGTexture_List::~TGTexture_List() { m_Clear(); }

std::int32_t TGTexture_List::m_Handle_Of(std::size_t index) const {
  return std::int32_t(index + 1) | ((f_generations[index] - 1) << 16);
}

std::int32_t TGTexture_List::m_Find(std::int32_t handle) const {
  if (handle <= 0) return -1;
  const std::int32_t slot = m_Handle_Slot(handle);
  if (slot < 1 || slot > m_Count()) return -1;
  const std::size_t index = std::size_t(slot - 1);
  if (!f_slots[index].texture || m_Handle_Of(index) != handle) return -1;
  return std::int32_t(index);
}

std::int32_t TGTexture_List::m_Add_Texture(const std::string& file_name, std::int32_t width, std::int32_t height,
                                           std::uint8_t group, std::uint8_t color_key_type, std::uint8_t kind) {
  if (!file_name.empty()) {
    if (!File_Exists(file_name)) return 0;
    // The highest slot holding this file with a texture wins.
    for (std::size_t i = f_slots.size(); i-- > 0;) {
      const TSlot& slot = f_slots[i];
      if (slot.texture && slot.texture->m_Has_Texture() && slot.texture->m_File_Name() == file_name) {
        f_slots[i].holders = Checked_Add(f_slots[i].holders, 1);
        return m_Handle_Of(i);
      }
    }
  } else if (width < 1 || height < 1) {
    return 0;
  }

  // The highest empty slot that can still be filled, else a new last slot.
  std::size_t index = f_slots.size();
  for (std::size_t i = f_slots.size(); i-- > 0;) {
    if (!f_slots[i].texture && f_generations[i] <= MAX_GENERATION) {
      index = i;
      break;
    }
  }
  if (index == f_slots.size()) {
    if (m_Count() >= MAX_SLOTS) {
      G_Check_Result(E_OUTOFMEMORY, "TGTexture_List.m_Add_Texture - no free slot");
      return 0;
    }
    f_slots.emplace_back();
    if (f_generations.size() < f_slots.size()) f_generations.push_back(0);
    // A slot of a cleared list whose generations are used up is skipped.
    while (f_generations[index] > MAX_GENERATION) {
      if (m_Count() >= MAX_SLOTS) {
        f_slots.pop_back();
        G_Check_Result(E_OUTOFMEMORY, "TGTexture_List.m_Add_Texture - no free slot");
        return 0;
      }
      f_slots.emplace_back();
      if (f_generations.size() < f_slots.size()) f_generations.push_back(0);
      ++index;
    }
  }

  bool key_on = false;
  TColor key = 0;
  if (kind == TEXTURE_KIND_FILE) {
    if (color_key_type == TEXTURE_COLOR_KEY_BLACK) {
      key_on = true;
      key = 0xFF000000u;
    } else if (color_key_type == TEXTURE_COLOR_KEY_WHITE) {
      key_on = true;
      key = G_Make_Color_RGBA(255, 255, 255, 100);
    }
  }
  auto texture = std::make_unique<TGTexture>(file_name, kind == TEXTURE_KIND_FILE ? 0u : std::uint32_t(width),
                                             kind == TEXTURE_KIND_FILE ? 0u : std::uint32_t(height), group,
                                             color_key_type, key_on, key, kind);
  texture->InitDeviceObjects();
  f_slots[index].texture = std::move(texture);
  f_slots[index].holders = 1;
  ++f_generations[index];
  return m_Handle_Of(index);
}

std::int32_t TGTexture_List::m_Load_Texture(const std::string& file_name, std::uint8_t group,
                                            std::uint8_t color_key_type) {
  return m_Add_Texture(file_name, 0, 0, group, color_key_type, TEXTURE_KIND_FILE);
}

std::int32_t TGTexture_List::m_Create_Flexible_Texture(std::int32_t width, std::int32_t height, std::uint8_t group,
                                                       std::uint8_t color_key_type) {
  return m_Add_Texture("", width, height, group, color_key_type, TEXTURE_KIND_RENDER_TARGET);
}

void TGTexture_List::m_Free_Slot(std::size_t index) {
  f_slots[index].texture.reset();
  f_slots[index].holders = 0;
}

void TGTexture_List::m_Unload_Texture(std::int32_t handle) {
  const std::int32_t index = m_Find(handle);
  if (index < 0) return;
  TSlot& slot = f_slots[std::size_t(index)];
  if (--slot.holders <= 0) m_Free_Slot(std::size_t(index));
}

void TGTexture_List::m_Unload_Group(std::uint8_t group) {
  for (std::size_t i = 0; i < f_slots.size(); ++i)
    if (f_slots[i].texture && f_slots[i].texture->m_Group() == group) m_Free_Slot(i);
}

void TGTexture_List::m_Clear() {
  for (std::size_t i = 0; i < f_slots.size(); ++i) m_Free_Slot(i);
  f_slots.clear();
}

TGTexture* TGTexture_List::m_Get_Texture(std::int32_t handle) const {
  const std::int32_t index = m_Find(handle);
  return index < 0 ? nullptr : f_slots[std::size_t(index)].texture.get();
}

std::int32_t TGTexture_List::m_Get_Image_Width(std::int32_t handle) const {
  const TGTexture* t = m_Get_Texture(handle);
  return t ? t->m_Image_Width() : 0;
}

std::int32_t TGTexture_List::m_Get_Image_Height(std::int32_t handle) const {
  const TGTexture* t = m_Get_Texture(handle);
  return t ? t->m_Image_Height() : 0;
}

std::int32_t TGTexture_List::m_Holders(std::int32_t handle) const {
  const std::int32_t index = m_Find(handle);
  return index < 0 ? 0 : f_slots[std::size_t(index)].holders;
}

std::int32_t TGTexture_List::m_Draw_All(const TRect& dest, std::int32_t handle, bool smooth) {
  if (const TGTexture* t = m_Get_Texture(handle)) G_Draw_2D_Surface_All(t, dest, smooth);
  return 0;
}

std::int32_t TGTexture_List::m_Draw_All_Blend(const TRect& dest, std::int32_t handle, bool smooth,
                                              std::uint32_t src_blend, std::uint32_t dest_blend, TColor color) {
  if (const TGTexture* t = m_Get_Texture(handle)) G_Draw_2D_Surface_All_Blend(t, dest, smooth, src_blend, dest_blend, color);
  return 0;
}

std::int32_t TGTexture_List::m_Draw_Part(const TRect& dest, std::int32_t handle, const TRect& source, bool smooth) {
  if (const TGTexture* t = m_Get_Texture(handle)) G_Draw_2D_Surface_Part(t, dest, source, smooth);
  return 0;
}

std::int32_t TGTexture_List::m_Draw_Part_Masked(const TRect& dest, std::int32_t handle, const TRect& source,
                                                bool smooth) {
  if (const TGTexture* t = m_Get_Texture(handle)) G_Draw_2D_Surface_Part_Masked(t, dest, source, smooth);
  return 0;
}
