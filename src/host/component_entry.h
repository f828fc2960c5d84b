// Entries of components loaded by name at run time (the password verifier, the password-change
// component, the input-method library): turns what GetProcAddress found into the entry's own
// function type. Used by the host files that look entries up.
#pragma once

#include "platform/win32.h"

// Through void(*)() so that the compiler accepts the change of signature: the component's
// exported signature is fixed by the platform, not visible to it.
template <typename Entry> Entry ComponentEntry(FARPROC entry) {
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(entry));
}
