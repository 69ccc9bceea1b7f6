#include "GraphicsEngine_Texture.h"

#include <algorithm>
#include <bit>

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
std::int32_t Load_World_Picture(const std::string& file, std::shared_ptr<const TImage> picture, std::uint8_t group,
                                std::uint8_t color_key_type) {
  return g_tg_texture_list ? g_tg_texture_list->m_Load_Texture_From_Picture(file, std::move(picture), group,
                                                                           color_key_type)
                           : 0;
}
std::int32_t Load_World_Mask(const std::string& file, std::uint8_t group,
                             std::shared_ptr<const TImage_Mask_Bits> bits) {
  return g_tg_texture_list ? g_tg_texture_list->m_Load_Mask_Texture(file, group, std::move(bits)) : 0;
}
[[maybe_unused]] const bool World_Picture_Loaders_Installed =
    (Set_World_Picture_Loaders(Load_World_Picture, Load_World_Mask), true);
}  // namespace

namespace {

// Running number of texture objects, for the log lines.
std::int32_t f_next_texture_id = 1;

bool Engine_Log_On() { return Debug_Sections[DEBUG_ENGINE_STARTUP]; }

// Generations fit the handle's bits 16..30 so that handles stay positive.
constexpr std::int32_t MAX_GENERATION = 0x7FFF;

// The bits of a picture that is black and white only (black: 0xFF000000,
// white: 0xFFFFFFFF), or none.
std::shared_ptr<const TImage_Mask_Bits> Mask_Of_Picture(const TImage& picture) {
  if (picture.Empty()) return nullptr;
  auto mask = std::make_shared<TImage_Mask_Bits>();
  mask->width = picture.width;
  mask->height = picture.height;
  mask->stride = (std::size_t(picture.width) + 7) / 8;
  mask->bits.assign(mask->stride * std::size_t(picture.height), 0);
  for (std::int32_t y = 0; y < picture.height; ++y) {
    const std::uint32_t* row = picture.Row(y);
    std::uint8_t* line = mask->bits.data() + std::size_t(y) * mask->stride;
    for (std::int32_t x = 0; x < picture.width; ++x) {
      if (row[x] == 0xFFFFFFFFu)
        line[x >> 3] = std::uint8_t(line[x >> 3] | (0x80u >> (x & 7)));
      else if (row[x] != 0xFF000000u)
        return nullptr;
    }
  }
  return mask;
}

}  // namespace

std::int32_t Mask_Texture_Side(std::int32_t side) {
  if (side <= 0) return 0;
  if (side > (1 << 30)) throw ERangeError("Mask too large for a texture");
  return std::int32_t(std::bit_ceil(std::uint32_t(side)));
}

// --- TGTexture ------------------------------------------------------------------

TGTexture::TGTexture(const std::string& file_name, std::uint32_t width, std::uint32_t height, std::uint8_t group,
                     std::uint8_t color_key_type, bool color_key_on, TColor color_key, TTexture_Kind kind,
                     std::shared_ptr<const TImage_Mask_Bits> mask)
    : f_id(f_next_texture_id),
      f_file_name(file_name),
      f_mask(std::move(mask)),
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

TDevice_Texture TGTexture::m_Texture() const {
  if (!f_texture && !f_mask_failed) {
    if (f_mask && Create_Mask_Texture() != S_OK) f_mask_failed = true;
    if (f_picture && Create_Picture_Texture() != S_OK) f_mask_failed = true;
    // Like a picture that could not be loaded: no sizes either.
    if (f_mask_failed) f_texture_width = f_texture_height = f_image_width = f_image_height = 0;
  }
  return f_texture;
}

HRESULT TGTexture::Create_Picture_Texture() const {
  // The picture goes whatever comes of it: the file stands for it later.
  const std::shared_ptr<const TImage> picture = std::move(f_picture);
  f_picture.reset();
  TRender_Device* device = G_Device();
  if (!device) return E_FAIL;
  return Load_From_File(*device, picture.get());
}

HRESULT TGTexture::Create_Mask_Texture() const {
  TRender_Device* device = G_Device();
  if (!device || f_texture_width <= 0 || f_texture_height <= 0) return E_FAIL;
  const TImage_Mask_Bits& m = *f_mask;
  // Each bit becomes a byte, 255 white and 0 black; the padding (see
  // Mask_Texture_Side) stays 0.
  std::vector<std::uint8_t> values;
  try {
    values.assign(std::size_t(f_texture_width) * std::size_t(f_texture_height), 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (std::int32_t y = 0; y < m.height; ++y) {
    const std::uint8_t* line = m.bits.data() + std::size_t(y) * m.stride;
    std::uint8_t* out = values.data() + std::size_t(y) * std::size_t(f_texture_width);
    for (std::int32_t x = 0; x < m.width; x += 8) {
      const std::uint8_t b = line[x >> 3];
      if (b == 0) continue;
      const std::int32_t n = std::min(8, m.width - x);
      for (std::int32_t k = 0; k < n; ++k) out[x + k] = (b & (0x80u >> k)) ? 255 : 0;
    }
  }
  TDevice_Texture texture = 0;
  const HRESULT r = device->Create_Mask_Texture(std::uint32_t(f_texture_width), std::uint32_t(f_texture_height),
                                                values.data(), D3DPOOL_MANAGED, texture);
  if (G_Check_Result(r, "TGTexture.m_Texture - Create_Mask_Texture (" + f_file_name + ")") != 0) return r;
  f_device = device;
  f_texture = texture;
  return S_OK;
}

HRESULT TGTexture::InitDeviceObjects(std::shared_ptr<const TImage> picture) {
  Release_Texture();
  f_picture.reset();
  f_texture_width = f_texture_height = 0;
  f_image_width = f_image_height = 0;
  if (picture && !picture->Empty() && f_kind == TTexture_Kind::File && !f_file_name.empty()) {
    // Sized as the device pads it, made when first bound.
    f_mask_failed = false;
    f_image_width = picture->width;
    f_image_height = picture->height;
    f_texture_width = std::int32_t(std::bit_ceil(std::uint32_t(picture->width)));
    f_texture_height = std::int32_t(std::bit_ceil(std::uint32_t(picture->height)));
    f_picture = std::move(picture);
    return S_OK;
  }
  if (f_mask) {
    // Sized now, made when first bound.
    f_mask_failed = false;
    f_image_width = f_mask->width;
    f_image_height = f_mask->height;
    f_texture_width = Mask_Texture_Side(f_mask->width);
    f_texture_height = Mask_Texture_Side(f_mask->height);
    return S_OK;
  }
  HRESULT result = E_FAIL;
  TRender_Device* device = G_Device();
  if (device)
    result = f_file_name.empty() ? Create_Render_Target(*device) : Load_From_File(*device, nullptr);
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

HRESULT TGTexture::Load_From_File(TRender_Device& device, const TImage* picture) const {
  const TColor key = f_color_key_on ? (f_color_key | 0xFF000000u) : 0;
  if (Engine_Log_On()) Debug_Log_Write("TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx(" + f_file_name + ")");
  // The picture is read once; a file that cannot be read or decoded is
  // invalid data, like a failed load of the device. A picture handed over
  // stands for the file.
  TImage read;
  const TImage& image = picture ? *picture : read;
  HRESULT r = (picture ? !picture->Empty() : Image_Read_File(f_file_name, read)) ? S_OK : D3DXERR_INVALIDDATA;
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

void TGTexture::m_Release_Mask_Texture() {
  if (f_mask && f_texture) Release_Texture();
}

void TGTexture::Release_Texture() {
  if (f_mask) f_mask_failed = false;
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
                                           std::uint8_t group, std::uint8_t color_key_type, TTexture_Kind kind,
                                           std::shared_ptr<const TImage> picture,
                                           std::shared_ptr<const TImage_Mask_Bits> mask) {
  if (!file_name.empty()) {
    // A texture stands for its file, also when the file's picture or bits
    // are handed over: no file, no texture.
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
  if (kind == TTexture_Kind::File || kind == TTexture_Kind::Mask) {
    if (color_key_type == TEXTURE_COLOR_KEY_BLACK) {
      key_on = true;
      key = 0xFF000000u;
    } else if (color_key_type == TEXTURE_COLOR_KEY_WHITE) {
      key_on = true;
      key = G_Make_Color_RGBA(255, 255, 255, 100);
    }
  }
  const bool sized = kind == TTexture_Kind::Render_Target;
  auto texture = std::make_unique<TGTexture>(file_name, sized ? std::uint32_t(width) : 0u,
                                             sized ? std::uint32_t(height) : 0u, group, color_key_type, key_on, key,
                                             kind, std::move(mask));
  texture->InitDeviceObjects(std::move(picture));
  f_slots[index].texture = std::move(texture);
  f_slots[index].holders = 1;
  ++f_generations[index];
  return m_Handle_Of(index);
}

std::int32_t TGTexture_List::m_Load_Texture(const std::string& file_name, std::uint8_t group,
                                            std::uint8_t color_key_type) {
  return m_Add_Texture(file_name, 0, 0, group, color_key_type, TTexture_Kind::File);
}

std::int32_t TGTexture_List::m_Load_Texture_From_Picture(const std::string& file_name,
                                                         std::shared_ptr<const TImage> picture, std::uint8_t group,
                                                         std::uint8_t color_key_type) {
  if (file_name.empty() || !picture || picture->Empty()) return 0;
  return m_Add_Texture(file_name, 0, 0, group, color_key_type, TTexture_Kind::File, std::move(picture));
}

std::int32_t TGTexture_List::m_Load_Mask_Texture(const std::string& file_name, std::uint8_t group,
                                                 std::shared_ptr<const TImage_Mask_Bits> bits) {
  if (file_name.empty()) return 0;
  if (bits && (bits->width < 0 || bits->height < 0 || std::size_t(bits->width) > bits->stride * 8 ||
               bits->bits.size() < bits->stride * std::size_t(bits->height)))
    throw ERangeError("Mask bits do not fill the mask");
  if (!bits) {
    // A file loaded already keeps its texture, whatever its kind.
    for (std::size_t i = f_slots.size(); i-- > 0;) {
      const TSlot& slot = f_slots[i];
      if (slot.texture && slot.texture->m_Has_Texture() && slot.texture->m_File_Name() == file_name)
        return m_Load_Texture(file_name, group, TEXTURE_COLOR_KEY_BLACK);
    }
    auto picture = std::make_shared<TImage>();
    if (!File_Exists(file_name) || !Image_Read_File(file_name, *picture))
      return m_Load_Texture(file_name, group, TEXTURE_COLOR_KEY_BLACK);
    bits = Mask_Of_Picture(*picture);
    if (!bits)
      return m_Add_Texture(file_name, 0, 0, group, TEXTURE_COLOR_KEY_BLACK, TTexture_Kind::File, std::move(picture));
  }
  return m_Add_Texture(file_name, 0, 0, group, TEXTURE_COLOR_KEY_BLACK, TTexture_Kind::Mask, nullptr, std::move(bits));
}

std::int32_t TGTexture_List::m_Create_Flexible_Texture(std::int32_t width, std::int32_t height, std::uint8_t group,
                                                       std::uint8_t color_key_type) {
  return m_Add_Texture("", width, height, group, color_key_type, TTexture_Kind::Render_Target);
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
