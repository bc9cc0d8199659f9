#pragma once
#include <windows.h>

// What a screen reader, a keyboard user and a high-contrast theme need of the
// dialog, added to it without changing how it looks otherwise.

// Posted to the dialog once its first frame is out: the labels are made then,
// so that start-up makes only what the first frame needs.
constexpr UINT kMakeLabelsMessage = WM_APP + 1;

// Called while the dialog is initialised: hooks the scene control's first
// frame, its WM_GETOBJECT and its end, and takes the theme's colours.
void prepareAccessibility(HWND dialog);

// kMakeLabelsMessage: a hidden static label just before the scene control and
// one just before the extension list in the window order, which name them as
// Windows' accessibility names a control after the label before it
// ("Rendering test", "Extensions (322)"); the list's own text says the same,
// for readers that name list boxes by it.
void makeLabels(HWND dialog);

// WM_SYSCOLORCHANGE (prepareAccessibility does the same at start, where
// nothing is painted yet): under a high-contrast theme the frames are cleared
// to the theme's window colour, otherwise black as always; the dialog is
// painted again in its new colours.
void followColourScheme(HWND dialog);
