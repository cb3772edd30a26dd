#include "x_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace besedka::soak {

XInput::XInput() : display_(XOpenDisplay(nullptr)) {}

XInput::~XInput() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

void XInput::flush() {
    // Sent and processed by the server before the call returns.
    XSync(display_, False);
}

void XInput::key(unsigned long keysym, bool press) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    XTestFakeKeyEvent(display_, code, press ? True : False, CurrentTime);
    flush();
}

void XInput::tap(unsigned long keysym, bool shifted) {
    if (shifted) {
        key(XK_Shift_L, true);
    }
    key(keysym, true);
    key(keysym, false);
    if (shifted) {
        key(XK_Shift_L, false);
    }
}

void XInput::moveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    flush();
}

void XInput::button(int number, bool press) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(number), press ? True : False,
                         CurrentTime);
    flush();
}

void XInput::focus(unsigned long window) {
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    flush();
}

} // namespace besedka::soak
