#pragma once
// Loads, GPX reading and summit searches free tens of megabytes of
// short-lived buffers, many of them in the arenas of worker threads. The C
// library keeps such memory mapped for reuse, so the resident size would
// wander with the history of loads instead of following what is in use.

// Hands memory freed but still mapped back to the system. Costs a few
// milliseconds: call it after a large change, not per frame.
void ReturnFreedMemory();
