// TAV_IO_Keyboard: the keyboard dispatcher, a singleton that forwards each key event to the
// registered listeners, newest first.
//
// Created on first use (first addListener or first key event), deleted by the engine's
// destructor. It does not own its listeners. Handlers may add and remove listeners, also
// themselves, while an event is dispatched: see TAV_IO_ListenerList for the rule.
// Main thread only.
#pragma once

#include "io/TAV_IO_KeyboardListener.h"  // Required for: the listener interface
#include "io/TAV_IO_ListenerList.h"      // Required for: the listener list

class TAV_IO_Keyboard {
public:
    static TAV_IO_Keyboard* getInstance();
    ~TAV_IO_Keyboard();

    // Adds at the front; a listener added twice is called twice.
    void addListener(TAV_IO_KeyboardListener& l);
    // Removes the most recently added entry of `l`, if any.
    void removeListener(TAV_IO_KeyboardListener& l);

    void keyPressedEvent(int code);
    void keyReleasedEvent(int code);

    // The number of registered listeners.
    int getListenerCount() const { return listeners.size(); }

    static TAV_IO_Keyboard* m_ioKeyboard;

private:
    TAV_IO_Keyboard() = default;
    TAV_IO_Keyboard(const TAV_IO_Keyboard&) = delete;
    TAV_IO_Keyboard& operator=(const TAV_IO_Keyboard&) = delete;

    TAV_IO_ListenerList<TAV_IO_KeyboardListener> listeners;
};
