// The visitors' four push buttons, wired to the status lines of the first parallel port.
// Depends on nothing yet.
#pragma once

#include <cstdint>

// Which button the status register shows held: 1 to 4, 0 for none; with several held, the lowest wins.
int DecodeButtonPanel(uint8_t status);

