#include "app/app_state.h"
#include "drivers/driver_list.h"
#include "res/resource.h"

MainDialog g_mainDialog;
HINSTANCE g_instance = nullptr;
HCURSOR g_sizeAllCursor = nullptr;
// Its destructor releases the context once more at process exit.
GlSurface g_surface;
DriverTable g_driverTable;
bool g_startupFailed = false;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    loadDriverTable(g_driverTable);
    g_instance = instance;
    g_sizeAllCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32646));  // IDC_SIZEALL
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, dialogInit, 0);
    // A script can tell from the exit code whether OpenGL works on this machine.
    return g_startupFailed ? 1 : 0;
}
