#include <windows.h>

#include <new>

#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        return RunEditor(instance, showCommand);
    } catch (const std::bad_alloc&) {
        return 1;
    }
}
