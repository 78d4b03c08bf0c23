#pragma once
// The process's peak resident memory, reset before each measured step (Linux: the kernel
// restarts the high-water mark when "5" is written to /proc/self/clear_refs).

// Returns freed memory to the system and restarts the peak at the current resident size;
// false where the system cannot.
bool ResetPeakMemory();
// The peak resident memory since the last reset, in kB, or -1 when unknown.
long PeakMemoryKb();
