// The installer's pictures: the title window's background, the emblem
// painted onto it, the two icons and the progress dialog's animation clips.
#ifndef ZELTA_TOOLS_ART_PICTURES_H
#define ZELTA_TOOLS_ART_PICTURES_H

#include "tools/art/avi.h"
#include "tools/art/canvas.h"
#include "tools/art/palette.h"

namespace art {

// Background "ZeltaWin", 600 x 350, opaque; light where the title texts go.
Image DrawTitleBackground();

// Emblem "ZeltaBas", 284 x 157, opaque, on white (it is ANDed onto the
// background).
Image DrawEmblem();

// Icons, square, with alpha: "ZeltaEarth" (a globe) and "ZeltaWin" (a set
// square in front of a house).
Image DrawEarthIcon(int size);
Image DrawProductIcon(int size);

// The colour around every clip picture; the control shows its parent's
// background there (its first frame's top-left pixel).
extern const PaletteEntry kClipBackground;

// Clip 1001, 1002 or 1003 of the progress dialog. False for another id.
bool MakeClip(int id, AviClip& clip);

}  // namespace art

#endif
