#include "io/TAV_IO_Keyboard.h"

TAV_IO_Keyboard* TAV_IO_Keyboard::m_ioKeyboard = nullptr;

TAV_IO_Keyboard* TAV_IO_Keyboard::getInstance()
{
    if (!m_ioKeyboard)
        m_ioKeyboard = new TAV_IO_Keyboard();
    return m_ioKeyboard;
}

TAV_IO_Keyboard::~TAV_IO_Keyboard()
{
    m_ioKeyboard = nullptr;
}

void TAV_IO_Keyboard::addListener(TAV_IO_KeyboardListener& l)
{
    listeners.add(l);
}

void TAV_IO_Keyboard::removeListener(TAV_IO_KeyboardListener& l)
{
    listeners.remove(l);
}

void TAV_IO_Keyboard::keyPressedEvent(int code)
{
    listeners.dispatch([code](TAV_IO_KeyboardListener& l) { l.keyPressed(code); });
}

void TAV_IO_Keyboard::keyReleasedEvent(int code)
{
    listeners.dispatch([code](TAV_IO_KeyboardListener& l) { l.keyReleased(code); });
}
