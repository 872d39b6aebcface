#include "server/workers/VerificationWorker.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "replay/ReplayFile.h"
#include "server/workers/WorkerProtocol.h"

namespace pelaryn {
namespace {

// The sanitizers reserve terabytes of address space for their shadow at start, and probe memory
// through pipes of their own when they report: a build with them runs its workers without a
// limit on the address space and with a few files to spare.
#ifdef PELARYN_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// The pace a worker is held to: a replay may take one CPU second for every this many frames it
// claims, plus one. Ten times slower than the core plays in an optimised build, so a busy
// machine still verifies honest games, while a replay that claims a short game and plays a long
// one is stopped. A build with the sanitizers plays some forty times slower and is held to a
// pace of its own.
#ifdef PELARYN_SANITIZED
constexpr uint32_t WorkerFramesPerCpuSecond = 100;
#else
constexpr uint32_t WorkerFramesPerCpuSecond = 4000;
#endif

void Limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  setrlimit(resource, &limit);
}

// Gives up everything a verification does not need, before the first byte of a request is read.
void Confine(uint64_t memoryLimit) {
  // Standard error stays for the sanitizers' reports; nothing else of the service's is inherited.
  close_range(3, ~0U, 0);
  prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
  // The worker goes with the service, however the service ends.
  prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
  // Its pipes and standard error: nothing more can be opened.
  Limit(RLIMIT_NOFILE, Sanitized ? 8 : 3);
  Limit(RLIMIT_CORE, 0);
  Limit(RLIMIT_NPROC, 0);
  if (!Sanitized && memoryLimit > 0) Limit(RLIMIT_AS, memoryLimit);
}

// A profiling timer of the CPU time from now on, whose end (SIGPROF, left to end the process)
// stops a playback that overruns. Relative to now: the limit on the process's CPU time as a whole
// is kept by a clock that runs ahead of what getrusage reports, by more than a second in a worker
// that has lived long on a busy machine, and ended honest games early.
void AllowCpuSeconds(uint64_t seconds) {
  itimerval timer{};
  timer.it_value.tv_sec = static_cast<time_t>(seconds);
  setitimer(ITIMER_PROF, &timer, nullptr);
}

// The frames a replay's head claims, read before anything is played; 0 when it holds none.
uint32_t ClaimedFrames(std::string_view bytes) {
  ReplayFault fault = ReplayFault::None;
  const std::optional<Replay> replay = DecodeReplay(bytes, fault);
  return replay ? replay->Result.Frames : 0;
}

}  // namespace

int RunVerificationWorker(uint64_t memoryLimit) {
  Confine(memoryLimit);
  constexpr auto Forever = std::chrono::steady_clock::time_point::max();
  for (;;) {
    std::string nameFrame;
    std::string replay;
    PipeStatus status = ReadFrame(STDIN_FILENO, nameFrame, MaxSubmissionBytes, Forever);
    if (status == PipeStatus::Closed) return 0;
    if (status == PipeStatus::Done) {
      status = ReadFrame(STDIN_FILENO, replay, MaxSubmissionBytes, Forever);
    }
    bool wellFormed = false;
    const std::optional<std::string> sentName = DecodeSentName(nameFrame, wellFormed);
    if (status != PipeStatus::Done || !wellFormed) {
      std::fputs("pelaryn-server worker: a request that is not one\n", stderr);
      return 1;
    }
    const uint32_t frames = std::min(ClaimedFrames(replay), MaxBoardFrames);
    AllowCpuSeconds(1 + (frames + WorkerFramesPerCpuSecond - 1) / WorkerFramesPerCpuSecond);
    const SubmissionVerdict verdict = VerifySubmission(
        replay, sentName ? std::optional<std::string_view>(*sentName) : std::nullopt);
    AllowCpuSeconds(0);  // none of it counts against the wait for the next request
    if (WriteFrame(STDOUT_FILENO, EncodeVerdict(verdict)) != PipeStatus::Done) return 1;
  }
}

}  // namespace pelaryn
