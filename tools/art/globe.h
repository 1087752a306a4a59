// A small shaded globe with rough continents, seen from any longitude; the
// clips turn it frame by frame.
#ifndef ZELTA_TOOLS_ART_GLOBE_H
#define ZELTA_TOOLS_ART_GLOBE_H

#include "tools/art/canvas.h"

namespace art {

struct GlobeStyle {
  float grid_width = 0.6f;   // meridians and parallels, in pixels; 0: none
  int grid_step = 30;        // degrees between grid lines
  float rim_width = 1.0f;    // dark outline
  bool highlight = true;     // soft light from the upper left
};

// lon0: the longitude facing the viewer, in degrees; the north pole leans
// slightly towards the viewer.
void DrawGlobe(Canvas& c, Pt centre, float r, float lon0, const GlobeStyle& style);

}  // namespace art

#endif
