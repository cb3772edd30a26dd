#pragma once

// Xlib's connection type, as <X11/Xlib.h> declares it.
struct _XDisplay;

namespace besedka::soak {

// Real keyboard and mouse input through the X server's test extension (XTest)
// on a connection of its own: the window receives it as it would a user's.
class XInput {
  public:
    XInput();
    ~XInput();
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;

    bool ok() const { return display_ != nullptr; }
    // Presses or releases the key of an X keysym (XK_a, XK_Escape...).
    void key(unsigned long keysym, bool press);
    // Presses and releases the key, with Shift held when `shifted`.
    void tap(unsigned long keysym, bool shifted = false);
    void moveTo(int x, int y);
    void button(int number, bool press);
    // Gives the keyboard focus to the X window.
    void focus(unsigned long window);

  private:
    _XDisplay* display_ = nullptr;
    void flush();
};

} // namespace besedka::soak
