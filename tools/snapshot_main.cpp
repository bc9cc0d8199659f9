// Starts the program, waits for its first frame, saves a PNG of the dialog with
// the scene composed in (Wine keeps a child control's OpenGL frame off screen),
// and closes the program. Usage: snapshot.exe /unix/path/out.png
#include <cstdio>

#include "tests/wine/harness.h"
#include "res/resource.h"

using namespace harness;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: snapshot.exe OUTPUT.png (a Unix path)\n");
        return 2;
    }
    const std::string out = argv[1];
    App app;
    if (!app.start(programPath())) {
        std::fprintf(stderr, "could not start %s\n", programPath().c_str());
        return 1;
    }
    HWND dialog = app.waitForDialog();
    if (dialog == nullptr) {
        std::fprintf(stderr, "the dialog did not appear\n");
        return 1;
    }
    HWND scene = GetDlgItem(dialog, IDC_SCENE_CONTROL);
    Image frame;
    const bool haveFrame = waitForFrame(scene, &frame);
    Sleep(300);  // let the lists finish painting

    RECT window;
    GetWindowRect(dialog, &window);
    POINT sceneOrigin = {0, 0};
    ClientToScreen(scene, &sceneOrigin);
    char command[1024];
    const std::string dialogPng = unixTempPath("dialog.png");
    std::snprintf(command, sizeof command, "import -silent -window root -crop %ldx%ld+%ld+%ld +repage %s",
                  window.right - window.left, window.bottom - window.top, window.left, window.top,
                  dialogPng.c_str());
    int status = -1;
    std::string text = runUnix(command, &status);
    if (status == 0 && haveFrame) {
        const std::string scenePng = unixTempPath("scene.png");
        runUnix("import -silent -window " + findFrameWindow(scene) + " " + scenePng, &status);
        std::snprintf(command, sizeof command, "composite -geometry +%ld+%ld %s %s %s",
                      sceneOrigin.x - window.left, sceneOrigin.y - window.top, scenePng.c_str(),
                      dialogPng.c_str(), out.c_str());
        if (status == 0) text = runUnix(command, &status);
        runUnix("rm -f " + scenePng + " " + dialogPng);
    } else if (status == 0) {
        std::fprintf(stderr, "no OpenGL frame was found; saving the dialog as the screen shows it\n");
        text = runUnix("mv " + dialogPng + " " + out, &status);
    }
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD code = 1;
    app.waitForExit(15000, &code);
    if (status != 0) {
        std::fprintf(stderr, "screenshot failed: %s\n", text.c_str());
        return 1;
    }
    return code == 0 ? 0 : 1;
}
