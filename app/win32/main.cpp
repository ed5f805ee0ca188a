// VelPanel.exe: the Velmora control panel.
#include "app/win32/CPanelApp.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    velmora::CPanelApp app;
    return app.run();
}
