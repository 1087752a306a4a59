// A small raster painter for the installer's pictures: shapes are collected
// as coverage masks on a supersampled surface and painted with a colour or a
// gradient; resolving averages the samples, which gives smooth edges.
#ifndef ZELTA_TOOLS_ART_CANVAS_H
#define ZELTA_TOOLS_ART_CANVAS_H

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

struct Pt {
  float x, y;
};

// Straight (not premultiplied) colour, channels 0..255, alpha 0..1.
struct Colour {
  float r, g, b, a;
};

Colour Rgb(int r, int g, int b, float a = 1.0f);
Colour Mix(Colour c0, Colour c1, float t);

// The finished picture: 8-bit RGBA, rows top-down, alpha straight.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Supersampled working surface; coordinates are in output pixels, so (0,0)
// is the top-left corner of the first pixel and (0.5,0.5) its centre.
struct Canvas {
  int width = 0;
  int height = 0;
  int scale = 1;                  // samples per pixel along each axis
  std::vector<float> px;          // premultiplied RGBA per sample
};

// A coverage mask over a canvas' samples with the box that holds its bits.
struct Shape {
  int sw = 0, sh = 0, scale = 1;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // touched samples, half-open
  std::vector<uint8_t> on;
};

bool CanvasInit(Canvas& c, int width, int height, int scale, Colour fill);
Image Resolve(const Canvas& c);

void ShapeBegin(Shape& s, const Canvas& c);
// Even-odd fill of one or more closed contours (holes are contours too).
void ShapePolygon(Shape& s, const std::vector<std::vector<Pt>>& contours, bool on = true);
void ShapePolygon(Shape& s, const std::vector<Pt>& contour, bool on = true);
void ShapeRect(Shape& s, float x0, float y0, float x1, float y1, bool on = true);
void ShapeEllipse(Shape& s, Pt c, float rx, float ry, bool on = true);
void ShapeCircle(Shape& s, Pt c, float r, bool on = true);
void ShapeRing(Shape& s, Pt c, float r, float width, bool on = true);
// A thick segment; round ends make joined segments look continuous.
void ShapeSegment(Shape& s, Pt a, Pt b, float width, bool round_ends = true, bool on = true);
void ShapePolyline(Shape& s, const std::vector<Pt>& pts, float width, bool closed = false);
// Rectangle with rounded corners of radius r.
void ShapeRoundRect(Shape& s, float x0, float y0, float x1, float y1, float r, bool on = true);
// Every sample in the box whose centre satisfies `inside` (pixel coordinates).
void ShapeWhere(Shape& s, float x0, float y0, float x1, float y1,
                const std::function<bool(float, float)>& inside);
// Elliptic arc outline from angle a0 to a1 (radians, y grows downwards).
void ShapeArc(Shape& s, Pt c, float rx, float ry, float a0, float a1, float width);

void Paint(Canvas& c, const Shape& s, Colour col);
// Linear gradient from colour c0 at p0 to c1 at p1, clamped beyond them.
void PaintLinear(Canvas& c, const Shape& s, Pt p0, Colour c0, Pt p1, Colour c1);
// Radial gradient: c0 at the centre, c1 at radius r and beyond.
void PaintRadial(Canvas& c, const Shape& s, Pt centre, float r, Colour c0, Colour c1);

// One-call conveniences.
void FillRect(Canvas& c, float x0, float y0, float x1, float y1, Colour col);
void FillPolygon(Canvas& c, const std::vector<Pt>& pts, Colour col);
void FillCircle(Canvas& c, Pt centre, float r, Colour col);
void FillEllipse(Canvas& c, Pt centre, float rx, float ry, Colour col);
void StrokeCircle(Canvas& c, Pt centre, float r, float width, Colour col);
void Line(Canvas& c, Pt a, Pt b, float width, Colour col);
void Polyline(Canvas& c, const std::vector<Pt>& pts, float width, Colour col, bool closed = false);
// Dashed line: dash and gap lengths in pixels.
void DashedLine(Canvas& c, Pt a, Pt b, float width, float dash, float gap, Colour col);
// Dimension line with small arrow heads at both ends.
void DimensionLine(Canvas& c, Pt a, Pt b, float width, float head, Colour col);

// Flattened curves for outlines.
std::vector<Pt> ArcPoints(Pt c, float rx, float ry, float a0, float a1, int steps);

}  // namespace art

#endif
