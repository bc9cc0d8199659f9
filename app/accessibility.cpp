#include "app/accessibility.h"

#include <objbase.h>
#include <oleacc.h>

#include <string>

#include "app/app_state.h"
#include "platform/system_library.h"
#include "platform/unique.h"
#include "platform/utf.h"
#include "render/frame_check.h"
#include "render/frame_reader.h"
#include "render/scene_control.h"
#include "res/resource.h"

namespace {

HWND s_dialog = nullptr;

// Written out here rather than linked: the program links no COM libraries.
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
const GUID kDescription = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

// The annotation service, while the scene control is annotated; its COM
// apartment is left when it goes.
UniqueCom<IAccPropServices> s_annotations;
bool s_annotated = false;
bool s_comStarted = false;

// The rendering test's result in words, for the scene control's description.
std::wstring testedWords() {
    const SceneState& scene = sceneState();
    const FrameReading reading = readFrame(g_surface, scene.angleX, scene.angleY, true);
    if (reading.state != FrameReading::State::Read) return L"not run";
    const FrameJudgement judged = judgeFrame(reading.samples);
    return judged.kind == FrameJudgement::Kind::Passed ? std::wstring(L"passed") : L"failed: " + utf8ToWide(judged.detail);
}

// The scene control is a static whose own text says nothing: Dynamic
// Annotation names it where the system offers it, when a reader first asks.
void annotate(HWND control) {
    if (s_annotated) return;
    s_annotated = true;
    using CoInitializeEx = HRESULT(WINAPI*)(LPVOID, DWORD);
    using CoCreateInstance = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto initialize = systemFunction<CoInitializeEx>(L"ole32.dll", "CoInitializeEx");
    const auto create = systemFunction<CoCreateInstance>(L"ole32.dll", "CoCreateInstance");
    if (initialize == nullptr || create == nullptr) return;
    s_comStarted = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices, reinterpret_cast<void**>(s_annotations.put())))) {
        s_annotations.reset();
        return;
    }
    const std::wstring description = L"a lit cube, turned by dragging or with Ctrl and the arrow keys; " + testedWords();
    // Where it answers E_NOTIMPL (Wine does), the hidden label names it instead.
    s_annotations.get()->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kName, L"Rendering test");
    s_annotations.get()->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kDescription, description.c_str());
}

void clearAnnotation(HWND control) {
    if (s_annotations) {
        const GUID props[] = {kName, kDescription};
        s_annotations.get()->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 2);
        s_annotations.reset();
    }
    using CoUninitialize = void(WINAPI*)();
    const auto uninitialize = systemFunction<CoUninitialize>(L"ole32.dll", "CoUninitialize");
    if (s_comStarted && uninitialize != nullptr) uninitialize();
    s_comStarted = false;
}

void labelAfterFirstFrame() { PostMessageA(s_dialog, kMakeLabelsMessage, 0, 0); }

// A label that shows nothing and takes no tab stop, placed just before `control`.
void labelBefore(HWND dialog, HWND control, int id, const std::wstring& text) {
    HWND label = GetDlgItem(dialog, id);
    if (label == nullptr) {
        label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | SS_LEFT, 0, 0, 0, 0, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    } else {
        SetWindowTextW(label, text.c_str());
    }
    if (label == nullptr) return;
    HWND before = GetWindow(control, GW_HWNDPREV);
    SetWindowPos(label, before != nullptr ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Under a high-contrast theme the frames are cleared to the theme's window
// colour, otherwise black as always.
void clearInTheSchemesColour() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    const bool high = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    if (high) {
        setSceneBackground(GetRValue(window) / 255.0f, GetGValue(window) / 255.0f, GetBValue(window) / 255.0f);
    } else {
        setSceneBackground(0.0f, 0.0f, 0.0f);
    }
}

}  // namespace

void prepareAccessibility(HWND dialog) {
    s_dialog = dialog;
    SceneHooks hooks;
    hooks.firstFrameShown = labelAfterFirstFrame;
    hooks.accessibleObjectAsked = annotate;
    hooks.destroying = clearAnnotation;
    setSceneHooks(hooks);
    // The dialog is not shown yet: it is painted in the scheme's colours anyway.
    clearInTheSchemesColour();
}

void makeLabels(HWND dialog) {
    labelBefore(dialog, g_mainDialog.sceneControl, IDC_SCENE_LABEL, L"Rendering test");
    const LRESULT rows = SendMessageW(g_mainDialog.extensionList, LB_GETCOUNT, 0, 0);
    const std::wstring extensions = L"Extensions (" + std::to_wstring(rows < 0 ? 0 : rows) + L")";
    labelBefore(dialog, g_mainDialog.extensionList, IDC_EXTENSION_LABEL, extensions);
    SetWindowTextW(g_mainDialog.extensionList, extensions.c_str());
}

void followColourScheme(HWND dialog) {
    clearInTheSchemesColour();
    RedrawWindow(dialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
