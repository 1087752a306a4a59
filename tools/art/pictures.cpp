#include "tools/art/pictures.h"

#include <cmath>
#include <vector>

#include "tools/art/globe.h"

namespace art {

namespace {

const float kPi = 3.14159265f;

// Isometric projection: x to the lower right, y to the lower left, z up.
struct Iso {
  Pt origin;
  float unit;
  Pt P(float x, float y, float z) const {
    return {origin.x + (x - y) * 0.8660254f * unit, origin.y + ((x + y) * 0.5f - z) * unit};
  }
};

struct Edge3 {
  float x0, y0, z0, x1, y1, z1;
};

void IsoEdges(Shape& s, const Iso& iso, const std::vector<Edge3>& edges, float width) {
  for (const Edge3& e : edges) {
    ShapeSegment(s, iso.P(e.x0, e.y0, e.z0), iso.P(e.x1, e.y1, e.z1), width);
  }
}

std::vector<Pt> IsoQuad(const Iso& iso, const float (*p)[3]) {
  std::vector<Pt> q;
  for (int k = 0; k < 4; ++k) q.push_back(iso.P(p[k][0], p[k][1], p[k][2]));
  return q;
}

// Window on a wall facing +y (at y = wall), from x0 to x1, z0 to z1.
void WindowOnYWall(Shape& s, const Iso& iso, float wall, float x0, float x1, float z0, float z1,
                   float width, bool mullion) {
  const float q[4][3] = {{x0, wall, z0}, {x1, wall, z0}, {x1, wall, z1}, {x0, wall, z1}};
  ShapePolyline(s, IsoQuad(iso, q), width, true);
  if (mullion) {
    float xm = (x0 + x1) / 2, zm = (z0 + z1) / 2;
    ShapeSegment(s, iso.P(xm, wall, z0), iso.P(xm, wall, z1), width * 0.8f);
    ShapeSegment(s, iso.P(x0, wall, zm), iso.P(x1, wall, zm), width * 0.8f);
  }
}

// Window on a wall facing +x (at x = wall), from y0 to y1.
void WindowOnXWall(Shape& s, const Iso& iso, float wall, float y0, float y1, float z0, float z1,
                   float width, bool mullion) {
  const float q[4][3] = {{wall, y0, z0}, {wall, y1, z0}, {wall, y1, z1}, {wall, y0, z1}};
  ShapePolyline(s, IsoQuad(iso, q), width, true);
  if (mullion) {
    float ym = (y0 + y1) / 2, zm = (z0 + z1) / 2;
    ShapeSegment(s, iso.P(wall, ym, z0), iso.P(wall, ym, z1), width * 0.8f);
    ShapeSegment(s, iso.P(wall, y0, zm), iso.P(wall, y1, zm), width * 0.8f);
  }
}

// The wireframe house of the background's upper left corner, with its
// ground grid, construction lines and dimensions, in pale blueprint blue.
void BackgroundHouse(Canvas& c) {
  const Iso iso{{98.0f, 72.0f}, 14.0f};
  const Colour line = Rgb(70, 118, 178, 0.50f);
  const Colour faint = Rgb(70, 118, 178, 0.16f);
  Shape s;

  // Ground grid, fading out away from the house.
  for (int k = -3; k <= 10; ++k) {
    float fade = 1.0f - std::fabs(static_cast<float>(k) - 3.0f) / 8.0f;
    ShapeBegin(s, c);
    ShapeSegment(s, iso.P(static_cast<float>(k), -2.5f, 0), iso.P(static_cast<float>(k), 7.5f, 0), 0.6f);
    Paint(c, s, Rgb(70, 118, 178, 0.10f * fade));
    ShapeBegin(s, c);
    ShapeSegment(s, iso.P(-2.5f, static_cast<float>(k) - 1.5f, 0),
                 iso.P(9.5f, static_cast<float>(k) - 1.5f, 0), 0.6f);
    Paint(c, s, Rgb(70, 118, 178, 0.10f * fade));
  }

  // Light tint on the two walls facing the viewer and the roof.
  const float wall_y[4][3] = {{0, 4, 0}, {6, 4, 0}, {6, 4, 3}, {0, 4, 3}};
  const float wall_x[4][3] = {{6, 4, 0}, {6, 0, 0}, {6, 0, 3}, {6, 4, 3}};
  const float roof_front[4][3] = {{0, 4, 3}, {6, 4, 3}, {6, 2, 4.6f}, {0, 2, 4.6f}};
  const float roof_back[4][3] = {{0, 0, 3}, {6, 0, 3}, {6, 2, 4.6f}, {0, 2, 4.6f}};
  FillPolygon(c, IsoQuad(iso, roof_back), Rgb(120, 160, 210, 0.10f));
  FillPolygon(c, IsoQuad(iso, wall_y), Rgb(255, 255, 255, 0.55f));
  FillPolygon(c, IsoQuad(iso, wall_x), Rgb(150, 185, 225, 0.16f));
  FillPolygon(c, std::vector<Pt>{iso.P(6, 0, 3), iso.P(6, 4, 3), iso.P(6, 2, 4.6f)},
              Rgb(150, 185, 225, 0.16f));
  FillPolygon(c, IsoQuad(iso, roof_front), Rgb(120, 160, 210, 0.22f));

  // Hidden edges, dashed.
  const Edge3 hidden[] = {{0, 0, 0, 6, 0, 0}, {0, 0, 0, 0, 4, 0}, {0, 0, 0, 0, 0, 3}};
  for (const Edge3& e : hidden) {
    DashedLine(c, iso.P(e.x0, e.y0, e.z0), iso.P(e.x1, e.y1, e.z1), 0.7f, 3.0f, 2.5f,
               Rgb(70, 118, 178, 0.35f));
  }

  ShapeBegin(s, c);
  IsoEdges(s, iso,
           {{0, 4, 0, 6, 4, 0}, {6, 4, 0, 6, 0, 0}, {0, 4, 0, 0, 4, 3}, {6, 4, 0, 6, 4, 3},
            {6, 0, 0, 6, 0, 3}, {0, 4, 3, 6, 4, 3}, {6, 0, 3, 6, 4, 3}, {6, 0, 3, 6, 2, 4.6f},
            {6, 2, 4.6f, 6, 4, 3}, {0, 2, 4.6f, 6, 2, 4.6f}, {0, 4, 3, 0, 2, 4.6f},
            {0, 2, 4.6f, 0, 0, 3}, {0, 0, 3, 6, 0, 3}},
           1.1f);
  // Door and windows.
  WindowOnYWall(s, iso, 4, 0.8f, 1.9f, 1.2f, 2.3f, 0.8f, true);
  WindowOnYWall(s, iso, 4, 2.6f, 3.5f, 0.0f, 2.2f, 0.8f, false);
  WindowOnYWall(s, iso, 4, 4.2f, 5.3f, 1.2f, 2.3f, 0.8f, true);
  WindowOnXWall(s, iso, 6, 1.4f, 2.6f, 1.2f, 2.3f, 0.8f, true);
  // Chimney on the front slope.
  IsoEdges(s, iso,
           {{4.2f, 3.0f, 3.8f, 4.2f, 3.0f, 5.1f}, {4.9f, 3.0f, 3.8f, 4.9f, 3.0f, 5.1f},
            {4.2f, 3.0f, 5.1f, 4.9f, 3.0f, 5.1f}, {4.9f, 3.0f, 5.1f, 4.9f, 2.4f, 5.1f},
            {4.2f, 3.0f, 5.1f, 4.2f, 2.4f, 5.1f}, {4.2f, 2.4f, 5.1f, 4.9f, 2.4f, 5.1f}},
           0.9f);
  Paint(c, s, line);

  // Construction lines running past the corners.
  ShapeBegin(s, c);
  IsoEdges(s, iso,
           {{-1.5f, 4, 0, 0, 4, 0}, {6, 4, 0, 8.0f, 4, 0}, {6, -1.5f, 0, 6, 0, 0},
            {6, 4, 0, 6, 6.2f, 0}, {0, 2, 4.6f, -1.2f, 2, 4.6f}, {6, 2, 4.6f, 7.4f, 2, 4.6f},
            {6, 0, 3, 6, -1.2f, 3}},
           0.5f);
  Paint(c, s, faint);

  // Dimensions: the long wall, the gable wall and the ridge height.
  const Colour dim = Rgb(36, 110, 180, 0.55f);
  ShapeBegin(s, c);
  IsoEdges(s, iso, {{0, 4.3f, 0, 0, 5.6f, 0}, {6, 4.3f, 0, 6, 5.6f, 0},
                    {6.3f, 0, 0, 7.6f, 0, 0}, {6.3f, 4, 0, 7.6f, 4, 0}}, 0.5f);
  Paint(c, s, dim);
  DimensionLine(c, iso.P(0, 5.2f, 0), iso.P(6, 5.2f, 0), 0.7f, 4.5f, dim);
  DimensionLine(c, iso.P(7.2f, 0, 0), iso.P(7.2f, 4, 0), 0.7f, 4.5f, dim);
  DimensionLine(c, iso.P(7.0f, 2, 0.0f), iso.P(7.0f, 2, 4.6f), 0.7f, 4.5f, dim);
  ShapeBegin(s, c);
  IsoEdges(s, iso, {{6, 2, 0, 7.3f, 2, 0}}, 0.5f);
  Paint(c, s, faint);

}

}  // namespace

Image DrawTitleBackground() {
  const int w = 600, h = 350;
  Canvas c;
  CanvasInit(c, w, h, 3, Rgb(255, 255, 255));
  Shape s;

  // A pale blue-grey gradient, lightest at the upper left.
  ShapeBegin(s, c);
  ShapeRect(s, 0, 0, w, h);
  PaintLinear(c, s, {0, 0}, Rgb(252, 253, 255), {w * 0.75f, h * 1.1f}, Rgb(218, 229, 242));
  // A soft light behind the product block.
  ShapeBegin(s, c);
  ShapeRect(s, 0, 0, w, h);
  PaintRadial(c, s, {384, 92}, 250, Rgb(255, 255, 255, 0.75f), Rgb(255, 255, 255, 0.0f));

  // Blueprint grid: fine lines every 10 pixels, stronger ones every 50,
  // fading from the upper left towards the lower right.
  ShapeBegin(s, c);
  for (int x = 10; x < w; x += 10) {
    if (x % 50) ShapeRect(s, x, 0, x + 1.0f, h);
  }
  for (int y = 10; y < h; y += 10) {
    if (y % 50) ShapeRect(s, 0, y, w, y + 1.0f);
  }
  PaintLinear(c, s, {0, 0}, Rgb(90, 130, 190, 0.07f), {w, h}, Rgb(90, 130, 190, 0.025f));
  ShapeBegin(s, c);
  for (int x = 50; x < w; x += 50) ShapeRect(s, x, 0, x + 1.0f, h);
  for (int y = 50; y < h; y += 50) ShapeRect(s, 0, y, w, y + 1.0f);
  PaintLinear(c, s, {0, 0}, Rgb(90, 130, 190, 0.13f), {w, h}, Rgb(90, 130, 190, 0.05f));

  // Two wide compass arcs sweeping through the upper left.
  ShapeBegin(s, c);
  // They stay above the contact block and left of the product block.
  ShapeArc(s, {-40, -50}, 255, 255, 0.08f * kPi, 0.33f * kPi, 0.8f);
  ShapeArc(s, {-40, -50}, 238, 238, 0.10f * kPi, 0.36f * kPi, 0.6f);
  PaintLinear(c, s, {0, 175}, Rgb(60, 120, 190, 0.26f), {210, 0}, Rgb(60, 120, 190, 0.04f));

  BackgroundHouse(c);

  // A hairline above the contact block.
  ShapeBegin(s, c);
  ShapeRect(s, 12, 179, 250, 180);
  PaintLinear(c, s, {12, 0}, Rgb(22, 132, 198, 0.55f), {250, 0}, Rgb(22, 132, 198, 0.0f));

  // A dimension line down the right edge, as on a drawing sheet.
  const Colour dim = Rgb(36, 110, 180, 0.30f);
  DimensionLine(c, {586, 14}, {586, 336}, 0.7f, 6, dim);
  FillRect(c, 580, 14, 593, 15, dim);
  FillRect(c, 580, 335, 593, 336, dim);
  for (int y = 64; y < 336; y += 50) FillRect(c, 583, static_cast<float>(y), 589, y + 1.0f, dim);

  // A thin blue band along the bottom edge, fading to the right.
  ShapeBegin(s, c);
  ShapeRect(s, 0, h - 3.0f, w, h);
  PaintLinear(c, s, {0, 0}, Rgb(22, 132, 198, 0.85f), {w, 0}, Rgb(22, 132, 198, 0.15f));

  return Resolve(c);
}

namespace {

// Window bands of one storey on a wall facing +y (at y = wall).
void StoreyWindowsY(Canvas& c, const Iso& iso, float wall, float x0, float x1, float z,
                    int panes, Colour glass, Colour frame) {
  float pw = (x1 - x0) / panes;
  for (int k = 0; k < panes; ++k) {
    float a = x0 + pw * k + 0.08f, b = x0 + pw * (k + 1) - 0.08f;
    const float q[4][3] = {{a, wall, z + 0.28f}, {b, wall, z + 0.28f}, {b, wall, z + 0.74f},
                           {a, wall, z + 0.74f}};
    FillPolygon(c, IsoQuad(iso, q), glass);
    Polyline(c, IsoQuad(iso, q), 0.6f, frame, true);
  }
}

// The same on a wall facing +x (at x = wall).
void StoreyWindowsX(Canvas& c, const Iso& iso, float wall, float y0, float y1, float z,
                    int panes, Colour glass, Colour frame) {
  float pw = (y1 - y0) / panes;
  for (int k = 0; k < panes; ++k) {
    float a = y0 + pw * k + 0.08f, b = y0 + pw * (k + 1) - 0.08f;
    const float q[4][3] = {{wall, a, z + 0.28f}, {wall, b, z + 0.28f}, {wall, b, z + 0.74f},
                           {wall, a, z + 0.74f}};
    FillPolygon(c, IsoQuad(iso, q), glass);
    Polyline(c, IsoQuad(iso, q), 0.6f, frame, true);
  }
}

// A box-shaped building volume: the three faces the viewer sees, tinted and
// outlined.
void IsoBlock(Canvas& c, const Iso& iso, float x0, float y0, float x1, float y1, float h,
              Colour face_y, Colour face_x, Colour top, Colour outline, float width) {
  const float fy[4][3] = {{x0, y1, 0}, {x1, y1, 0}, {x1, y1, h}, {x0, y1, h}};
  const float fx[4][3] = {{x1, y1, 0}, {x1, y0, 0}, {x1, y0, h}, {x1, y1, h}};
  const float ft[4][3] = {{x0, y0, h}, {x1, y0, h}, {x1, y1, h}, {x0, y1, h}};
  FillPolygon(c, IsoQuad(iso, fy), face_y);
  FillPolygon(c, IsoQuad(iso, fx), face_x);
  FillPolygon(c, IsoQuad(iso, ft), top);
  Shape s;
  ShapeBegin(s, c);
  ShapePolyline(s, IsoQuad(iso, fy), width, true);
  ShapePolyline(s, IsoQuad(iso, fx), width, true);
  ShapePolyline(s, IsoQuad(iso, ft), width, true);
  Paint(c, s, outline);
}

}  // namespace

Image DrawEmblem() {
  const int w = 284, h = 157;
  Canvas c;
  CanvasInit(c, w, h, 3, Rgb(255, 255, 255));
  const Iso iso{{97.0f, 65.0f}, 12.0f};
  const Colour grey = Rgb(104, 110, 122);
  const Colour light = Rgb(200, 205, 214);
  const Colour blue = Rgb(30, 108, 184);
  const Colour glass = Rgb(150, 190, 232);
  Shape s;

  // A protractor ring behind the building, ticked every 10 degrees.
  const Pt ring{142, 80};
  StrokeCircle(c, ring, 72, 1.2f, Rgb(170, 198, 230));
  StrokeCircle(c, ring, 66, 0.7f, Rgb(190, 212, 236));
  ShapeBegin(s, c);
  for (int a = 0; a < 360; a += 10) {
    float t = static_cast<float>(a) * kPi / 180.0f;
    float r0 = a % 30 ? 68.5f : 64.0f;
    ShapeSegment(s, {ring.x + r0 * std::cos(t), ring.y + r0 * std::sin(t)},
                 {ring.x + 72 * std::cos(t), ring.y + 72 * std::sin(t)}, 0.7f, false);
  }
  Paint(c, s, Rgb(170, 198, 230));

  // The plan grid the building stands on.
  ShapeBegin(s, c);
  for (int k = -1; k <= 10; ++k) {
    ShapeSegment(s, iso.P(static_cast<float>(k), -1, 0), iso.P(static_cast<float>(k), 4.5f, 0), 0.6f);
  }
  for (int k = -1; k <= 4; ++k) {
    ShapeSegment(s, iso.P(-1, static_cast<float>(k), 0), iso.P(10, static_cast<float>(k), 0), 0.6f);
  }
  Paint(c, s, Rgb(214, 220, 230));
  // Its edge, and a footpath leading to the entrance.
  Polyline(c, {iso.P(-1, -1, 0), iso.P(10, -1, 0), iso.P(10, 4.5f, 0), iso.P(-1, 4.5f, 0)}, 1.0f,
           light, true);
  FillPolygon(c, {iso.P(5.0f, 3, 0), iso.P(5.8f, 3, 0), iso.P(5.8f, 4.5f, 0), iso.P(5.0f, 4.5f, 0)},
              Rgb(226, 230, 236));

  // Tower first: the wing stands in front of its lower part.
  IsoBlock(c, iso, 0, 0, 3, 3, 5, Rgb(238, 242, 248), Rgb(212, 222, 236), Rgb(248, 250, 252), grey,
           1.3f);
  for (int k = 0; k < 5; ++k) StoreyWindowsY(c, iso, 3, 0.25f, 2.75f, static_cast<float>(k), 3, glass, blue);
  for (int k = 2; k < 5; ++k) StoreyWindowsX(c, iso, 3, 0.25f, 2.75f, static_cast<float>(k), 3, glass, blue);
  IsoBlock(c, iso, 3, 0.6f, 9, 3, 2, Rgb(238, 242, 248), Rgb(212, 222, 236), Rgb(248, 250, 252),
           grey, 1.3f);
  for (int k = 0; k < 2; ++k) {
    StoreyWindowsY(c, iso, 3, 3.3f, 4.9f, static_cast<float>(k), 2, glass, blue);
    StoreyWindowsY(c, iso, 3, 6.0f, 8.7f, static_cast<float>(k), 3, glass, blue);
    StoreyWindowsX(c, iso, 9, 0.8f, 2.8f, static_cast<float>(k), 2, glass, blue);
  }
  // Entrance with a canopy.
  const float door[4][3] = {{5.05f, 3, 0}, {5.75f, 3, 0}, {5.75f, 3, 1.3f}, {5.05f, 3, 1.3f}};
  FillPolygon(c, IsoQuad(iso, door), Rgb(92, 150, 210));
  Polyline(c, IsoQuad(iso, door), 0.8f, blue, true);
  const float canopy[4][3] = {{4.8f, 3, 1.45f}, {6.0f, 3, 1.45f}, {6.0f, 3.7f, 1.45f}, {4.8f, 3.7f, 1.45f}};
  FillPolygon(c, IsoQuad(iso, canopy), Rgb(228, 234, 242));
  Polyline(c, IsoQuad(iso, canopy), 0.9f, grey, true);
  // Roof parapet line and a mast on the tower.
  Line(c, iso.P(1.5f, 1.5f, 5), iso.P(1.5f, 1.5f, 6.1f), 1.0f, grey);
  FillCircle(c, iso.P(1.5f, 1.5f, 6.1f), 1.4f, Rgb(200, 40, 40));

  // Dimension lines in front, with extension lines.
  ShapeBegin(s, c);
  for (float x : {0.0f, 3.0f, 9.0f}) ShapeSegment(s, iso.P(x, 3.2f, 0), iso.P(x, 4.4f, 0), 0.6f);
  for (float y : {0.0f, 3.0f}) ShapeSegment(s, iso.P(9.2f, y, 0), iso.P(10.6f, y, 0), 0.6f);
  Paint(c, s, blue);
  DimensionLine(c, iso.P(0, 4.1f, 0), iso.P(3, 4.1f, 0), 0.8f, 4.5f, blue);
  DimensionLine(c, iso.P(3, 4.1f, 0), iso.P(9, 4.1f, 0), 0.8f, 4.5f, blue);
  DimensionLine(c, iso.P(10.3f, 0, 0), iso.P(10.3f, 3, 0), 0.8f, 4.5f, blue);

  // North arrow in the upper right corner.
  const Pt north{254, 28};
  StrokeCircle(c, north, 15, 1.1f, grey);
  FillPolygon(c, {{north.x, north.y - 13}, {north.x + 5, north.y + 7}, {north.x, north.y + 3}},
              grey);
  Polyline(c, {{north.x, north.y - 13}, {north.x - 5, north.y + 7}, {north.x, north.y + 3}}, 0.9f,
           grey, true);
  // A letter N drawn with lines: a drawing symbol, not a text.
  Polyline(c, {{north.x - 3, north.y - 18}, {north.x - 3, north.y - 24}, {north.x + 3, north.y - 18},
               {north.x + 3, north.y - 24}}, 0.9f, grey);

  // Scale bar in the lower right corner.
  const float bx = 212, by = 146;
  for (int k = 0; k < 4; ++k) {
    float x0 = bx + 14.0f * k;
    FillRect(c, x0, by, x0 + 14, by + 4, k % 2 ? Rgb(255, 255, 255) : grey);
  }
  Polyline(c, {{bx, by}, {bx + 56, by}, {bx + 56, by + 4}, {bx, by + 4}}, 0.8f, grey, true);
  for (int k = 0; k <= 4; ++k) Line(c, {bx + 14.0f * k, by - 3}, {bx + 14.0f * k, by}, 0.7f, grey);

  return Resolve(c);
}

Image DrawEarthIcon(int size) {
  Canvas c;
  CanvasInit(c, size, size, 8, Rgb(0, 0, 0, 0));
  const float n = static_cast<float>(size);
  GlobeStyle style;
  style.grid_width = size >= 32 ? n / 48.0f : 0.0f;
  style.grid_step = 30;
  style.rim_width = size >= 32 ? n / 40.0f : 0.9f;
  // A soft shadow under the globe.
  FillEllipse(c, {n * 0.53f, n * 0.90f}, n * 0.34f, n * 0.07f, Rgb(0, 0, 0, 0.22f));
  DrawGlobe(c, {n * 0.5f, n * 0.47f}, n * 0.43f, 10.0f, style);
  return Resolve(c);
}

Image DrawProductIcon(int size) {
  Canvas c;
  CanvasInit(c, size, size, 8, Rgb(0, 0, 0, 0));
  const float u = static_cast<float>(size) / 32.0f;  // drawn on a 32-unit grid
  const float lw = size >= 32 ? 1.2f * u : 1.0f;
  const Colour outline = Rgb(60, 64, 76);

  // A house: white walls, red roof, blue door and window.
  FillPolygon(c, {{11 * u, 14 * u}, {29 * u, 14 * u}, {29 * u, 27 * u}, {11 * u, 27 * u}},
              Rgb(250, 250, 252));
  FillPolygon(c, {{8.5f * u, 15 * u}, {20 * u, 4 * u}, {31.5f * u, 15 * u}}, Rgb(196, 52, 40));
  Polyline(c, {{8.5f * u, 15 * u}, {20 * u, 4 * u}, {31.5f * u, 15 * u}}, lw, Rgb(120, 28, 22),
           true);
  Polyline(c, {{11 * u, 15 * u}, {11 * u, 27 * u}, {29 * u, 27 * u}, {29 * u, 15 * u}}, lw, outline);
  FillRect(c, 22 * u, 18 * u, 27 * u, 27 * u, Rgb(40, 110, 190));
  if (size >= 32) {
    FillRect(c, 14 * u, 18 * u, 19 * u, 22 * u, Rgb(150, 200, 240));
    Polyline(c, {{14 * u, 18 * u}, {19 * u, 18 * u}, {19 * u, 22 * u}, {14 * u, 22 * u}}, 0.8f * u,
             Rgb(40, 110, 190), true);
  }

  // A set square in front, translucent blue, with its triangular cut-out.
  Shape s;
  ShapeBegin(s, c);
  std::vector<Pt> outer = {{1.5f * u, 11 * u}, {1.5f * u, 30.5f * u}, {21 * u, 30.5f * u}};
  std::vector<Pt> inner = {{5.5f * u, 20.5f * u}, {5.5f * u, 26.5f * u}, {11.5f * u, 26.5f * u}};
  if (size >= 32) {
    ShapePolygon(s, std::vector<std::vector<Pt>>{outer, inner});
  } else {
    ShapePolygon(s, outer);
  }
  Paint(c, s, Rgb(40, 130, 220, 0.72f));
  Polyline(c, outer, lw, Rgb(16, 70, 150), true);
  if (size >= 32) {
    Polyline(c, inner, 0.8f * u, Rgb(16, 70, 150), true);
    // Scale marks along the square's lower edge.
    for (int k = 0; k < 6; ++k) {
      float x = (4 + 3 * k) * u;
      Line(c, {x, 30.5f * u}, {x, (k % 2 ? 29 : 28) * u}, 0.6f * u, Rgb(16, 70, 150));
    }
  }
  return Resolve(c);
}

}  // namespace art
