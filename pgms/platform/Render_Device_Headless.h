// The headless drawing device: every state and object in memory, every draw
// recorded (see TRender_Device_Base) and rasterised into memory by the rules
// of Render_Device.h, so that tests can look at the pixels.
//
// Rasterisation: triangles are clipped in clip space, snapped to 1/256
// pixel and filled by the top-left rule with perspective-correct colours and
// texture coordinates; lines are stepped along their longer axis, one pixel
// per row or column, without the last pixel; points fill one pixel.
// Sampling: point or linear (anisotropic samples as linear), Direct3D's
// texel centres, the address modes wrap, mirror, clamp, border and mirror
// once. The depth buffer keeps full singles.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Render_Device_Base.h"

class TRender_Device_Headless : public TRender_Device_Base {
public:
  explicit TRender_Device_Headless(const TDevice_Params& params = TDevice_Params());
  ~TRender_Device_Headless() override;

  // One pixel of the back buffer (BACK_BUFFER_SURFACE) or of a texture;
  // 0 outside. X8R8G8B8 surfaces read with alpha 255.
  TColor Pixel(TDevice_Surface surface, std::uint32_t x, std::uint32_t y);
  // The back buffer's depth at a pixel (1 outside).
  float Depth(std::uint32_t x, std::uint32_t y) const;

  std::uint32_t Get_Max_Texture_Size() override { return f_max_texture_size; }
  void Set_Max_Texture_Size(std::uint32_t size) { f_max_texture_size = size; }

protected:
  HRESULT Backend_Create_Texture(TTexture_Object& texture, const TColor* pixels) override;
  HRESULT Backend_Create_Mask(TTexture_Object& texture, const std::uint8_t* values) override;
  void Backend_Release_Texture(TTexture_Object& texture) override;
  HRESULT Backend_Clear(bool target, bool zbuffer, TColor color, float z) override;
  HRESULT Backend_Draw(const TRaster_Job& job) override;
  HRESULT Backend_Present() override { return S_OK; }
  HRESULT Backend_Reset(const TDevice_Params& params) override;
  HRESULT Backend_Read(const TTexture_Object* texture, std::vector<TColor>& pixels) override;

private:
  struct TRaster;
  struct TScratch;
  std::unique_ptr<TScratch> f_scratch;
  std::vector<TColor> f_back;
  std::vector<float> f_depth;
  std::vector<std::vector<TColor>> f_pixels;  // index = backend id - 1
  // The bytes of DEVICE_FMT_I8 textures (their f_pixels entry is empty).
  std::vector<std::vector<std::uint8_t>> f_bytes;  // index = backend id - 1
  std::uint32_t f_max_texture_size = 8192;
};

// The render system of headless devices: by default one adapter,
// "Globarch Headless Adapter", with the X8R8G8B8 modes 640 x 480, 800 x 600,
// 1024 x 768 (60 and 75 Hz), 1280 x 1024 (60 and 75 Hz), 1600 x 1200 and
// 1920 x 1080; the lists can be given (also empty).
class TRender_System_Headless : public TRender_System {
public:
  struct TAdapter {
    std::string description;
    std::vector<TDisplay_Mode> modes;
  };
  TRender_System_Headless();
  explicit TRender_System_Headless(std::vector<TAdapter> adapters);

  std::uint32_t Get_Adapter_Count() override;
  HRESULT Get_Adapter_Description(std::uint32_t adapter, std::string& description) override;
  std::uint32_t Get_Adapter_Mode_Count(std::uint32_t adapter, std::uint32_t format) override;
  HRESULT Enum_Adapter_Modes(std::uint32_t adapter, std::uint32_t format, std::uint32_t index,
                             TDisplay_Mode& mode) override;
  HRESULT Check_Device_Format(std::uint32_t adapter, std::uint32_t adapter_format, std::uint32_t usage,
                              std::uint32_t resource_type, std::uint32_t format) override;
  HRESULT Create_Device(const TDevice_Params& params, std::unique_ptr<TRender_Device>& device) override;

private:
  std::vector<TAdapter> f_adapters;
};
