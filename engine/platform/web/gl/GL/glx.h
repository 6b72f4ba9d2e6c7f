#pragma once
#include "core/TAV_Window.h"
