// processheap: the heap settings of the C library's allocator.
#include "background/processheap.h"

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
