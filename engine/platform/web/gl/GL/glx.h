// GL/glx.h of the browser build: there is no GLX in a browser. The one GLX call portable
// code makes, glXSwapBuffers, is the canvas window's (core/TAV_Window.h).
#pragma once

#include "core/TAV_Window.h"
