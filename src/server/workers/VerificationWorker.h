#pragma once

#include <cstdint>

namespace pelaryn {

// How much memory a worker may map, in bytes: the game with the largest background a replay may
// name, and room to spare.
inline constexpr uint64_t DefaultWorkerMemory = uint64_t{256} << 20;

// A verification worker's life, in the process of its own the service starts (`pelaryn-server
// worker`): it gives up what it does not need (every file but its pipes, writing files at all,
// gaining privileges, more memory than `memoryLimit`), then answers requests read from standard
// input on standard output until the input ends, each verification under a CPU-time limit in
// proportion to the frames the replay claims. A replay that overruns it ends the process
// (SIGPROF), which the service reads as that replay's fault. Returns the exit code.
int RunVerificationWorker(uint64_t memoryLimit);

}  // namespace pelaryn
