#pragma once

namespace besedka {

// Every step of the engine reads, and a learning step writes, whole
// knowledge-base files of megabytes. By default the C library hands blocks
// that large back to the system as soon as they are freed, and the kernel
// then zero-fills every page of the next one at its first touch: as much time
// as the step's own work. This keeps freed blocks in the heap for the next
// step instead. Call it once, at program start.
void keepLargeBlocksForReuse();

} // namespace besedka
