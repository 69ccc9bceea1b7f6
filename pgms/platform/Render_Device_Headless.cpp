#include "Render_Device_Headless.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A vertex during clipping and after projection: attributes as floats.
struct TRV {
  float x, y, z, w;
  float r, g, b, a, u, v;
};

TRV From_Clip(const TClip_Vertex& c) {
  const TRGBA col = Color_To_RGBA(c.color);
  return {c.x, c.y, c.z, c.w, col.r, col.g, col.b, col.a, c.u, c.v};
}

TRV Lerp(const TRV& p, const TRV& q, float t) {
  auto l = [t](float a, float b) { return a + (b - a) * t; };
  return {l(p.x, q.x), l(p.y, q.y), l(p.z, q.z), l(p.w, q.w), l(p.r, q.r),
          l(p.g, q.g), l(p.b, q.b), l(p.a, q.a), l(p.u, q.u), l(p.v, q.v)};
}

// Signed distances to the clip planes; inside is >= 0.
constexpr int PLANE_COUNT = 7;
float Plane_Distance(int plane, const TRV& v) {
  switch (plane) {
    case 0: return v.w - 1e-6f;  // in front of the eye
    case 1: return v.z;          // near
    case 2: return v.w - v.z;    // far
    case 3: return v.w + v.x;
    case 4: return v.w - v.x;
    case 5: return v.w + v.y;
    default: return v.w - v.y;
  }
}

// Clips a convex polygon against every plane (Sutherland-Hodgman).
void Clip_Polygon(std::vector<TRV>& poly, std::vector<TRV>& scratch) {
  for (int plane = 0; plane < PLANE_COUNT && !poly.empty(); ++plane) {
    scratch.clear();
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
      const TRV& p = poly[i];
      const TRV& q = poly[(i + 1) % n];
      const float dp = Plane_Distance(plane, p), dq = Plane_Distance(plane, q);
      if (dp >= 0) scratch.push_back(p);
      if ((dp >= 0) != (dq >= 0)) scratch.push_back(Lerp(p, q, dp / (dp - dq)));
    }
    poly.swap(scratch);
  }
}

bool Clip_Line(TRV& p, TRV& q) {
  float t0 = 0, t1 = 1;
  for (int plane = 0; plane < PLANE_COUNT; ++plane) {
    const float dp = Plane_Distance(plane, p), dq = Plane_Distance(plane, q);
    if (dp < 0 && dq < 0) return false;
    if (dp < 0) t0 = std::max(t0, dp / (dp - dq));
    else if (dq < 0) t1 = std::min(t1, dp / (dp - dq));
  }
  if (t0 > t1) return false;
  const TRV a = Lerp(p, q, t0), b = Lerp(p, q, t1);
  p = a;
  q = b;
  return true;
}

// After projection: window position (pixel i covers [i, i+1)), depth, and
// the attributes divided by w together with 1/w.
struct TWin {
  float x, y, z, iw;
  float r, g, b, a, u, v;  // divided by w
};

TWin Project(const TRV& c, const TViewport& vp) {
  const float iw = 1.0f / c.w;
  TWin o;
  // Direct3D puts pixel centres on whole coordinates; half a pixel more puts
  // them at i + 0.5 here.
  o.x = float(vp.X) + (c.x * iw + 1.0f) * float(vp.Width) * 0.5f + 0.5f;
  o.y = float(vp.Y) + (1.0f - c.y * iw) * float(vp.Height) * 0.5f + 0.5f;
  o.z = vp.MinZ + c.z * iw * (vp.MaxZ - vp.MinZ);
  o.iw = iw;
  o.r = c.r * iw;
  o.g = c.g * iw;
  o.b = c.b * iw;
  o.a = c.a * iw;
  o.u = c.u * iw;
  o.v = c.v * iw;
  return o;
}

std::int32_t Wrap_Index(std::uint32_t mode, std::int64_t i, std::int32_t n, bool& border) {
  border = false;
  switch (mode) {
    case D3DTADDRESS_CLAMP: return std::int32_t(std::clamp<std::int64_t>(i, 0, n - 1));
    case D3DTADDRESS_BORDER:
      if (i < 0 || i >= n) border = true;
      return std::int32_t(std::clamp<std::int64_t>(i, 0, n - 1));
    case D3DTADDRESS_MIRROR: {
      std::int64_t m = i % (2 * std::int64_t(n));
      if (m < 0) m += 2 * std::int64_t(n);
      return std::int32_t(m < n ? m : 2 * std::int64_t(n) - 1 - m);
    }
    case D3DTADDRESS_MIRRORONCE: {
      std::int64_t m = i < 0 ? -i - 1 : i;
      return std::int32_t(std::min<std::int64_t>(m, n - 1));
    }
    default: {
      std::int64_t m = i % n;
      if (m < 0) m += n;
      return std::int32_t(m);
    }
  }
}

}  // namespace

struct TRender_Device_Headless::TScratch {
  std::vector<TRV> poly, scratch;
};

// The per-draw view of the state that the pixel work needs.
struct TRender_Device_Headless::TRaster {
  TRender_Device_Headless& dev;
  const TDevice_State& s;
  TColor* target = nullptr;
  std::uint32_t tw = 0, th = 0;
  bool target_alpha = false;
  float* depth = nullptr;
  const TColor* tex = nullptr;
  const std::uint8_t* tex8 = nullptr;  // a DEVICE_FMT_I8 texture's bytes
  std::int32_t tex_w = 0, tex_h = 0;
  bool tex_alpha = true;
  std::int32_t x_min = 0, y_min = 0, x_max = 0, y_max = 0;  // inclusive pixel bounds
  bool depth_test = false, depth_write = false;
  std::uint32_t filter = D3DTEXF_POINT;

  TRaster(TRender_Device_Headless& d, const TViewport& vp) : dev(d), s(d.f_state) {
    // vp is the scissor rectangle: the current viewport.
    TTexture_Object* t = d.Target_Texture();
    if (t) {
      target = d.f_pixels[t->backend - 1].data();
      tw = t->width;
      th = t->height;
      target_alpha = t->keeps_alpha();
    } else {
      target = d.f_back.data();
      tw = d.f_params.Width;
      th = d.f_params.Height;
      depth = d.f_depth.data();
    }
    x_min = std::int32_t(vp.X);
    y_min = std::int32_t(vp.Y);
    x_max = std::int32_t(std::min<std::uint64_t>(std::uint64_t(vp.X) + vp.Width, tw)) - 1;
    y_max = std::int32_t(std::min<std::uint64_t>(std::uint64_t(vp.Y) + vp.Height, th)) - 1;
    depth_test = depth && s.render[D3DRS_ZENABLE] != 0;
    depth_write = depth_test && s.render[D3DRS_ZWRITEENABLE] != 0;
    if (TTexture_Object* bound = d.Find_Texture(s.textures[0])) {
      tex = d.f_pixels[bound->backend - 1].data();
      if (bound->format == DEVICE_FMT_I8) tex8 = d.f_bytes[bound->backend - 1].data();
      tex_w = std::int32_t(bound->width);
      tex_h = std::int32_t(bound->height);
      tex_alpha = bound->keeps_alpha();
    }
  }

  TColor Texel(std::int64_t x, std::int64_t y) const {
    bool bx, by;
    const std::int32_t ix = Wrap_Index(s.sampler[0][D3DSAMP_ADDRESSU], x, tex_w, bx);
    const std::int32_t iy = Wrap_Index(s.sampler[0][D3DSAMP_ADDRESSV], y, tex_h, by);
    if (bx || by) return s.sampler[0][D3DSAMP_BORDERCOLOR];
    if (tex8) return TColor(tex8[std::size_t(iy) * std::size_t(tex_w) + std::size_t(ix)]) * 0x01010101u;
    const TColor c = tex[std::size_t(iy) * std::size_t(tex_w) + std::size_t(ix)];
    return tex_alpha ? c : (c | 0xFF000000u);
  }

  TRGBA Sample(float u, float v) const {
    if (!tex && !tex8) return {1, 1, 1, 1};
    const float fx = u * float(tex_w), fy = v * float(tex_h);
    if (filter == D3DTEXF_POINT || filter == D3DTEXF_NONE) {
      return Color_To_RGBA(Texel(std::int64_t(std::floor(fx)), std::int64_t(std::floor(fy))));
    }
    const float sx = fx - 0.5f, sy = fy - 0.5f;
    const float x0 = std::floor(sx), y0 = std::floor(sy);
    const float ax = sx - x0, ay = sy - y0;
    const std::int64_t ix = std::int64_t(x0), iy = std::int64_t(y0);
    const TRGBA c00 = Color_To_RGBA(Texel(ix, iy)), c10 = Color_To_RGBA(Texel(ix + 1, iy));
    const TRGBA c01 = Color_To_RGBA(Texel(ix, iy + 1)), c11 = Color_To_RGBA(Texel(ix + 1, iy + 1));
    auto mix = [&](float a, float b, float c, float d) {
      return (a * (1 - ax) + b * ax) * (1 - ay) + (c * (1 - ax) + d * ax) * ay;
    };
    return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
            mix(c00.a, c10.a, c01.a, c11.a)};
  }

  // The texture's minification or magnification filter for a primitive,
  // by its texels per pixel.
  void Choose_Filter(float texels_per_pixel) {
    filter = texels_per_pixel > 1.0f ? s.sampler[0][D3DSAMP_MINFILTER] : s.sampler[0][D3DSAMP_MAGFILTER];
  }

  void Shade(std::int32_t x, std::int32_t y, float z, const TRGBA& diffuse, float u, float v) {
    if (x < x_min || x > x_max || y < y_min || y > y_max) return;
    const std::size_t at = std::size_t(y) * tw + std::size_t(x);
    const TRGBA src = Device_Stage0(s, diffuse, Sample(u, v));
    if (s.render[D3DRS_ALPHATESTENABLE] != 0) {
      const float a8 = std::floor(src.a * 255.0f + 0.5f);
      if (!Device_Compare(s.render[D3DRS_ALPHAFUNC], a8, float(s.render[D3DRS_ALPHAREF] & 0xFF))) return;
    }
    if (depth_test) {
      if (!Device_Compare(s.render[D3DRS_ZFUNC], z, depth[at])) return;
      if (depth_write) depth[at] = z;
    }
    TRGBA out = src;
    if (s.render[D3DRS_ALPHABLENDENABLE] != 0) {
      TRGBA dst = Color_To_RGBA(target[at]);
      if (!target_alpha) dst.a = 1;
      const TColor bf = s.render[D3DRS_BLENDFACTOR];
      const TRGBA fs = Device_Blend_Factor(s.render[D3DRS_SRCBLEND], src, dst, bf);
      const TRGBA fd = Device_Blend_Factor(s.render[D3DRS_DESTBLEND], src, dst, bf);
      auto op = [&](float a, float fa, float b, float fb) {
        switch (s.render[D3DRS_BLENDOP]) {
          case D3DBLENDOP_SUBTRACT: return a * fa - b * fb;
          case D3DBLENDOP_REVSUBTRACT: return b * fb - a * fa;
          case D3DBLENDOP_MIN: return std::min(a, b);
          case D3DBLENDOP_MAX: return std::max(a, b);
          default: return a * fa + b * fb;
        }
      };
      out = {op(src.r, fs.r, dst.r, fd.r), op(src.g, fs.g, dst.g, fd.g), op(src.b, fs.b, dst.b, fd.b),
             op(src.a, fs.a, dst.a, fd.a)};
    }
    TColor c = RGBA_To_Color(out);
    const std::uint32_t mask = s.render[D3DRS_COLORWRITEENABLE];
    if ((mask & 0xF) != 0xF) {
      TColor keep = 0;
      if (!(mask & 1)) keep |= 0x00FF0000u;
      if (!(mask & 2)) keep |= 0x0000FF00u;
      if (!(mask & 4)) keep |= 0x000000FFu;
      if (!(mask & 8)) keep |= 0xFF000000u;
      c = (c & ~keep) | (target[at] & keep);
    }
    if (!target_alpha) c |= 0xFF000000u;
    target[at] = c;
  }

  void Triangle(const TRV& c0, const TRV& c1, const TRV& c2, const TViewport& vp) {
    bool inside = true;
    for (int plane = 0; plane < PLANE_COUNT && inside; ++plane)
      inside = Plane_Distance(plane, c0) >= 0 && Plane_Distance(plane, c1) >= 0 && Plane_Distance(plane, c2) >= 0;
    if (inside) {
      Fill(Project(c0, vp), Project(c1, vp), Project(c2, vp));
      return;
    }
    std::vector<TRV>& poly = dev.f_scratch->poly;
    poly.assign({c0, c1, c2});
    Clip_Polygon(poly, dev.f_scratch->scratch);
    if (poly.size() < 3) return;
    const TWin first = Project(poly[0], vp);
    for (std::size_t i = 1; i + 1 < poly.size(); ++i) Fill(first, Project(poly[i], vp), Project(poly[i + 1], vp));
  }

  void Fill(TWin a, TWin b, TWin c) {
    auto fx = [](float v) { return std::int64_t(std::llround(double(v) * 256.0)); };
    std::int64_t ax = fx(a.x), ay = fx(a.y), bx = fx(b.x), by = fx(b.y), cx = fx(c.x), cy = fx(c.y);
    auto edge = [](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t px,
                   std::int64_t py) { return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0); };
    std::int64_t area = edge(ax, ay, bx, by, cx, cy);
    if (area == 0) return;
    if (area < 0) {
      std::swap(b, c);
      std::swap(bx, cx);
      std::swap(by, cy);
      area = -area;
    }
    // Texels per pixel, for the choice between the two filters.
    if (tex || tex8) {
      const double inv = 1.0 / (double(area) / 65536.0);
      const double ua = a.u / a.iw, ub = b.u / b.iw, uc = c.u / c.iw;
      const double va = a.v / a.iw, vb = b.v / b.iw, vc = c.v / c.iw;
      const double dudx = ((ub - ua) * (c.y - a.y) - (uc - ua) * (b.y - a.y)) * inv;
      const double dudy = ((uc - ua) * (b.x - a.x) - (ub - ua) * (c.x - a.x)) * inv;
      const double dvdx = ((vb - va) * (c.y - a.y) - (vc - va) * (b.y - a.y)) * inv;
      const double dvdy = ((vc - va) * (b.x - a.x) - (vb - va) * (c.x - a.x)) * inv;
      const double rho = std::max(std::hypot(dudx * tex_w, dvdx * tex_h), std::hypot(dudy * tex_w, dvdy * tex_h));
      Choose_Filter(float(rho));
    }
    // A pixel on an edge belongs to the triangle when the edge is a top or a
    // left edge.
    auto top_left = [](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
      return (y1 - y0) < 0 || ((y1 - y0) == 0 && (x1 - x0) > 0);
    };
    const std::int64_t bias0 = top_left(bx, by, cx, cy) ? 0 : -1;
    const std::int64_t bias1 = top_left(cx, cy, ax, ay) ? 0 : -1;
    const std::int64_t bias2 = top_left(ax, ay, bx, by) ? 0 : -1;
    const std::int64_t lo_x = std::min({ax, bx, cx}), hi_x = std::max({ax, bx, cx});
    const std::int64_t lo_y = std::min({ay, by, cy}), hi_y = std::max({ay, by, cy});
    const std::int32_t px0 = std::int32_t(std::max<std::int64_t>(x_min, (lo_x >> 8) - 1));
    const std::int32_t px1 = std::int32_t(std::min<std::int64_t>(x_max, (hi_x >> 8) + 1));
    const std::int32_t py0 = std::int32_t(std::max<std::int64_t>(y_min, (lo_y >> 8) - 1));
    const std::int32_t py1 = std::int32_t(std::min<std::int64_t>(y_max, (hi_y >> 8) + 1));
    if (px0 > px1 || py0 > py1) return;
    const double inv_area = 1.0 / double(area);
    for (std::int32_t y = py0; y <= py1; ++y) {
      const std::int64_t sy = std::int64_t(y) * 256 + 128;
      const std::int64_t sx0 = std::int64_t(px0) * 256 + 128;
      std::int64_t e0 = edge(bx, by, cx, cy, sx0, sy);
      std::int64_t e1 = edge(cx, cy, ax, ay, sx0, sy);
      std::int64_t e2 = edge(ax, ay, bx, by, sx0, sy);
      const std::int64_t s0 = -(cy - by) * 256, s1 = -(ay - cy) * 256, s2 = -(by - ay) * 256;
      for (std::int32_t x = px0; x <= px1; ++x, e0 += s0, e1 += s1, e2 += s2) {
        if (e0 + bias0 < 0 || e1 + bias1 < 0 || e2 + bias2 < 0) continue;
        const float l0 = float(double(e0) * inv_area), l1 = float(double(e1) * inv_area),
                    l2 = float(double(e2) * inv_area);
        const float iw = l0 * a.iw + l1 * b.iw + l2 * c.iw;
        const float w = 1.0f / iw;
        const TRGBA col{(l0 * a.r + l1 * b.r + l2 * c.r) * w, (l0 * a.g + l1 * b.g + l2 * c.g) * w,
                        (l0 * a.b + l1 * b.b + l2 * c.b) * w, (l0 * a.a + l1 * b.a + l2 * c.a) * w};
        const float u = (l0 * a.u + l1 * b.u + l2 * c.u) * w, v = (l0 * a.v + l1 * b.v + l2 * c.v) * w;
        // Anchored on the first vertex, so that a triangle of constant depth
        // gives exactly that depth (equal-depth tests of coplanar passes).
        const float z = a.z + l1 * (b.z - a.z) + l2 * (c.z - a.z);
        Shade(x, y, z, col, u, v);
      }
    }
  }

  void Line(TRV p, TRV q, const TViewport& vp) {
    if (!Clip_Line(p, q)) return;
    TWin a = Project(p, vp), b = Project(q, vp);
    // Snapped to 1/256 pixel like the corners of triangles, so that an end
    // on a pixel centre is on it exactly.
    auto snap = [](float v) { return float(double(std::llround(double(v) * 256.0)) / 256.0); };
    a.x = snap(a.x);
    a.y = snap(a.y);
    b.x = snap(b.x);
    b.y = snap(b.y);
    const float dx = b.x - a.x, dy = b.y - a.y;
    const bool x_major = std::fabs(dx) >= std::fabs(dy);
    const float from = x_major ? a.x : a.y, to = x_major ? b.x : b.y;
    if (from == to) return;
    Choose_Filter(1.0f);
    // Pixels whose centre lies in [start, end) along the longer axis, in the
    // line's direction: the first pixel is drawn and the last is not, also
    // for lines drawn towards smaller coordinates.
    std::int32_t first, last;
    if (from < to) {
      first = std::int32_t(std::ceil(from - 0.5f));
      last = std::int32_t(std::ceil(to - 0.5f)) - 1;
    } else {
      first = std::int32_t(std::floor(to - 0.5f)) + 1;
      last = std::int32_t(std::floor(from - 0.5f));
    }
    for (std::int32_t i = first; i <= last; ++i) {
      const float t = (float(i) + 0.5f - from) / (to - from);
      if (t < 0 || t > 1) continue;
      const float other = x_major ? a.y + dy * t : a.x + dx * t;
      const std::int32_t j = std::int32_t(std::floor(other));
      auto l = [t](float m, float n) { return m + (n - m) * t; };
      const float iw = l(a.iw, b.iw), w = 1.0f / iw;
      const TRGBA col{l(a.r, b.r) * w, l(a.g, b.g) * w, l(a.b, b.b) * w, l(a.a, b.a) * w};
      if (x_major) Shade(i, j, l(a.z, b.z), col, l(a.u, b.u) * w, l(a.v, b.v) * w);
      else Shade(j, i, l(a.z, b.z), col, l(a.u, b.u) * w, l(a.v, b.v) * w);
    }
  }

  void Point(const TRV& p, const TViewport& vp) {
    for (int plane = 0; plane < PLANE_COUNT; ++plane)
      if (Plane_Distance(plane, p) < 0) return;
    const TWin a = Project(p, vp);
    Choose_Filter(1.0f);
    const float w = 1.0f / a.iw;
    Shade(std::int32_t(std::floor(a.x)), std::int32_t(std::floor(a.y)), a.z, {a.r * w, a.g * w, a.b * w, a.a * w},
          a.u * w, a.v * w);
  }
};

// --- device ----------------------------------------------------------------------

TRender_Device_Headless::TRender_Device_Headless(const TDevice_Params& params)
    : TRender_Device_Base(params), f_scratch(std::make_unique<TScratch>()) {
  f_back.assign(std::size_t(params.Width) * params.Height, 0xFF000000u);
  f_depth.assign(std::size_t(params.Width) * params.Height, 1.0f);
}

TRender_Device_Headless::~TRender_Device_Headless() = default;

TColor TRender_Device_Headless::Pixel(TDevice_Surface surface, std::uint32_t x, std::uint32_t y) {
  if (surface == BACK_BUFFER_SURFACE) {
    if (x >= f_params.Width || y >= f_params.Height) return 0;
    return f_back[std::size_t(y) * f_params.Width + x] | 0xFF000000u;
  }
  const TTexture_Object* t = Find_Texture(surface);
  if (!t || x >= t->width || y >= t->height) return 0;
  if (t->format == DEVICE_FMT_I8) return TColor(f_bytes[t->backend - 1][std::size_t(y) * t->width + x]) * 0x01010101u;
  const TColor c = f_pixels[t->backend - 1][std::size_t(y) * t->width + x];
  return t->keeps_alpha() ? c : (c | 0xFF000000u);
}

float TRender_Device_Headless::Depth(std::uint32_t x, std::uint32_t y) const {
  if (x >= f_params.Width || y >= f_params.Height) return 1.0f;
  return f_depth[std::size_t(y) * f_params.Width + x];
}

HRESULT TRender_Device_Headless::Backend_Create_Texture(TTexture_Object& texture, const TColor* pixels) {
  const std::size_t n = std::size_t(texture.width) * texture.height;
  std::vector<TColor> store;
  try {
    if (pixels) store.assign(pixels, pixels + n);
    else store.assign(n, 0u);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  f_pixels.push_back(std::move(store));
  f_bytes.emplace_back();
  texture.backend = std::uint32_t(f_pixels.size());
  return S_OK;
}

HRESULT TRender_Device_Headless::Backend_Create_Mask(TTexture_Object& texture, const std::uint8_t* values) {
  const std::size_t n = std::size_t(texture.width) * texture.height;
  std::vector<std::uint8_t> store;
  try {
    store.assign(values, values + n);
    f_pixels.emplace_back();
    f_bytes.push_back(std::move(store));
  } catch (const std::bad_alloc&) {
    if (f_pixels.size() > f_bytes.size()) f_pixels.pop_back();
    return E_OUTOFMEMORY;
  }
  texture.backend = std::uint32_t(f_pixels.size());
  return S_OK;
}

void TRender_Device_Headless::Backend_Release_Texture(TTexture_Object& texture) {
  if (texture.backend > 0) {
    f_pixels[texture.backend - 1].clear();
    f_pixels[texture.backend - 1].shrink_to_fit();
    f_bytes[texture.backend - 1].clear();
    f_bytes[texture.backend - 1].shrink_to_fit();
  }
}

HRESULT TRender_Device_Headless::Backend_Clear(bool target, bool zbuffer, TColor color, float z) {
  const TViewport& vp = f_state.viewport;
  TTexture_Object* t = Target_Texture();
  TColor* pixels = t ? f_pixels[t->backend - 1].data() : f_back.data();
  const std::uint32_t width = Target_Width();
  if (t == nullptr || !t->keeps_alpha()) color |= 0xFF000000u;
  for (std::uint32_t y = vp.Y; y < vp.Y + vp.Height; ++y) {
    const std::size_t row = std::size_t(y) * width;
    if (target) std::fill(pixels + row + vp.X, pixels + row + vp.X + vp.Width, color);
    if (zbuffer) std::fill(f_depth.begin() + std::ptrdiff_t(row + vp.X), f_depth.begin() + std::ptrdiff_t(row + vp.X + vp.Width), z);
  }
  return S_OK;
}

HRESULT TRender_Device_Headless::Backend_Draw(const TRaster_Job& job) {
  TRaster raster(*this, job.scissor);
  if (raster.x_min > raster.x_max || raster.y_min > raster.y_max) return S_OK;
  switch (job.kind) {
    case TRaster_Kind::Triangles:
      for (std::size_t i = 0; i + 2 < job.count; i += 3)
        raster.Triangle(From_Clip(job.vertices[i]), From_Clip(job.vertices[i + 1]), From_Clip(job.vertices[i + 2]),
                        job.viewport);
      break;
    case TRaster_Kind::Lines:
      for (std::size_t i = 0; i + 1 < job.count; i += 2)
        raster.Line(From_Clip(job.vertices[i]), From_Clip(job.vertices[i + 1]), job.viewport);
      break;
    case TRaster_Kind::Points:
      for (std::size_t i = 0; i < job.count; ++i) raster.Point(From_Clip(job.vertices[i]), job.viewport);
      break;
  }
  return S_OK;
}

HRESULT TRender_Device_Headless::Backend_Reset(const TDevice_Params& params) {
  try {
    f_back.assign(std::size_t(params.Width) * params.Height, 0xFF000000u);
    f_depth.assign(std::size_t(params.Width) * params.Height, 1.0f);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TRender_Device_Headless::Backend_Read(const TTexture_Object* texture, std::vector<TColor>& pixels) {
  if (!texture) {
    pixels = f_back;
    for (TColor& c : pixels) c |= 0xFF000000u;
    return S_OK;
  }
  if (texture->format == DEVICE_FMT_I8) {
    const std::vector<std::uint8_t>& bytes = f_bytes[texture->backend - 1];
    pixels.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) pixels[i] = TColor(bytes[i]) * 0x01010101u;
    return S_OK;
  }
  pixels = f_pixels[texture->backend - 1];
  if (!texture->keeps_alpha())
    for (TColor& c : pixels) c |= 0xFF000000u;
  return S_OK;
}

// --- render system ------------------------------------------------------------------

TRender_System_Headless::TRender_System_Headless() {
  TAdapter a;
  a.description = "Globarch Headless Adapter";
  const std::uint32_t sizes[][3] = {{640, 480, 60},   {800, 600, 60},   {1024, 768, 60},  {1024, 768, 75},
                                    {1280, 1024, 60}, {1280, 1024, 75}, {1600, 1200, 60}, {1920, 1080, 60}};
  for (const auto& s : sizes) a.modes.push_back(TDisplay_Mode{s[0], s[1], s[2], D3DFMT_X8R8G8B8});
  f_adapters.push_back(std::move(a));
}

TRender_System_Headless::TRender_System_Headless(std::vector<TAdapter> adapters) : f_adapters(std::move(adapters)) {}

std::uint32_t TRender_System_Headless::Get_Adapter_Count() { return std::uint32_t(f_adapters.size()); }

HRESULT TRender_System_Headless::Get_Adapter_Description(std::uint32_t adapter, std::string& description) {
  if (adapter >= f_adapters.size()) return D3DERR_INVALIDCALL;
  description = f_adapters[adapter].description;
  return S_OK;
}

std::uint32_t TRender_System_Headless::Get_Adapter_Mode_Count(std::uint32_t adapter, std::uint32_t format) {
  if (adapter >= f_adapters.size()) return 0;
  return std::uint32_t(std::count_if(f_adapters[adapter].modes.begin(), f_adapters[adapter].modes.end(),
                                     [format](const TDisplay_Mode& m) { return m.Format == format; }));
}

HRESULT TRender_System_Headless::Enum_Adapter_Modes(std::uint32_t adapter, std::uint32_t format, std::uint32_t index,
                                                    TDisplay_Mode& mode) {
  if (adapter >= f_adapters.size()) return D3DERR_INVALIDCALL;
  std::uint32_t n = 0;
  for (const TDisplay_Mode& m : f_adapters[adapter].modes) {
    if (m.Format != format) continue;
    if (n++ == index) {
      mode = m;
      return S_OK;
    }
  }
  return D3DERR_INVALIDCALL;
}

HRESULT TRender_System_Headless::Check_Device_Format(std::uint32_t adapter, std::uint32_t, std::uint32_t usage,
                                                     std::uint32_t resource_type, std::uint32_t format) {
  if (adapter >= f_adapters.size()) return D3DERR_INVALIDCALL;
  if (resource_type == D3DRTYPE_TEXTURE && (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8)) {
    if ((usage & D3DUSAGE_RENDERTARGET) != 0 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8)
      return D3DERR_NOTAVAILABLE;
    return S_OK;
  }
  if (resource_type == D3DRTYPE_SURFACE && (format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8))
    return S_OK;
  return D3DERR_NOTAVAILABLE;
}

HRESULT TRender_System_Headless::Create_Device(const TDevice_Params& params, std::unique_ptr<TRender_Device>& device) {
  if (params.Width == 0 || params.Height == 0 || params.Width > 16384 || params.Height > 16384)
    return D3DERR_INVALIDCALL;
  if (params.Adapter >= f_adapters.size()) return D3DERR_INVALIDCALL;
  try {
    device = std::make_unique<TRender_Device_Headless>(params);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
