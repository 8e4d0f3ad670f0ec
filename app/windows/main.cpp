// GeneratorApp: runs the main dialog and ends the program with it.
#include "app/windows/generator_dialog.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    tessivar::GeneratorDialog dialog(instance);
    dialog.run();
    // "Close" ends the program even while a request runs; the request ends with it, cut short.
    if (!dialog.stopWorker(500)) ExitProcess(0);
    return 0;
}
