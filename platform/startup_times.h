#pragma once
// When each phase of start-up was reached, for the benchmark: the entry, the
// dialog's initialisation, the OpenGL context made, the first frame swapped.
// Only where GRI_STARTUP_TIMES names a file (the benchmark sets it) are they
// noted, and written there once the first frame is out, as lines of
// "phase ticks" in QueryPerformanceCounter's ticks, with "frequency" first.
// Otherwise each call costs a test of one flag.
enum class StartupPhase { Entry, Dialog, Context, Frame };

// At the entry: whether to note them at all.
void startStartupTimes();
void noteStartup(StartupPhase phase);
