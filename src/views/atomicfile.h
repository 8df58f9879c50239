// The data files are written through the program's atomic file writer,
// which lives with the other helpers every layer uses.
#pragma once
#include "base/atomicfile.h"
