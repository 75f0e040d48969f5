#include "core/freedmemory.h"

#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    // Zero keeps no slack at the top of the main heap; every arena is trimmed.
    malloc_trim(0);
#endif
}
