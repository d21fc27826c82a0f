#include <windows.h>

#include "win32/app/ProgramMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    return vm::ProgramMain(commandLine != nullptr ? commandLine : "");
}
