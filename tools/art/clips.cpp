// The progress dialog's three animation clips: connecting (a computer and a
// globe exchanging data), downloading (a document flying from the globe into
// a folder) and installing (files flying from a box into a folder).
#include <cmath>
#include <vector>

#include "tools/art/globe.h"
#include "tools/art/pictures.h"

namespace art {

// The dialog's animation brush, so edges blend into what the control shows.
const PaletteEntry kClipBackground = {231, 231, 215};

namespace {

const float kPi = 3.14159265f;
const int kScale = 4;

Colour Background() { return Rgb(kClipBackground.r, kClipBackground.g, kClipBackground.b); }

Pt Bezier(Pt p0, Pt p1, Pt p2, float t) {
  float u = 1 - t;
  return {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
          u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y};
}

float Frac(float v) { return v - std::floor(v); }

Pt Rotate(Pt p, Pt about, float angle) {
  float cs = std::cos(angle), sn = std::sin(angle);
  float dx = p.x - about.x, dy = p.y - about.y;
  return {about.x + dx * cs - dy * sn, about.y + dx * sn + dy * cs};
}

// The flight path, dotted, so the direction reads even between frames.
void DottedPath(Canvas& c, Pt p0, Pt p1, Pt p2, int dots, float r, Colour col) {
  for (int k = 1; k < dots; ++k) {
    FillCircle(c, Bezier(p0, p1, p2, static_cast<float>(k) / dots), r, col);
  }
}

void Monitor(Canvas& c, float x0, float y0, float x1, float y1, float glow) {
  const Colour outline = Rgb(70, 72, 84);
  float cx = (x0 + x1) / 2;
  // Stand and foot.
  FillPolygon(c, {{cx - 3, y1 - 1}, {cx + 3, y1 - 1}, {cx + 4.5f, y1 + 5}, {cx - 4.5f, y1 + 5}},
              Rgb(150, 152, 160));
  Shape s;
  ShapeBegin(s, c);
  ShapeRoundRect(s, cx - 10, y1 + 4.5f, cx + 10, y1 + 8, 1.5f);
  PaintLinear(c, s, {0, y1 + 4.5f}, Rgb(196, 198, 206), {0, y1 + 8}, Rgb(120, 122, 132));
  // Case.
  ShapeBegin(s, c);
  ShapeRoundRect(s, x0, y0, x1, y1, 2.5f);
  Paint(c, s, outline);
  ShapeBegin(s, c);
  ShapeRoundRect(s, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 1.8f);
  PaintLinear(c, s, {0, y0}, Rgb(226, 228, 234), {0, y1}, Rgb(170, 174, 186));
  // Screen with a window on it.
  float sx0 = x0 + 2.5f, sy0 = y0 + 2.5f, sx1 = x1 - 2.5f, sy1 = y1 - 4.0f;
  ShapeBegin(s, c);
  ShapeRect(s, sx0, sy0, sx1, sy1);
  PaintLinear(c, s, {sx0, sy0}, Mix(Rgb(40, 96, 178), Rgb(70, 140, 220), glow), {sx1, sy1},
              Rgb(14, 44, 110));
  float ww = (sx1 - sx0) * 0.62f, wh = (sy1 - sy0) * 0.55f;
  float wx = sx0 + (sx1 - sx0) * 0.14f, wy = sy0 + (sy1 - sy0) * 0.2f;
  FillRect(c, wx, wy, wx + ww, wy + wh, Rgb(236, 240, 246));
  FillRect(c, wx, wy, wx + ww, wy + std::fmax(1.0f, wh * 0.22f), Rgb(30, 70, 160));
  // Power light.
  FillCircle(c, {x1 - 3.5f, y1 - 2.0f}, 0.8f, Rgb(60, 200, 80));
}

// A sheet of paper with a folded corner and lines of text, turned by `angle`.
void Document(Canvas& c, Pt centre, float w, float h, float angle, Colour accent) {
  float fold = w * 0.3f;
  float x0 = centre.x - w / 2, y0 = centre.y - h / 2, x1 = centre.x + w / 2, y1 = centre.y + h / 2;
  auto rot = [&](std::vector<Pt> pts) {
    for (Pt& p : pts) p = Rotate(p, centre, angle);
    return pts;
  };
  // Shadow.
  FillPolygon(c, rot({{x0 + 1.2f, y0 + 1.2f}, {x1 - fold + 1.2f, y0 + 1.2f}, {x1 + 1.2f, y0 + fold + 1.2f},
                      {x1 + 1.2f, y1 + 1.2f}, {x0 + 1.2f, y1 + 1.2f}}),
              Rgb(60, 60, 50, 0.25f));
  std::vector<Pt> sheet = rot({{x0, y0}, {x1 - fold, y0}, {x1, y0 + fold}, {x1, y1}, {x0, y1}});
  FillPolygon(c, sheet, Rgb(255, 255, 255));
  FillPolygon(c, rot({{x1 - fold, y0}, {x1 - fold, y0 + fold}, {x1, y0 + fold}}), Rgb(200, 204, 214));
  Polyline(c, sheet, 0.8f, Rgb(90, 94, 110), true);
  // Heading bar and text lines.
  Shape s;
  ShapeBegin(s, c);
  ShapeSegment(s, Rotate({x0 + w * 0.18f, y0 + h * 0.22f}, centre, angle),
               Rotate({x1 - fold - w * 0.05f, y0 + h * 0.22f}, centre, angle), h * 0.09f, false);
  Paint(c, s, accent);
  ShapeBegin(s, c);
  for (int k = 0; k < 4; ++k) {
    float y = y0 + h * (0.42f + 0.14f * k);
    float end = x1 - w * (k == 3 ? 0.4f : 0.16f);
    ShapeSegment(s, Rotate({x0 + w * 0.18f, y}, centre, angle), Rotate({end, y}, centre, angle),
                 std::fmax(0.7f, h * 0.055f), false);
  }
  Paint(c, s, Rgb(130, 136, 150));
}

// An open folder; `front` draws the front flap (over anything put inside).
void Folder(Canvas& c, float x0, float y0, float x1, float y1, bool front) {
  const Colour edge = Rgb(150, 104, 20);
  float tab = (x1 - x0) * 0.38f;
  if (!front) {
    std::vector<Pt> back = {{x0, y0 + 4}, {x0 + 2, y0}, {x0 + tab, y0}, {x0 + tab + 4, y0 + 4},
                            {x1, y0 + 4}, {x1, y1}, {x0, y1}};
    Shape s;
    ShapeBegin(s, c);
    ShapePolygon(s, back);
    PaintLinear(c, s, {0, y0}, Rgb(236, 186, 70), {0, y1}, Rgb(200, 142, 30));
    Polyline(c, back, 0.9f, edge, true);
    // Papers already inside.
    FillRect(c, x0 + 4, y0 + 7, x1 - 5, y1 - 4, Rgb(250, 250, 246));
    FillRect(c, x0 + 6, y0 + 9.5f, x1 - 3, y1 - 4, Rgb(238, 240, 244));
    return;
  }
  float fy = y0 + (y1 - y0) * 0.38f;
  std::vector<Pt> flap = {{x0 - 2, fy}, {x1 - 3, fy}, {x1, y1}, {x0, y1}};
  Shape s;
  ShapeBegin(s, c);
  ShapePolygon(s, flap);
  PaintLinear(c, s, {0, fy}, Rgb(255, 216, 110), {0, y1}, Rgb(232, 172, 48));
  Polyline(c, flap, 0.9f, edge, true);
}

// An open cardboard box seen from the front right, flaps open. It is drawn
// in two parts: the inside first, then the front and side over anything
// rising out of it.
struct BoxGeometry {
  float x0, y0, w, h;  // front face
  float dx, dy;        // depth offset of the back edges
};

BoxGeometry MakeBox(float x0, float y0, float w, float h, float depth) {
  return {x0, y0, w, h, depth * 0.8f, depth * 0.5f};
}

const Colour kBoxEdge = {120, 80, 36, 1.0f};

void BoxInside(Canvas& c, const BoxGeometry& b) {
  const float x0 = b.x0, y0 = b.y0, w = b.w, dx = b.dx, dy = b.dy;
  std::vector<Pt> back_flap = {{x0 + dx, y0 - dy}, {x0 + dx + 3, y0 - dy - 9},
                               {x0 + w + dx + 3, y0 - dy - 9}, {x0 + w + dx, y0 - dy}};
  FillPolygon(c, back_flap, Rgb(196, 150, 92));
  Polyline(c, back_flap, 0.8f, kBoxEdge, true);
  FillPolygon(c, {{x0, y0}, {x0 + dx, y0 - dy}, {x0 + w + dx, y0 - dy}, {x0 + w, y0}},
              Rgb(96, 64, 30));
}

void BoxFront(Canvas& c, const BoxGeometry& b) {
  const float x0 = b.x0, y0 = b.y0, w = b.w, h = b.h, dx = b.dx, dy = b.dy;
  std::vector<Pt> front = {{x0, y0}, {x0 + w, y0}, {x0 + w, y0 + h}, {x0, y0 + h}};
  std::vector<Pt> side = {{x0 + w, y0}, {x0 + w + dx, y0 - dy}, {x0 + w + dx, y0 + h - dy},
                          {x0 + w, y0 + h}};
  Shape s;
  ShapeBegin(s, c);
  ShapePolygon(s, front);
  PaintLinear(c, s, {x0, 0}, Rgb(222, 176, 112), {x0 + w, 0}, Rgb(204, 156, 92));
  FillPolygon(c, side, Rgb(178, 132, 74));
  // Tape and a label.
  FillRect(c, x0 + w * 0.42f, y0, x0 + w * 0.58f, y0 + h * 0.35f, Rgb(236, 206, 150));
  FillRect(c, x0 + w * 0.18f, y0 + h * 0.5f, x0 + w * 0.62f, y0 + h * 0.78f, Rgb(250, 248, 240));
  FillRect(c, x0 + w * 0.18f, y0 + h * 0.5f, x0 + w * 0.62f, y0 + h * 0.58f, Rgb(30, 108, 184));
  Polyline(c, front, 0.9f, kBoxEdge, true);
  Polyline(c, side, 0.9f, kBoxEdge, true);
  // Side flap and front flap, folded outwards.
  std::vector<Pt> flap_r = {{x0 + w, y0}, {x0 + w + dx, y0 - dy}, {x0 + w + dx + 8, y0 - dy + 2},
                            {x0 + w + 8, y0 + 3}};
  FillPolygon(c, flap_r, Rgb(190, 144, 84));
  Polyline(c, flap_r, 0.8f, kBoxEdge, true);
  std::vector<Pt> flap_f = {{x0, y0}, {x0 + w, y0}, {x0 + w - 3, y0 + 8}, {x0 - 3, y0 + 8}};
  FillPolygon(c, flap_f, Rgb(232, 190, 128));
  Polyline(c, flap_f, 0.8f, kBoxEdge, true);
}

// A green arrow pointing down, the sign for "coming in".
void DownArrow(Canvas& c, Pt tip, float size) {
  std::vector<Pt> arrow = {{tip.x, tip.y},
                           {tip.x - size * 0.55f, tip.y - size * 0.5f},
                           {tip.x - size * 0.22f, tip.y - size * 0.5f},
                           {tip.x - size * 0.22f, tip.y - size},
                           {tip.x + size * 0.22f, tip.y - size},
                           {tip.x + size * 0.22f, tip.y - size * 0.5f},
                           {tip.x + size * 0.55f, tip.y - size * 0.5f}};
  FillPolygon(c, arrow, Rgb(60, 170, 70));
  Polyline(c, arrow, 0.8f, Rgb(30, 110, 40), true);
}

// A soft shadow on the ground under an object.
void GroundShadow(Canvas& c, Pt centre, float rx, float ry) {
  Shape s;
  ShapeBegin(s, c);
  ShapeEllipse(s, centre, rx, ry);
  PaintRadial(c, s, centre, rx, Rgb(90, 90, 70, 0.30f), Rgb(90, 90, 70, 0.0f));
}

Image Clip1001Frame(int f, int frames) {
  Canvas c;
  CanvasInit(c, 80, 50, kScale, Background());
  GroundShadow(c, {17, 43}, 15, 3);
  GroundShadow(c, {65, 40.5f}, 12, 2.5f);
  float phase = static_cast<float>(f) / frames;
  Monitor(c, 3, 8, 30, 33, 0.5f + 0.5f * std::sin(phase * 2 * kPi * 2));
  GlobeStyle style;
  style.grid_width = 0.5f;
  DrawGlobe(c, {64, 24}, 13, -20.0f + 360.0f * phase, style);

  // Requests travel out over the upper arc, answers come back below.
  const Pt a0{32, 17}, a1{47, 2}, a2{51, 15};
  const Pt b0{50, 31}, b1{42, 41}, b2{32, 29};
  DottedPath(c, a0, a1, a2, 9, 0.5f, Rgb(150, 150, 130, 0.8f));
  DottedPath(c, b0, b1, b2, 7, 0.5f, Rgb(150, 150, 130, 0.8f));
  for (int k = 0; k < 3; ++k) {
    float t = Frac(phase * 2 + k / 3.0f);
    float a = std::sin(t * kPi);
    FillCircle(c, Bezier(a0, a1, a2, t), 2.2f, Rgb(236, 120, 20, 0.35f + 0.65f * a));
    float u = Frac(phase * 2 + k / 3.0f + 1 / 6.0f);
    float b = std::sin(u * kPi);
    FillCircle(c, Bezier(b0, b1, b2, u), 1.9f, Rgb(40, 150, 60, 0.35f + 0.65f * b));
  }
  return Resolve(c);
}

Image Clip1002Frame(int f, int frames) {
  Canvas c;
  CanvasInit(c, 181, 72, kScale, Background());
  float phase = static_cast<float>(f) / frames;
  GlobeStyle style;
  GroundShadow(c, {36, 67}, 22, 3.5f);
  GroundShadow(c, {151, 67}, 25, 3.5f);
  DrawGlobe(c, {34, 37}, 25, 60.0f - 360.0f * phase, style);

  const Pt p0{58, 26}, p1{104, -8}, p2{150, 44};
  DottedPath(c, p0, p1, p2, 16, 0.9f, Rgb(150, 150, 130, 0.7f));
  Folder(c, 128, 28, 172, 66, false);
  // Two documents half a loop apart; each sinks into the folder at the end.
  for (int k = 0; k < 2; ++k) {
    float t = Frac(phase + k * 0.5f);
    float size = 0.75f + 0.35f * std::sin(t * kPi);
    Pt at = Bezier(p0, p1, p2, t);
    Document(c, at, 15 * size, 19 * size, (-18.0f + 30.0f * t) * kPi / 180.0f,
             k ? Rgb(200, 60, 40) : Rgb(30, 108, 184));
  }
  Folder(c, 128, 28, 172, 66, true);
  DownArrow(c, {150, 62}, 12);
  return Resolve(c);
}

Image Clip1003Frame(int f, int frames) {
  Canvas c;
  CanvasInit(c, 267, 85, kScale, Background());
  GroundShadow(c, {52, 79}, 40, 4);
  GroundShadow(c, {226, 80}, 32, 3.5f);
  const BoxGeometry box = MakeBox(18, 46, 48, 32, 20);
  BoxInside(c, box);
  const Pt p0{48, 46}, p1{140, -12}, p2{226, 50};
  DottedPath(c, p0, p1, p2, 24, 0.9f, Rgb(150, 150, 130, 0.7f));
  Folder(c, 198, 32, 252, 78, false);
  // Three files a third of the loop apart, each in the air for two thirds.
  const Colour accents[3] = {Rgb(30, 108, 184), Rgb(40, 150, 60), Rgb(220, 120, 20)};
  const float flight = 2.0f / 3.0f;
  for (int k = 0; k < 3; ++k) {
    float t = Frac(static_cast<float>(f) / frames - k / 3.0f) / flight;
    if (t >= 1.0f) continue;
    float size = 0.8f + 0.35f * std::sin(t * kPi);
    Document(c, Bezier(p0, p1, p2, t), 15 * size, 19 * size, (-25.0f + 45.0f * t) * kPi / 180.0f,
             accents[k]);
  }
  BoxFront(c, box);
  Folder(c, 198, 32, 252, 78, true);
  return Resolve(c);
}

}  // namespace

bool MakeClip(int id, AviClip& clip) {
  int frames;
  Image (*draw)(int, int);
  switch (id) {
    case 1001:
      frames = 29;
      clip.microseconds_per_frame = 166666;
      draw = Clip1001Frame;
      break;
    case 1002:
      frames = 25;
      clip.microseconds_per_frame = 120000;
      draw = Clip1002Frame;
      break;
    case 1003:
      frames = 51;
      clip.microseconds_per_frame = 80000;
      draw = Clip1003Frame;
      break;
    default:
      return false;
  }
  std::vector<Image> pictures;
  for (int f = 0; f < frames; ++f) pictures.push_back(draw(f, frames));
  return QuantizeFrames(pictures, kClipBackground, clip.video);
}

}  // namespace art
