// Box-filter resampling of a picture into another of a given size, in two
// separable passes (columns, then rows). World generation makes its small
// map pictures with it.
#pragma once

#include "Image_Files.h"

// Resamples `source` into `destination`, whose current width and height are
// the target size. Both are treated as 24-bit pictures: alpha is ignored in
// the source and every destination pixel is opaque. Raises EGlobarch_Error
// "Source bitmap too small" when the source is narrower or lower than one
// pixel, before anything is changed. A destination of width or height 0 is
// left without pixels.
void Bitmap_Interpolated_Shrink(const TImage& source, TImage& destination);
