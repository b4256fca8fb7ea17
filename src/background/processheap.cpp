// processheap: the heap settings of the C library's allocator.
#include "background/processheap.h"

#include <cstdlib> // defines __GLIBC__ with the C library's version

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace background {

void shareOneHeap()
{
#if defined(__GLIBC__)
    // Each thread keeps a small cache of its own in front of the shared heap, so the threads rarely wait on it.
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace background
