#pragma once
// <windows.h> as the backend includes it: without the RGB macro, which
// would rewrite the form runtime's own RGB function (runtime/base/VbTypes.h).
// Colours here are the program's Long values, which are COLORREFs already.

#include <windows.h>

#undef RGB
// Platform::CreateWindow is the backend interface's own name.
#undef CreateWindow
