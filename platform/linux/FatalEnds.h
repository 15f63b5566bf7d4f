// The ends that the program cannot survive, said in one line of its own on standard error: a crash, and
// an error from the X server (Xlib's own report is a dump of request numbers). Both are likeliest when
// memory runs out, in the graphics driver or the X library, so the line names a limit on the address
// space when one is set. Not for use outside platform/.
#pragma once

namespace platform::internal {

// Once per process, before the video system starts: SDL's own X error handler passes errors on to
// the one it found in place.
void ReportFatalEnds();

} // namespace platform::internal
