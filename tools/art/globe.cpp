#include "tools/art/globe.h"

#include <cmath>
#include <vector>

namespace art {

namespace {

const float kDeg = 3.14159265f / 180.0f;
const float kTilt = 18.0f * kDeg;

struct LonLat {
  float lon, lat;
};

// Coarse outlines, longitude and latitude in degrees: enough to read as land
// at icon and clip sizes.
const std::vector<std::vector<LonLat>>& Continents() {
  static const std::vector<std::vector<LonLat>> land = {
      // North America
      {{-165, 65}, {-150, 71}, {-125, 70}, {-95, 73}, {-82, 66}, {-78, 58}, {-62, 58},
       {-56, 50}, {-66, 44}, {-76, 37}, {-81, 31}, {-80, 25}, {-90, 29}, {-97, 26},
       {-97, 19}, {-90, 16}, {-84, 10}, {-78, 8}, {-86, 14}, {-105, 21}, {-112, 29},
       {-117, 33}, {-124, 41}, {-124, 48}, {-133, 56}, {-148, 60}, {-158, 57}},
      // Greenland
      {{-55, 60}, {-43, 60}, {-20, 70}, {-22, 81}, {-45, 83}, {-66, 80}, {-72, 77}},
      // South America
      {{-80, 9}, {-72, 12}, {-60, 10}, {-51, 4}, {-45, -1}, {-35, -6}, {-39, -15},
       {-41, -23}, {-48, -27}, {-57, -36}, {-65, -42}, {-68, -53}, {-74, -52},
       {-73, -40}, {-71, -28}, {-70, -18}, {-76, -14}, {-81, -5}},
      // Europe and Asia
      {{-9, 37}, {-9, 43}, {-2, 47}, {2, 51}, {8, 54}, {5, 59}, {10, 64}, {18, 69},
       {28, 71}, {42, 67}, {60, 69}, {72, 73}, {90, 76}, {110, 77}, {130, 72},
       {150, 71}, {170, 69}, {178, 66}, {172, 61}, {160, 59}, {156, 51}, {143, 53},
       {138, 46}, {130, 42}, {127, 38}, {121, 37}, {122, 31}, {119, 25}, {110, 21},
       {108, 15}, {105, 9}, {101, 3}, {98, 8}, {97, 16}, {92, 22}, {87, 21}, {80, 15},
       {77, 8}, {73, 17}, {72, 22}, {66, 25}, {57, 25}, {56, 27}, {50, 30}, {48, 29},
       {52, 24}, {56, 25}, {59, 22}, {52, 16}, {44, 13}, {39, 21}, {35, 28}, {35, 33},
       {36, 36}, {28, 37}, {26, 40}, {23, 38}, {21, 40}, {19, 42}, {13, 45}, {18, 40},
       {16, 38}, {12, 42}, {8, 44}, {3, 43}, {-1, 39}, {-5, 36}},
      // Africa
      {{-17, 15}, {-16, 22}, {-10, 29}, {-6, 35}, {10, 37}, {20, 32}, {32, 31}, {35, 28},
       {39, 20}, {43, 12}, {51, 11}, {48, 4}, {40, -4}, {40, -15}, {35, -24},
       {32, -29}, {26, -34}, {19, -35}, {15, -27}, {12, -17}, {13, -6}, {9, 1},
       {8, 4}, {-3, 5}, {-8, 4}, {-13, 8}},
      // Australia
      {{114, -22}, {122, -18}, {130, -12}, {137, -12}, {142, -11}, {146, -19},
       {153, -26}, {150, -37}, {144, -39}, {138, -35}, {131, -31}, {121, -34},
       {115, -34}},
      // Madagascar
      {{44, -25}, {47, -25}, {50, -15}, {49, -12}, {44, -17}},
      // Japan
      {{130, 31}, {134, 34}, {140, 35}, {142, 40}, {141, 45}, {139, 40}, {135, 35}},
      // Great Britain
      {{-5, 50}, {1, 51}, {0, 54}, {-3, 58}, {-6, 57}, {-3, 54}},
  };
  return land;
}

struct Bounds {
  float lon0, lat0, lon1, lat1;
};

// Per continent, so most samples skip the edge walk.
const std::vector<Bounds>& ContinentBounds() {
  static const std::vector<Bounds> bounds = [] {
    std::vector<Bounds> out;
    for (const auto& poly : Continents()) {
      Bounds b{180, 90, -180, -90};
      for (const LonLat& p : poly) {
        b.lon0 = std::fmin(b.lon0, p.lon);
        b.lat0 = std::fmin(b.lat0, p.lat);
        b.lon1 = std::fmax(b.lon1, p.lon);
        b.lat1 = std::fmax(b.lat1, p.lat);
      }
      out.push_back(b);
    }
    return out;
  }();
  return bounds;
}

bool InPolygon(const std::vector<LonLat>& poly, float lon, float lat) {
  bool in = false;
  size_t n = poly.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const LonLat& a = poly[i];
    const LonLat& b = poly[j];
    if ((a.lat > lat) != (b.lat > lat) &&
        lon < (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat) + a.lon) {
      in = !in;
    }
  }
  return in;
}

// View position (unit disc, y down) to longitude and latitude.
bool Unproject(float nx, float ny, float lon0, float* lon, float* lat) {
  float d = nx * nx + ny * ny;
  if (d >= 1.0f) return false;
  float nz = std::sqrt(1.0f - d);
  float up = -ny;
  // Undo the tilt about the horizontal axis.
  float up0 = up * std::cos(kTilt) + nz * std::sin(kTilt);
  float z0 = -up * std::sin(kTilt) + nz * std::cos(kTilt);
  *lat = std::asin(std::fmax(-1.0f, std::fmin(1.0f, up0))) / kDeg;
  float l = lon0 + std::atan2(nx, z0) / kDeg;
  while (l >= 180.0f) l -= 360.0f;
  while (l < -180.0f) l += 360.0f;
  *lon = l;
  return true;
}

// Longitude and latitude to the view; false on the far side.
bool Project(float lon, float lat, float lon0, Pt centre, float r, Pt* out) {
  float la = lat * kDeg, lo = (lon - lon0) * kDeg;
  float x = std::cos(la) * std::sin(lo);
  float up0 = std::sin(la);
  float z0 = std::cos(la) * std::cos(lo);
  float up = up0 * std::cos(kTilt) - z0 * std::sin(kTilt);
  float z = up0 * std::sin(kTilt) + z0 * std::cos(kTilt);
  out->x = centre.x + r * x;
  out->y = centre.y - r * up;
  return z > 0.0f;
}

void GridLine(Shape& s, const std::vector<LonLat>& line, float lon0, Pt centre, float r,
              float width) {
  std::vector<Pt> run;
  for (const LonLat& p : line) {
    Pt q;
    if (Project(p.lon, p.lat, lon0, centre, r, &q)) {
      run.push_back(q);
    } else {
      if (run.size() > 1) ShapePolyline(s, run, width);
      run.clear();
    }
  }
  if (run.size() > 1) ShapePolyline(s, run, width);
}

}  // namespace

void DrawGlobe(Canvas& c, Pt centre, float r, float lon0, const GlobeStyle& style) {
  const Pt light{centre.x - r * 0.35f, centre.y - r * 0.4f};
  Shape s;
  ShapeBegin(s, c);
  ShapeCircle(s, centre, r);
  PaintRadial(c, s, light, r * 1.45f, Rgb(120, 196, 248), Rgb(16, 70, 160));

  ShapeBegin(s, c);
  ShapeWhere(s, centre.x - r, centre.y - r, centre.x + r, centre.y + r, [&](float x, float y) {
    float lon, lat;
    if (!Unproject((x - centre.x) / r, (y - centre.y) / r, lon0, &lon, &lat)) return false;
    const auto& land = Continents();
    const auto& bounds = ContinentBounds();
    for (size_t k = 0; k < land.size(); ++k) {
      const Bounds& b = bounds[k];
      if (lon < b.lon0 || lon > b.lon1 || lat < b.lat0 || lat > b.lat1) continue;
      if (InPolygon(land[k], lon, lat)) return true;
    }
    return false;
  });
  PaintRadial(c, s, light, r * 1.45f, Rgb(150, 214, 110), Rgb(40, 118, 48));

  if (style.grid_width > 0 && style.grid_step > 0) {
    ShapeBegin(s, c);
    for (int lat = -90 + style.grid_step; lat < 90; lat += style.grid_step) {
      std::vector<LonLat> line;
      for (int lon = -180; lon <= 180; lon += 4) line.push_back({float(lon), float(lat)});
      GridLine(s, line, lon0, centre, r, style.grid_width);
    }
    for (int lon = -180; lon < 180; lon += style.grid_step) {
      std::vector<LonLat> line;
      for (int lat = -88; lat <= 88; lat += 4) line.push_back({float(lon), float(lat)});
      GridLine(s, line, lon0, centre, r, style.grid_width);
    }
    Paint(c, s, Rgb(235, 245, 255, 0.45f));
  }

  if (style.highlight) {
    ShapeBegin(s, c);
    ShapeCircle(s, centre, r);
    PaintRadial(c, s, light, r * 0.9f, Rgb(255, 255, 255, 0.45f), Rgb(255, 255, 255, 0.0f));
  }
  if (style.rim_width > 0) StrokeCircle(c, centre, r - style.rim_width / 2, style.rim_width, Rgb(14, 52, 112));
}

}  // namespace art
