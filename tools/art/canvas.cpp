#include "tools/art/canvas.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// First sample index whose centre lies at or right of x (in pixels).
int SampleAtOrAfter(float x, int scale) {
  return static_cast<int>(std::ceil(x * static_cast<float>(scale) - 0.5f));
}

float SampleCentre(int i, int scale) {
  return (static_cast<float>(i) + 0.5f) / static_cast<float>(scale);
}

void MarkSpan(Shape& s, int row, float xa, float xb, bool on) {
  if (row < 0 || row >= s.sh || xb <= xa) return;
  int i0 = Clamp(SampleAtOrAfter(xa, s.scale), 0, s.sw);
  int i1 = Clamp(SampleAtOrAfter(xb, s.scale), 0, s.sw);
  if (i1 <= i0) return;
  uint8_t* p = &s.on[static_cast<size_t>(row) * s.sw];
  std::fill(p + i0, p + i1, static_cast<uint8_t>(on ? 1 : 0));
  if (on) {
    s.x0 = std::min(s.x0, i0);
    s.x1 = std::max(s.x1, i1);
    s.y0 = std::min(s.y0, row);
    s.y1 = std::max(s.y1, row + 1);
  }
}

void RowRange(const Shape& s, float top, float bottom, int* r0, int* r1) {
  *r0 = Clamp(SampleAtOrAfter(top, s.scale), 0, s.sh);
  *r1 = Clamp(SampleAtOrAfter(bottom, s.scale), 0, s.sh);
}

// Blends one premultiplied sample with a straight colour.
void Blend(float* d, Colour col) {
  float a = col.a;
  d[0] = col.r * a + d[0] * (1.0f - a);
  d[1] = col.g * a + d[1] * (1.0f - a);
  d[2] = col.b * a + d[2] * (1.0f - a);
  d[3] = a + d[3] * (1.0f - a);
}

template <typename ColourAt>
void PaintWith(Canvas& c, const Shape& s, ColourAt colour_at) {
  if (s.sw != c.width * c.scale || s.sh != c.height * c.scale) return;
  for (int j = s.y0; j < s.y1; ++j) {
    const uint8_t* m = &s.on[static_cast<size_t>(j) * s.sw];
    float y = SampleCentre(j, s.scale);
    for (int i = s.x0; i < s.x1; ++i) {
      if (!m[i]) continue;
      float* d = &c.px[(static_cast<size_t>(j) * s.sw + i) * 4];
      Blend(d, colour_at(SampleCentre(i, s.scale), y));
    }
  }
}

}  // namespace

Colour Rgb(int r, int g, int b, float a) {
  return Colour{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), a};
}

Colour Mix(Colour c0, Colour c1, float t) {
  t = std::min(1.0f, std::max(0.0f, t));
  return Colour{c0.r + (c1.r - c0.r) * t, c0.g + (c1.g - c0.g) * t,
                c0.b + (c1.b - c0.b) * t, c0.a + (c1.a - c0.a) * t};
}

bool CanvasInit(Canvas& c, int width, int height, int scale, Colour fill) {
  if (width <= 0 || height <= 0 || scale <= 0 || scale > 16) return false;
  c.width = width;
  c.height = height;
  c.scale = scale;
  size_t n = static_cast<size_t>(width) * scale * height * scale;
  c.px.assign(n * 4, 0.0f);
  for (size_t k = 0; k < n; ++k) {
    c.px[k * 4 + 0] = fill.r * fill.a;
    c.px[k * 4 + 1] = fill.g * fill.a;
    c.px[k * 4 + 2] = fill.b * fill.a;
    c.px[k * 4 + 3] = fill.a;
  }
  return true;
}

Image Resolve(const Canvas& c) {
  Image img;
  img.width = c.width;
  img.height = c.height;
  img.rgba.assign(static_cast<size_t>(c.width) * c.height * 4, 0);
  const int s = c.scale;
  const int sw = c.width * s;
  const float n = static_cast<float>(s * s);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      float acc[4] = {0, 0, 0, 0};
      for (int j = 0; j < s; ++j) {
        const float* p = &c.px[(static_cast<size_t>(y * s + j) * sw + x * s) * 4];
        for (int i = 0; i < s; ++i) {
          for (int k = 0; k < 4; ++k) acc[k] += p[i * 4 + k];
        }
      }
      uint8_t* o = &img.rgba[(static_cast<size_t>(y) * c.width + x) * 4];
      float a = acc[3] / n;
      for (int k = 0; k < 3; ++k) {
        float v = a > 0.0f ? acc[k] / n / a : 0.0f;
        o[k] = static_cast<uint8_t>(Clamp(static_cast<int>(std::lround(v)), 0, 255));
      }
      o[3] = static_cast<uint8_t>(Clamp(static_cast<int>(std::lround(a * 255.0f)), 0, 255));
    }
  }
  return img;
}

void ShapeBegin(Shape& s, const Canvas& c) {
  const int sw = c.width * c.scale, sh = c.height * c.scale;
  if (s.sw == sw && s.sh == sh && s.on.size() == static_cast<size_t>(sw) * sh) {
    // Same surface: clearing the touched box is enough.
    for (int j = s.y0; j < s.y1; ++j) {
      std::fill(s.on.begin() + static_cast<size_t>(j) * sw + s.x0,
                s.on.begin() + static_cast<size_t>(j) * sw + s.x1, 0);
    }
  } else {
    s.on.assign(static_cast<size_t>(sw) * sh, 0);
  }
  s.sw = sw;
  s.sh = sh;
  s.scale = c.scale;
  s.x0 = s.sw;
  s.y0 = s.sh;
  s.x1 = 0;
  s.y1 = 0;
}

void ShapePolygon(Shape& s, const std::vector<std::vector<Pt>>& contours, bool on) {
  float top = 1e30f, bottom = -1e30f;
  for (const auto& ct : contours) {
    for (const Pt& p : ct) {
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
  }
  if (top > bottom) return;
  int r0, r1;
  RowRange(s, top, bottom, &r0, &r1);
  std::vector<float> xs;
  for (int j = r0; j < r1; ++j) {
    float y = SampleCentre(j, s.scale);
    xs.clear();
    for (const auto& ct : contours) {
      size_t n = ct.size();
      for (size_t k = 0; k < n; ++k) {
        Pt a = ct[k], b = ct[(k + 1) % n];
        if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
          xs.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
        }
      }
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2) MarkSpan(s, j, xs[k], xs[k + 1], on);
  }
}

void ShapePolygon(Shape& s, const std::vector<Pt>& contour, bool on) {
  ShapePolygon(s, std::vector<std::vector<Pt>>{contour}, on);
}

void ShapeRect(Shape& s, float x0, float y0, float x1, float y1, bool on) {
  int r0, r1;
  RowRange(s, std::min(y0, y1), std::max(y0, y1), &r0, &r1);
  for (int j = r0; j < r1; ++j) MarkSpan(s, j, std::min(x0, x1), std::max(x0, x1), on);
}

void ShapeEllipse(Shape& s, Pt c, float rx, float ry, bool on) {
  if (rx <= 0 || ry <= 0) return;
  int r0, r1;
  RowRange(s, c.y - ry, c.y + ry, &r0, &r1);
  for (int j = r0; j < r1; ++j) {
    float dy = (SampleCentre(j, s.scale) - c.y) / ry;
    if (dy * dy >= 1.0f) continue;
    float half = rx * std::sqrt(1.0f - dy * dy);
    MarkSpan(s, j, c.x - half, c.x + half, on);
  }
}

void ShapeCircle(Shape& s, Pt c, float r, bool on) { ShapeEllipse(s, c, r, r, on); }

void ShapeRing(Shape& s, Pt c, float r, float width, bool on) {
  float ro = r + width / 2, ri = r - width / 2;
  int r0, r1;
  RowRange(s, c.y - ro, c.y + ro, &r0, &r1);
  for (int j = r0; j < r1; ++j) {
    float dy = SampleCentre(j, s.scale) - c.y;
    if (dy * dy >= ro * ro) continue;
    float ho = std::sqrt(ro * ro - dy * dy);
    if (ri > 0 && dy * dy < ri * ri) {
      float hi = std::sqrt(ri * ri - dy * dy);
      MarkSpan(s, j, c.x - ho, c.x - hi, on);
      MarkSpan(s, j, c.x + hi, c.x + ho, on);
    } else {
      MarkSpan(s, j, c.x - ho, c.x + ho, on);
    }
  }
}

void ShapeSegment(Shape& s, Pt a, Pt b, float width, bool round_ends, bool on) {
  float dx = b.x - a.x, dy = b.y - a.y;
  float len = std::sqrt(dx * dx + dy * dy);
  float h = width / 2;
  if (len > 1e-6f) {
    float nx = -dy / len * h, ny = dx / len * h;
    ShapePolygon(s, std::vector<Pt>{{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny},
                                    {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}, on);
  }
  if (round_ends) {
    ShapeCircle(s, a, h, on);
    ShapeCircle(s, b, h, on);
  }
}

void ShapePolyline(Shape& s, const std::vector<Pt>& pts, float width, bool closed) {
  size_t n = pts.size();
  for (size_t k = 0; k + 1 < n; ++k) ShapeSegment(s, pts[k], pts[k + 1], width);
  if (closed && n > 2) ShapeSegment(s, pts[n - 1], pts[0], width);
}

void ShapeRoundRect(Shape& s, float x0, float y0, float x1, float y1, float r, bool on) {
  r = std::min(r, std::min(x1 - x0, y1 - y0) / 2);
  if (r <= 0) {
    ShapeRect(s, x0, y0, x1, y1, on);
    return;
  }
  ShapeRect(s, x0 + r, y0, x1 - r, y1, on);
  ShapeRect(s, x0, y0 + r, x1, y1 - r, on);
  ShapeCircle(s, {x0 + r, y0 + r}, r, on);
  ShapeCircle(s, {x1 - r, y0 + r}, r, on);
  ShapeCircle(s, {x0 + r, y1 - r}, r, on);
  ShapeCircle(s, {x1 - r, y1 - r}, r, on);
}

void ShapeWhere(Shape& s, float x0, float y0, float x1, float y1,
                const std::function<bool(float, float)>& inside) {
  int r0, r1;
  RowRange(s, y0, y1, &r0, &r1);
  int i0 = Clamp(SampleAtOrAfter(x0, s.scale), 0, s.sw);
  int i1 = Clamp(SampleAtOrAfter(x1, s.scale), 0, s.sw);
  for (int j = r0; j < r1; ++j) {
    float y = SampleCentre(j, s.scale);
    for (int i = i0; i < i1; ++i) {
      if (!inside(SampleCentre(i, s.scale), y)) continue;
      s.on[static_cast<size_t>(j) * s.sw + i] = 1;
      s.x0 = std::min(s.x0, i);
      s.x1 = std::max(s.x1, i + 1);
      s.y0 = std::min(s.y0, j);
      s.y1 = std::max(s.y1, j + 1);
    }
  }
}

void ShapeArc(Shape& s, Pt c, float rx, float ry, float a0, float a1, float width) {
  float span = std::fabs(a1 - a0) * std::max(rx, ry);
  int steps = std::max(4, static_cast<int>(span / 1.5f));
  ShapePolyline(s, ArcPoints(c, rx, ry, a0, a1, steps), width);
}

void Paint(Canvas& c, const Shape& s, Colour col) {
  PaintWith(c, s, [&](float, float) { return col; });
}

void PaintLinear(Canvas& c, const Shape& s, Pt p0, Colour c0, Pt p1, Colour c1) {
  float dx = p1.x - p0.x, dy = p1.y - p0.y;
  float d2 = dx * dx + dy * dy;
  if (d2 <= 0) d2 = 1;
  PaintWith(c, s, [&](float x, float y) {
    float t = ((x - p0.x) * dx + (y - p0.y) * dy) / d2;
    return Mix(c0, c1, t);
  });
}

void PaintRadial(Canvas& c, const Shape& s, Pt centre, float r, Colour c0, Colour c1) {
  if (r <= 0) r = 1;
  PaintWith(c, s, [&](float x, float y) {
    float d = std::sqrt((x - centre.x) * (x - centre.x) + (y - centre.y) * (y - centre.y));
    return Mix(c0, c1, d / r);
  });
}

// The one-call drawing functions share one mask: allocating and clearing a
// full-size mask per call would dominate the drawing time.
Shape& Scratch() {
  static Shape scratch;
  return scratch;
}

void FillRect(Canvas& c, float x0, float y0, float x1, float y1, Colour col) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapeRect(s, x0, y0, x1, y1);
  Paint(c, s, col);
}

void FillPolygon(Canvas& c, const std::vector<Pt>& pts, Colour col) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapePolygon(s, pts);
  Paint(c, s, col);
}

void FillCircle(Canvas& c, Pt centre, float r, Colour col) {
  FillEllipse(c, centre, r, r, col);
}

void FillEllipse(Canvas& c, Pt centre, float rx, float ry, Colour col) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapeEllipse(s, centre, rx, ry);
  Paint(c, s, col);
}

void StrokeCircle(Canvas& c, Pt centre, float r, float width, Colour col) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapeRing(s, centre, r, width);
  Paint(c, s, col);
}

void Line(Canvas& c, Pt a, Pt b, float width, Colour col) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapeSegment(s, a, b, width);
  Paint(c, s, col);
}

void Polyline(Canvas& c, const std::vector<Pt>& pts, float width, Colour col, bool closed) {
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapePolyline(s, pts, width, closed);
  Paint(c, s, col);
}

void DashedLine(Canvas& c, Pt a, Pt b, float width, float dash, float gap, Colour col) {
  float dx = b.x - a.x, dy = b.y - a.y;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0 || dash <= 0) return;
  Shape& s = Scratch();
  ShapeBegin(s, c);
  for (float t = 0; t < len; t += dash + gap) {
    float e = std::min(len, t + dash);
    ShapeSegment(s, {a.x + dx * t / len, a.y + dy * t / len},
                 {a.x + dx * e / len, a.y + dy * e / len}, width, false);
  }
  Paint(c, s, col);
}

void DimensionLine(Canvas& c, Pt a, Pt b, float width, float head, Colour col) {
  float dx = b.x - a.x, dy = b.y - a.y;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0) return;
  float ux = dx / len, uy = dy / len;
  Shape& s = Scratch();
  ShapeBegin(s, c);
  ShapeSegment(s, a, b, width, false);
  float w = head * 0.35f;
  ShapePolygon(s, std::vector<Pt>{a, {a.x + ux * head - uy * w, a.y + uy * head + ux * w},
                                  {a.x + ux * head + uy * w, a.y + uy * head - ux * w}});
  ShapePolygon(s, std::vector<Pt>{b, {b.x - ux * head - uy * w, b.y - uy * head + ux * w},
                                  {b.x - ux * head + uy * w, b.y - uy * head - ux * w}});
  Paint(c, s, col);
}

std::vector<Pt> ArcPoints(Pt c, float rx, float ry, float a0, float a1, int steps) {
  std::vector<Pt> pts;
  if (steps < 1) steps = 1;
  for (int k = 0; k <= steps; ++k) {
    float a = a0 + (a1 - a0) * static_cast<float>(k) / static_cast<float>(steps);
    pts.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
  }
  return pts;
}

}  // namespace art
