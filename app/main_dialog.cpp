#include <cstdlib>

#include "app/accessibility.h"
#include "app/app_state.h"
#include "app/check_program.h"
#include "app/compare_report.h"
#include "app/copy_report.h"
#include "app/save_report.h"
#include "drivers/driver_registry.h"
#include "info/info_controls.h"
#include "platform/startup_times.h"
#include "platform/unique.h"
#include "render/scene_control.h"
#include "report/facts.h"
#include "res/resource.h"

int MainDialog::bindControls() {
    sceneControl = GetDlgItem(dialog, IDC_SCENE_CONTROL);
    bindSceneControl(sceneControl, &g_surface);
    infoText = GetDlgItem(dialog, IDC_INFO_TEXT);
    extensionList = GetDlgItem(dialog, IDC_EXTENSION_LIST);
    driverList = GetDlgItem(dialog, IDC_DRIVER_LIST);
    return 1;
}

INT_PTR CALLBACK dialogInit(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_INITDIALOG) return 0;
    DialogStart* start = reinterpret_cast<DialogStart*>(lparam);
    noteStartup(StartupPhase::Dialog);
    g_mainDialog.dialog = dialog;
    g_mainDialog.bindControls();
    // From here on the dialog is handled as a plain window.
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogWindowProc));
    fillDriverList(g_mainDialog.driverList, g_driverTable);

    if (!g_surface.attach(g_mainDialog.sceneControl)) {
        // The dialog is still invisible: the box stands alone, and the quit
        // message ends the modal loop before the dialog is ever shown.
        if (start == nullptr || !start->script) MessageBoxA(nullptr, kInitializationFailed, "OpenGL Error", MB_OK);
        if (start != nullptr) start->failed = true;
        PostQuitMessage(-1);
        return TRUE;
    }
    noteStartup(StartupPhase::Context);
    g_surface.setupProjection(-1, -1, -1.0);
    showRendererInfo(g_mainDialog.infoText);

    HICON icon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_APP_ICON));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    char* extensions = buildExtensionString(true);
    fillExtensionList(g_mainDialog.extensionList, extensions);
    std::free(extensions);
    installCopyShortcuts(dialog);
    prepareAccessibility(dialog);
    return FALSE;
}

namespace {

LRESULT eraseBackground(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    RECT client;
    GetClientRect(window, &client);
    const UniqueBrush brush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(reinterpret_cast<HDC>(wparam), &client, brush.get());
    return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT setCursor(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    POINT pointer;
    GetCursorPos(&pointer);
    if (WindowFromPoint(pointer) == g_mainDialog.sceneControl) {
        SetCursor(g_sizeAllCursor);
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

LRESULT CALLBACK dialogWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DESTROY:
        removeCopyShortcuts();
        g_surface.release();
        PostQuitMessage(0);
        break;
    case WM_ERASEBKGND:
        return eraseBackground(window, message, wparam, lparam);
    case WM_SETCURSOR:
        return setCursor(window, message, wparam, lparam);
    case WM_NEXTDLGCTL:
        // Tab and Shift+Tab: the modal loop asks the dialog to move the focus,
        // which only the dialog manager's own default knows how to do.
        return DefDlgProcA(window, message, wparam, lparam);
    case WM_DPICHANGED:
        // On a monitor of another scale the dialog manager lays the dialog
        // out again (per-monitor awareness); the scene follows its new size.
        return DefDlgProcA(window, message, wparam, lparam);
    case WM_SYSCOLORCHANGE:
        followColourScheme(window);
        break;
    case kMakeLabelsMessage:
        makeLabels(window);
        return 0;
    case WM_CONTEXTMENU:
        showCopyMenu(window, lparam);
        return 0;
    case WM_COMMAND: {
        const WORD id = LOWORD(wparam);
        if (id == IDOK || id == IDCANCEL || id == IDC_CLOSE_COMMAND) {
            g_surface.release();
            EndDialog(window, id);
            return TRUE;
        }
        if (runReportCommand(window, id)) return 0;
        if (id == IDC_DRIVER_LIST && HIWORD(wparam) == LBN_SELCHANGE) {
            const LRESULT row = SendMessageA(g_mainDialog.driverList, LB_GETCURSEL, 0, 0);
            if (row >= 0) switchDriver(g_driverTable, static_cast<int>(row));
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
