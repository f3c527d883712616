// Pointer positions of a toolkit that works in device-independent pixels
// (a window's device pixel ratio times them gives the display's physical
// pixels) brought to the dialog's layout. Portable.
#pragma once

namespace tintra {

// The layout DPI of a window with device pixel ratio `ratio`: 96 x ratio,
// rounded to the nearest (the layout model holds it to its own range).
int DpiOfPixelRatio(double ratio);

// The physical pixel that holds a device-independent coordinate: the
// coordinate times the ratio, rounded down. Positions that came from a
// physical pixel divided by the ratio land on that pixel again, although
// the division was not exact. Saturates at the int range; not-a-number
// gives -1.
int PhysicalPixelOf(double device_independent, double ratio);

}  // namespace tintra
