// The browser's event pump (see TAV_IO_LNX_XEvent.h).
//
// PLATFORM: browsers through Emscripten's html5 API.
// LIMITATIONS: no close request; keys the browser keeps never arrive.
// DEPENDENCIES: emscripten/html5.h.
#include "io/TAV_IO_LNX_XEvent.h"

#include <emscripten/html5.h>  // Required for: the key and mouse callbacks

#include "core/TAV_Window.h"   // Required for: the pending resize
#include "io/TAV_IO_Keyboard.h"
#include "io/TAV_IO_WebKeys.h"     // Required for: DOM key names to key codes
#include "io/TAV_IO_Mouse.h"

namespace {

enum EventKind { KEY_PRESS, KEY_RELEASE, BUTTON_PRESS, BUTTON_RELEASE };

struct QueuedEvent {
    EventKind kind;
    int code;  // key code or X button number
    int x;
    int y;
};

// Events between two frames: a handful. A full queue drops the newest, as a burst of
// keys faster than sixty a frame is no one's input.
const int QUEUE_CAPACITY = 64;
QueuedEvent g_queue[QUEUE_CAPACITY];
int g_queued = 0;
bool g_moved = false;
int g_moveX = 0;
int g_moveY = 0;
bool g_listening = false;

void enqueue(EventKind kind, int code, int x, int y)
{
    if (g_queued < QUEUE_CAPACITY)
        g_queue[g_queued++] = QueuedEvent{kind, code, x, y};
}

EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*)
{
    // Held keys give one press and one release, as with auto-repeat off on X.
    if (event->repeat)
        return EM_FALSE;
    const int code = TAV_IO_WebKeys::translate(event->key);
    if (code != 0)
        enqueue(eventType == EMSCRIPTEN_EVENT_KEYDOWN ? KEY_PRESS : KEY_RELEASE, code, 0, 0);
    // Not consumed: the page's own keys (full screen, Play) still see it.
    return EM_FALSE;
}

EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent* event, void*)
{
    // DOM buttons 0, 1, 2 are X's 1, 2, 3. Positions in device pixels, as X's are.
    const double scale = emscripten_get_device_pixel_ratio();
    const int x = int(event->targetX * scale);
    const int y = int(event->targetY * scale);
    if (eventType == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        g_moved = true;
        g_moveX = x;
        g_moveY = y;
    } else {
        enqueue(eventType == EMSCRIPTEN_EVENT_MOUSEDOWN ? BUTTON_PRESS : BUTTON_RELEASE, event->button + 1, x, y);
    }
    return EM_FALSE;
}

}  // namespace

void TAV_IO_LNX_XEvent::listen()
{
    // Keys pressed while no demo ran (on the page's Play-again screen) are not for this run.
    g_queued = 0;
    g_moved = false;
    if (g_listening)
        return;
    g_listening = true;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onKey);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_FALSE, onMouse);
    emscripten_set_mouseup_callback("#canvas", nullptr, EM_FALSE, onMouse);
    emscripten_set_mousemove_callback("#canvas", nullptr, EM_FALSE, onMouse);
}

void TAV_IO_LNX_XEvent::processEvents()
{
    // Listeners may queue nothing new while this runs (events arrive between frames), so
    // the count read here is final.
    const int count = g_queued;
    for (int i = 0; i < count; ++i) {
        const QueuedEvent& event = g_queue[i];
        switch (event.kind) {
        case KEY_PRESS: TAV_IO_Keyboard::getInstance()->keyPressedEvent(event.code); break;
        case KEY_RELEASE: TAV_IO_Keyboard::getInstance()->keyReleasedEvent(event.code); break;
        case BUTTON_PRESS: TAV_IO_Mouse::getInstance()->buttonPressedEvent(event.code, event.x, event.y); break;
        case BUTTON_RELEASE: TAV_IO_Mouse::getInstance()->buttonReleasedEvent(event.code, event.x, event.y); break;
        }
    }
    g_queued = 0;
    if (g_moved) {
        g_moved = false;
        TAV_IO_Mouse::getInstance()->motionEvent(g_moveX, g_moveY);
    }
    TAV_Window::applyPendingResize();
}
