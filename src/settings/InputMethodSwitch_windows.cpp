#include "settings/InputMethodSwitch.h"

#include <QWidget>
#include <windows.h>
// windows.h first: imm.h relies on its types.
#include <imm.h>

namespace {
HWND nativeWindow(QWidget& window) {
    return reinterpret_cast<HWND>(window.window()->winId());
}
} // namespace

int switchInputMethodOn(QWidget& window) {
    const HWND handle = nativeWindow(window);
    const HIMC context = ImmGetContext(handle);
    if (context == nullptr)
        return 0;
    const int wasOpen = ImmGetOpenStatus(context) ? 1 : 0;
    ImmSetOpenStatus(context, TRUE);
    ImmReleaseContext(handle, context);
    return wasOpen;
}

void restoreInputMethod(QWidget& window, int wasOpen) {
    const HWND handle = nativeWindow(window);
    const HIMC context = ImmGetContext(handle);
    if (context == nullptr)
        return;
    ImmSetOpenStatus(context, wasOpen != 0 ? TRUE : FALSE);
    ImmReleaseContext(handle, context);
}
