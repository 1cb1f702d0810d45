// A program planted where a bare program name would be looked for: the
// application's folder or the current folder.
#include "tests/probe/planted_marker.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LeaveRanMarker(nullptr);
    return 0;
}
