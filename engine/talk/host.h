#pragma once

namespace besedka {

// The six sound cues, each its own player.
enum class Cue {
    KeyBoard, // Sound\KeyBoard.wav: the input field changed
    UserLine, // Sound\Button3.wav: the user's line is shown
    Layout,   // Sound\Button2.wav: layout conversion
    Shake,    // Sound\Button1.wav: the window shake
    Reply,    // Sound\CpuSound.wav: a system line is shown
    Close,    // Sound\Close.wav: the closing animation
};

// What the engine asks of the front end that runs it (window or terminal).
class Host {
  public:
    virtual ~Host() = default;
    virtual void playCue(Cue cue) = 0;
    // Empties the input field at the end of an exchange.
    virtual void clearInput() = 0;
    // The phrase was a farewell: start the closing.
    virtual void startClosing() = 0;
    // Another process holds the knowledge base for long: `waiting` is true
    // while this one waits for it, false once it goes on.
    virtual void waitingForKnowledgeBase(bool /*waiting*/) {}
};

} // namespace besedka
