// The former name of host/activex/utf16.h, kept while control_window.cpp and the trace runner's
// window still include it by that name.
#pragma once

#include "host/activex/utf16.h"
