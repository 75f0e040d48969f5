#pragma once
// The rule every column of a frame follows, in whichever layout it is filled.
// A column remembers the highest row drawn so far (its top) and the colour
// last met. A point below the top is hidden by nearer terrain and only leaves
// its colour, the start of the column's next gradient. A point at or above
// the top rises the column to it: the old top row is blended half and half
// with the colour last met, the rows between take a gradient from that colour
// to the point's, and the point's row takes its colour, depth and height. A
// column first touched above the bottom row shows sky below its first
// terrain. A rise never climbs more than kMaxSpanRows rows.

#include <cstdint>

#include "render/gradient.h"

inline constexpr int32_t kMaxSpanRows = 128;  // one span never rises further

inline constexpr uint32_t kBottomRowColour = 0x808080;
// Top byte of ColumnColour while no sample has touched the column this frame.
inline constexpr uint32_t kUntouchedColumn = 0x99FFFFFF;

// How a rise of a column to row y starts, the same in either layout: the
// column's top and last colour move on, and the rise's rows are bounded.
struct RiseStart {
    // First touched above the bottom row: the rows below show sky. The
    // sample's own row starts as sky as well, so that the blend below mixes
    // only pixels of this frame, never what an earlier frame left.
    bool firstTouch;
    int32_t t;  // the row the rise starts from, blended half and half with prev
    int32_t y;  // the rise's top, at most kMaxSpanRows above t
    int32_t count;  // t - y
    uint32_t prev;  // the colour the rise's gradient starts from
};

inline RiseStart StartRise(int32_t& top, uint32_t& lastColour, int32_t y, uint32_t colour, int32_t bottom)
{
    RiseStart rise{top == bottom && (lastColour >> 24) == (kUntouchedColumn >> 24), top, y, 0, 0};
    if (rise.firstTouch)
        rise.t = y;
    rise.count = rise.t - y;
    if (rise.count > kMaxSpanRows) {
        rise.count = kMaxSpanRows;
        rise.y = rise.t - kMaxSpanRows;
    }
    if (top > rise.y)
        top = rise.y;
    rise.prev = lastColour & kRgbMask;
    lastColour = colour;
    return rise;
}
