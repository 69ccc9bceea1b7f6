// Textures and the one process-wide texture list.
//
// Every picture the engine draws is a TGTexture held by g_tg_texture_list and
// addressed everywhere by an integer handle (0 = none). A texture is loaded
// from a picture file (BMP, JPEG or PNG) or made empty as a render target of
// a given size; it carries a group number (1 effects, 2 interface, 3 to 5
// world-map pictures) by which a family is unloaded at once.
//
// Handles and holders:
//   - A handle names a slot of the list (slots 1..count, reused once empty)
//     together with the slot's generation: the low 16 bits are the slot, the
//     bits above count how often the slot was filled before. The first
//     texture of a slot therefore has the slot number as its handle. A handle
//     of a texture that is gone, even when its slot holds another texture by
//     now, names nothing: a stale handle never shows another picture.
//   - Loading a file that is loaded already returns the same handle and adds
//     a holder; unloading by handle drops one holder and frees the texture
//     with the last one; unloading a group or clearing the list frees its
//     textures whatever their holders.
//   - A texture whose picture could not be loaded (or made) keeps its slot
//     and handle but has no pixels: it draws nothing and its sizes are 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GraphicsEngine.h"
#include "Image_Files.h"

// Texture kinds.
enum class TTexture_Kind : std::uint8_t {
  File = 0,           // a picture (read from its file, or handed over in memory)
  Render_Target = 2,  // drawn into; sized, with no picture
  // A picture of white on black (the black keyed away), kept as rows of bits
  // and made a one-byte device texture the first time it is bound: see
  // TGTexture_List::m_Load_Mask_Texture.
  Mask = 3,
};


// The side of a mask's device texture: the mask's side rounded up to a
// power of two, the rest transparent, as every picture's texture is. A
// texture of the mask's own side (and one transparent texel more) would
// show the same picture, but the texture coordinates of its edge
// (side / (side + 1)) are not exact in floating point, and where a pixel
// falls on a texel's edge it can take the texel beside: a power of two
// keeps every pixel as it was, at a quarter of the memory.
std::int32_t Mask_Texture_Side(std::int32_t side);
// Colour-key types (any other value: no key).
constexpr std::uint8_t TEXTURE_COLOR_KEY_NONE = 0;
constexpr std::uint8_t TEXTURE_COLOR_KEY_BLACK = 1;
constexpr std::uint8_t TEXTURE_COLOR_KEY_WHITE = 2;

class TGTexture {
public:
  // Made by the list only. A file texture gets the file name and
  // the colour key; a render target the size and no key.
  TGTexture(const std::string& file_name, std::uint32_t width, std::uint32_t height, std::uint8_t group,
            std::uint8_t color_key_type, bool color_key_on, TColor color_key, TTexture_Kind kind,
            std::shared_ptr<const TImage_Mask_Bits> mask = nullptr);
  ~TGTexture();
  TGTexture(const TGTexture&) = delete;
  TGTexture& operator=(const TGTexture&) = delete;

  // Loads the picture or creates the render target on the drawing layer's
  // device; returns the result of the last call. A picture given is taken
  // in place of reading the file (this once). A mask, and a picture given,
  // make no device texture here: that waits for the first m_Texture.
  HRESULT InitDeviceObjects(std::shared_ptr<const TImage> picture = nullptr);
  HRESULT InvalidateDeviceObjects() { return S_OK; }
  // Releases the device texture.
  HRESULT DeleteDeviceObjects();

  std::int32_t m_Id() const { return f_id; }
  const std::string& m_File_Name() const { return f_file_name; }
  // The device texture, 0 when there is none. A mask's, or a given
  // picture's, is made here the first time (0 when the device cannot make
  // it; then m_Has_Texture answers false from there on).
  TDevice_Texture m_Texture() const;
  // A device texture is there, or a mask or picture that makes one when asked.
  bool m_Has_Texture() const {
    return f_texture != 0 || ((f_mask || f_picture) && !f_mask_failed && f_texture_width > 0);
  }
  // The mask's bits (none for other kinds).
  const std::shared_ptr<const TImage_Mask_Bits>& m_Mask() const { return f_mask; }
  // A mask's device texture was made (for tests and figures).
  bool m_Mask_Uploaded() const { return f_mask && f_texture != 0; }
  // Lets a mask's device texture go; it is made again from the bits when
  // next bound. Nothing for other kinds.
  void m_Release_Mask_Texture();
  bool m_Color_Key_On() const { return f_color_key_on; }
  TColor m_Color_Key() const { return f_color_key; }
  std::uint32_t m_Width() const { return f_width; }
  std::uint32_t m_Height() const { return f_height; }
  std::uint8_t m_Group() const { return f_group; }
  std::uint8_t m_Color_Key_Type() const { return f_color_key_type; }
  TTexture_Kind m_Kind() const { return f_kind; }
  // Level 0 of the device texture (a picture is rounded up to a power of two).
  std::int32_t m_Texture_Width() const { return f_texture_width; }
  std::int32_t m_Texture_Height() const { return f_texture_height; }
  // The picture in the file; 0 for a render target.
  std::int32_t m_Image_Width() const { return f_image_width; }
  std::int32_t m_Image_Height() const { return f_image_height; }

private:
  HRESULT Create_Render_Target(TRender_Device& device);
  HRESULT Load_From_File(TRender_Device& device, const TImage* picture) const;
  HRESULT Create_Mask_Texture() const;
  HRESULT Create_Picture_Texture() const;
  void Release_Texture();

  std::int32_t f_id;
  std::string f_file_name;
  // The device that made f_texture, and the texture; a mask's are made on
  // first use, from a const texture.
  mutable TRender_Device* f_device = nullptr;
  mutable TDevice_Texture f_texture = 0;
  std::shared_ptr<const TImage_Mask_Bits> f_mask;
  // A picture handed over for the file, until its texture is made.
  mutable std::shared_ptr<const TImage> f_picture;
  mutable bool f_mask_failed = false;  // the late texture could not be made
  bool f_color_key_on;
  TColor f_color_key;
  std::uint32_t f_width, f_height;
  std::uint8_t f_group;
  std::uint8_t f_color_key_type;
  TTexture_Kind f_kind;
  mutable std::int32_t f_texture_width = 0, f_texture_height = 0;
  mutable std::int32_t f_image_width = 0, f_image_height = 0;
};

class TGTexture_List {
public:
  // Slots hold at most this many textures at once.
  static constexpr std::int32_t MAX_SLOTS = 0xFFFF;

  TGTexture_List() = default;
  ~TGTexture_List();
  TGTexture_List(const TGTexture_List&) = delete;
  TGTexture_List& operator=(const TGTexture_List&) = delete;

  // The handle of the picture file, or 0 when the file does not exist. A
  // file loaded already (same name, exactly, with a texture) gives its
  // handle and one more holder, whatever group and key are asked for.
  std::int32_t m_Load_Texture(const std::string& file_name, std::uint8_t group, std::uint8_t color_key_type);
  // The same, but the picture's pixels are given (as the file holds them
  // does): the file is not read, and the device texture is made when the
  // texture is first bound (the picture is let go then). After a device reset the texture is loaded from the file like
  // any other.
  std::int32_t m_Load_Texture_From_Picture(const std::string& file_name, std::shared_ptr<const TImage> picture,
                                           std::uint8_t group, std::uint8_t color_key_type);
  // A white-on-black picture (black keyed away) as a mask texture: the
  // bits given (the file's, which must exist), or else the file read now. Its device texture takes a byte
  // a texel (see Mask_Texture_Side) and is made when it is first bound. A
  // file whose picture has other colours than black and white loads as an
  // ordinary texture with black keyed away; one that cannot be read as
  // m_Load_Texture leaves it. Same handles and holders as m_Load_Texture.
  std::int32_t m_Load_Mask_Texture(const std::string& file_name, std::uint8_t group,
                                   std::shared_ptr<const TImage_Mask_Bits> bits = nullptr);
  // A new render target of that size; 0 when a side is below 1.
  std::int32_t m_Create_Flexible_Texture(std::int32_t width, std::int32_t height, std::uint8_t group,
                                         std::uint8_t color_key_type);
  // Drops one holder; the last one frees the texture and empties the slot.
  void m_Unload_Texture(std::int32_t handle);
  // Frees every texture of the group, in slot order.
  void m_Unload_Group(std::uint8_t group);
  // Frees every texture and empties the list (count 0).
  void m_Clear();

  TGTexture* m_Get_Texture(std::int32_t handle) const;
  std::int32_t m_Get_Image_Width(std::int32_t handle) const;
  std::int32_t m_Get_Image_Height(std::int32_t handle) const;

  // 2D drawing by handle; nothing for a bad or empty handle. Always 0.
  std::int32_t m_Draw_All(const TRect& dest, std::int32_t handle, bool smooth);
  std::int32_t m_Draw_All_Blend(const TRect& dest, std::int32_t handle, bool smooth, std::uint32_t src_blend,
                                std::uint32_t dest_blend, TColor color);
  std::int32_t m_Draw_Part(const TRect& dest, std::int32_t handle, const TRect& source, bool smooth);
  std::int32_t m_Draw_Part_Masked(const TRect& dest, std::int32_t handle, const TRect& source, bool smooth);

  // The number of slots.
  std::int32_t m_Count() const { return std::int32_t(f_slots.size()); }
  // The holders of a handle's texture (0 for a bad or empty handle).
  std::int32_t m_Holders(std::int32_t handle) const;
  // The slot a handle names (its low 16 bits).
  static std::int32_t m_Handle_Slot(std::int32_t handle) { return handle & 0xFFFF; }

private:
  struct TSlot {
    std::unique_ptr<TGTexture> texture;
    std::int32_t holders = 0;
  };

  std::int32_t m_Add_Texture(const std::string& file_name, std::int32_t width, std::int32_t height,
                             std::uint8_t group, std::uint8_t color_key_type, TTexture_Kind kind,
                             std::shared_ptr<const TImage> picture = nullptr,
                             std::shared_ptr<const TImage_Mask_Bits> mask = nullptr);
  // The slot index (0-based) of a live handle, or -1.
  std::int32_t m_Find(std::int32_t handle) const;
  std::int32_t m_Handle_Of(std::size_t index) const;
  void m_Free_Slot(std::size_t index);

  std::vector<TSlot> f_slots;
  // How often each slot was filled; kept when the list is cleared, so that
  // handles given out before a clear stay dead.
  std::vector<std::int32_t> f_generations;
};

// The global texture list: made by G_Init_GraphicsEngine, freed by
// G_Shutdown_GraphicsEngine.
extern std::unique_ptr<TGTexture_List> g_tg_texture_list;
