#pragma once
// The language of the windows, messages and readouts: Japanese, the language
// the viewer is written in, or English from the translation built into it.
// The choice itself is shared with vantorel-render (overlays/translation.h).

#include "overlays/translation.h"
#include "places/matching.h"

// The language the windows speak now, for the names on the labels.
Language WindowLanguage();
