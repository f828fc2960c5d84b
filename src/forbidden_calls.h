// Included ahead of every product source by the build: the animation draws from its own generator
// only, so the C library's is made impossible to call, and so are the platform calls that only
// tests make. The standard headers that name them come first (the platform's too), as a poisoned
// name is an error even inside a system header.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <stdlib.h>

#include "platform/win32.h"

#pragma GCC poison rand srand
#pragma GCC poison GetPixel SetFileAttributesA
