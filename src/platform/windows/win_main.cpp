// The Windows process entry: the runtime's start-up code calls WinMain once the runtime is
// initialised, and WinMain hands over to SaverEntry at once. SaverEntry ends the process with
// ExitProcess, so the runtime's own exit path (exit handlers, stream flushing) is never reached.
#include "platform/win32.h"

#include "host/saver_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SaverEntry();
}
