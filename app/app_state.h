#pragma once
#include <windows.h>

#include "app/earlier_report.h"
#include "drivers/driver_table.h"
#include "program/application.h"
#include "render/gl_surface.h"

// The dialog window and the controls the program talks to.
class MainDialog {
public:
    HWND dialog = nullptr;
    HWND sceneControl = nullptr;
    HWND infoText = nullptr;
    HWND extensionList = nullptr;
    HWND driverList = nullptr;
    // The program "Check a program..." read last; Copy and Save include it
    // until the dialog closes.
    bool programChecked = false;
    ApplicationFacts checkedProgram;
    // The report "Compare with a saved report..." read; Copy and Save say
    // what changed since it until the dialog closes.
    bool comparing = false;
    EarlierReport earlierReport;

    // Looks the controls up and makes the scene control the cube's view.
    int bindControls();
};

// Program-wide state: one thread, one dialog, all of it lives for the whole run.
extern MainDialog g_mainDialog;
extern HINSTANCE g_instance;
extern HCURSOR g_sizeAllCursor;
extern GlSurface g_surface;
extern DriverTable g_driverTable;

// How the dialog is started, and how its start went: handed to dialogInit as
// the dialog's initialisation value, so that its result reaches the entry and
// the script as a result.
struct DialogStart {
    bool script = false;  // --report or --json: the dialog is never shown and no box may appear
    bool failed = false;  // no OpenGL surface could be bound
};

// lparam at WM_INITDIALOG: a DialogStart, or none (an interactive start).
INT_PTR CALLBACK dialogInit(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK dialogWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
