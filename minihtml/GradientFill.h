#pragma once

#include "minihtml/Canvas.h"

// Fills rect with steps bands (0 counts as 1) running from the colour from to the colour to, left to right
// when horizontal, else top to bottom. Both colours are resolved to RGB first. Band i takes each channel
// from + round(i * (to - from) / steps) and starts at round(i * extent / steps) from the leading edge,
// reaching (exclusive) the smaller of the far edge and start + trunc(extent / steps) + 1; rounding goes half
// to even. The last band never reaches the colour to. Leaves the canvas pen and brush in the last band's
// colour.
void GradientFill(Canvas& canvas, TColor from, TColor to, bool horizontal, const MiniHtmlRect& rect,
                  int steps);

// Nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4, -0.5 gives 0).
int RoundHalfEven(double value);
