// The visitors' four push buttons, wired to the status lines of the first parallel port.
#pragma once

#include <cstdint>

// Which button the status register shows held: 1 to 4, 0 for none; with several held, the lowest wins.
int DecodeButtonPanel(uint8_t status);

// Reads the status register anew on every call. Without an open port session the port is not touched
// and no button is reported.
int ReadButtonPanel();
