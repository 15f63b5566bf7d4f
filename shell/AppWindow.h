// The program's one window, its OpenGL context, the key table and the frame loop that drives
// start-up, the per-frame update, the drawing and the buffer swap. Depends on platform/ for the window.
#pragma once

// Current client size in pixels; also the scale of every screen-space overlay.
extern float viewWidth;
extern float viewHeight;
