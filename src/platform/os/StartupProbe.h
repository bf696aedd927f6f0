#pragma once

// Measurements of the program's start for the whole-program benchmarks: with
// VARO_FIRST_FRAME_FILE set, the wall-clock time (ms since the epoch) of the
// first painted game picture is appended to that file as "first-frame MS".
class StartupProbe {
public:
    // Called when the game picture is painted for the first time.
    static void FirstPicturePainted();
};
