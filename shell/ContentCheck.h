// The operator's check of new content before a show: every file the show opens, opened with the
// show's own loaders, with a verdict for each. Needs no display and no sound device.
#pragma once

#include "render/ShadeRamp.h"

#include <ostream>
#include <string>

struct ContentReport {
    std::string path;    // where the file was looked for, as found
    std::string problem; // empty when the file is usable
    // The file could not be opened or read at all (as opposed to holding something wrong).
    bool unreadable = false;
};

// The shading ramp: it must open, read, and hold at least one value. Fills the ramp as start-up does.
ContentReport CheckShadeRamp(float ramp[kShadeRampSize][3]);

// Checks the shading ramp, then every picture, movie and music track of the scenes, in the order a
// visitor meets them (pictures decoded, movies decoded at their first and last frame, tracks decoded
// whole), and prints one line per file as it is checked ("path: OK" or "path: what is wrong"); 0 when
// every file is usable, else 1.
int PrintContentCheck(std::ostream& out);
