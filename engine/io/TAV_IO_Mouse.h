// TAV_IO_Mouse: the mouse dispatcher, a singleton that forwards button and motion events to
// the registered listeners, newest first.
//
// It keeps no pointer position and no button state. Created on first use, deleted by the
// engine's destructor. It does not own its listeners. Handlers may add and remove listeners,
// also themselves, while an event is dispatched: see TAV_IO_ListenerList for the rule.
// Main thread only.
#pragma once

#include "io/TAV_IO_ListenerList.h"   // Required for: the listener list
#include "io/TAV_IO_MouseListener.h"  // Required for: the listener interface

class TAV_IO_Mouse {
public:
    static TAV_IO_Mouse* getInstance();
    ~TAV_IO_Mouse();

    // Adds at the front; a listener added twice is called twice.
    void addListener(TAV_IO_MouseListener& l);
    // Removes the most recently added entry of `l`, if any.
    void removeListener(TAV_IO_MouseListener& l);

    void buttonPressedEvent(int button, int x, int y);
    void buttonReleasedEvent(int button, int x, int y);
    void motionEvent(int x, int y);

    // The number of registered listeners.
    int getListenerCount() const { return listeners.size(); }

    static TAV_IO_Mouse* m_ioMouse;

private:
    TAV_IO_Mouse() = default;
    TAV_IO_Mouse(const TAV_IO_Mouse&) = delete;
    TAV_IO_Mouse& operator=(const TAV_IO_Mouse&) = delete;

    TAV_IO_ListenerList<TAV_IO_MouseListener> listeners;
};
