// processheap: how the process takes memory from the system, set once before any thread starts.
#pragma once

namespace background {

/**
 * Lets every thread allocate from one heap. By default each worker that allocates while another thread
 * does gets a heap of its own, and what a listing or a check frees there stays with that heap: the next
 * million names, made on another thread, take fresh memory from the system beside it (a million-row window
 * held some 60 MB more that way). Call at the start of main(), before any thread exists.
 */
void shareOneHeap();

} // namespace background
