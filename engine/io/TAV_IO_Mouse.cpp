#include "io/TAV_IO_Mouse.h"

TAV_IO_Mouse* TAV_IO_Mouse::m_ioMouse = nullptr;

TAV_IO_Mouse* TAV_IO_Mouse::getInstance()
{
    if (!m_ioMouse)
        m_ioMouse = new TAV_IO_Mouse();
    return m_ioMouse;
}

TAV_IO_Mouse::~TAV_IO_Mouse()
{
    m_ioMouse = nullptr;
}

void TAV_IO_Mouse::addListener(TAV_IO_MouseListener& l)
{
    listeners.add(l);
}

void TAV_IO_Mouse::removeListener(TAV_IO_MouseListener& l)
{
    listeners.remove(l);
}

void TAV_IO_Mouse::buttonPressedEvent(int button, int x, int y)
{
    listeners.dispatch([=](TAV_IO_MouseListener& l) { l.mousePressed(button, x, y); });
}

void TAV_IO_Mouse::buttonReleasedEvent(int button, int x, int y)
{
    listeners.dispatch([=](TAV_IO_MouseListener& l) { l.mouseReleased(button, x, y); });
}

void TAV_IO_Mouse::motionEvent(int x, int y)
{
    listeners.dispatch([=](TAV_IO_MouseListener& l) { l.mouseMoved(x, y); });
}
