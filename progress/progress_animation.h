// The animation the worker plays in the progress dialog while it connects,
// downloads and installs.
#ifndef ZELTA_PROGRESS_PROGRESS_ANIMATION_H
#define ZELTA_PROGRESS_PROGRESS_ANIMATION_H

#include <windows.h>

// Lays the animation control over a dialog item and plays a clip. Does
// nothing while there is no progress dialog.
void StartAnimation(int item, WORD clip);

// Stops the animation and plays another clip on the same control.
void SwitchAnimation(WORD clip);

// The control, or null while there is none: the dialog paints its
// background in the animation's colour.
HWND ProgressAnimation();

// Closes the clip and forgets the control, which goes with its dialog.
void CloseProgressAnimation();

#endif
