#pragma once
// What a load tells: its progress and the user's stop as it goes, and what
// it substituted and found besides its result.

#include <cstdint>
#include <string>
#include <vector>

#include "elevation/tileerror.h"

// A substitution a load made (LoadNoteMessage gives its text).
struct LoadNote {
    LoadNoteKind kind;
    int cell;  // of the 3 x 3 around the opened tile, row-major from the north-west
    std::string file;
    TileError why = TileError::None;  // the file's refusal, where one made the note
};

// What a load found besides its result, for the viewer's status line and
// the tool's messages.
struct LoadReport {
    // Samples of the tiles read that are voids: the products' markers, a
    // file's own no-data value, and values out of any land's range or no
    // number at all (voidrule.h).
    uint64_t voidSamples = 0;
    std::vector<LoadNote> notes;
};

// What the loading window hears of a load.
struct LoadListener {
    virtual ~LoadListener() = default;
    virtual void Started() { }  // the name passed; the work begins
    virtual void Progressed(int) { }  // the progress counter's new value
    // Asked at every step of a load (pieces of each read, stretches of rows
    // of each pass); true stops the load. The load may be on a thread of
    // its own.
    virtual bool Cancelled() { return false; }

    // Filled in by the load, from empty: read it once the load has returned.
    LoadReport report;
};
