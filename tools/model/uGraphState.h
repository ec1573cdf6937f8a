#pragma once
// The view of one function graph: picture size, where the world sits on the
// picture, how many world units one pixel spans, and how the x axis is
// labelled. Pixel arithmetic is done in long double and only turned into a
// 32-bit pixel after a range check, so a view far from the origin (the axis
// 40 000 pixels below the picture, say) never overflows.
#include "platform/SysUtils.h"

#include <QtGlobal>

#include <cmath>

struct TGraphState
{
    qint32 Width = 0; // picture size in pixels
    qint32 Height = 0;
    // World offsets: column px shows x = px * ScaleX - OriginX; a world y
    // lies on row Height - Round((y + OriginY) / ScaleY) - 1 (rows count
    // downward).
    Extended OriginX = 0;
    Extended OriginY = 0;
    Extended ScaleX = 0.025L; // world units per pixel
    Extended ScaleY = 0.025L;
    bool Goniometric = false; // x labels and grid in multiples of pi
    Extended GridStepX = 1;   // in units of XLabelUnit
    Extended GridStepY = 1;   // in world units
    Extended XLabelUnit = 1;  // 1, or pi in goniometric mode

    Extended XAtPixel(Extended px) const { return px * ScaleX - OriginX; }
    // Py counted upward from the bottom row.
    Extended YAtPixel(Extended py) const { return py * ScaleY - OriginY; }
    qint32 FlipY(qint32 py) const { return Height - py - 1; }

    // The unrounded column of world x and the unrounded height above the
    // bottom row of world y.
    Extended ColumnOf(Extended x) const { return (x + OriginX) / ScaleX; }
    Extended LevelOf(Extended y) const { return (y + OriginY) / ScaleY; }
};

// World values become whole pixels by rounding halves up (toward larger
// columns and higher levels), one rule for curves, axes and grid lines, so
// that a line through the origin meets the axes' crossing pixel. A default
// view puts the origin exactly between two pixels, where rounding noise
// alone would otherwise pick either neighbour; a value within 1/65536 of a
// pixel of a half counts as the half.
inline Extended RoundPixel(Extended value)
{
    return std::floor(value + 0.5L + 1.0L / 65536);
}

// Rounds a pixel value; anything beyond +-Limit (and NaN) becomes the
// limit itself, so comparisons with a picture's edges stay right.
inline qint32 ClampPixel(Extended value, qint32 limit = 1 << 30)
{
    if (std::isnan(value))
        return limit;
    if (value <= -Extended(limit))
        return -limit;
    if (value >= Extended(limit))
        return limit;
    return qint32(RoundPixel(value));
}
