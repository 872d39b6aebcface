"""Runs one pelaryn-sim process, samples its resident memory while it runs and collects what the
sanitizers and the program said."""

import re
import subprocess
import time
from dataclasses import dataclass, field

MIB = 1024 * 1024

# The part of a run whose memory counts as warming up: the allocator's quarantine filling,
# first-use buffers, the files read for the first time.
WARM_UP_SHARE = 0.2
# Growth over a run, after warm-up, that counts as a leak: the larger of the two.
GROWTH_LIMIT_BYTES = 8 * MIB
GROWTH_LIMIT_SHARE = 0.10
# Fewer samples than this after warm-up cannot tell growth from noise.
MIN_SAMPLES = 10

SANITIZER = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: ")


@dataclass
class Sample:
    seconds: float
    rss: int  # bytes


@dataclass
class Outcome:
    returncode: int
    seconds: float
    stdout: str
    stderr: str
    samples: list[Sample] = field(default_factory=list)

    def Start(self) -> int | None:
        return self.samples[0].rss if self.samples else None

    def Peak(self) -> int | None:
        return max(s.rss for s in self.samples) if self.samples else None

    def End(self) -> int | None:
        return self.samples[-1].rss if self.samples else None

    def WarmedUp(self) -> int | None:
        """The highest RSS within the warm-up share of the run, or None for a run too short to
        judge."""
        cut = self.seconds * WARM_UP_SHARE
        early = [s.rss for s in self.samples if s.seconds <= cut]
        later = [s for s in self.samples if s.seconds > cut]
        if not early or len(later) < MIN_SAMPLES:
            return None
        return max(early)

    def GrowthFinding(self) -> str | None:
        warm = self.WarmedUp()
        if warm is None:
            return None
        allowed = max(GROWTH_LIMIT_BYTES, int(warm * GROWTH_LIMIT_SHARE))
        growth = self.End() - warm
        if growth > allowed:
            return (
                f"resident memory grew {growth / MIB:.1f} MiB after warm-up "
                f"({warm / MIB:.1f} → {self.End() / MIB:.1f} MiB; allowed {allowed / MIB:.1f} MiB)"
            )
        return None

    def SanitizerLines(self) -> list[str]:
        return [line for line in self.stderr.splitlines() if SANITIZER.search(line)]


def ReadRss(pid: int) -> int | None:
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
    except (FileNotFoundError, ProcessLookupError):
        pass
    return None


def Run(command: list[str], env: dict, stderr_path: str, interval: float) -> Outcome:
    start = time.monotonic()
    samples = []
    with open(stderr_path, "w+b") as err:
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=err, env=env)
        try:
            while True:
                try:
                    process.wait(timeout=interval)
                    break
                except subprocess.TimeoutExpired:
                    rss = ReadRss(process.pid)
                    if rss is not None:
                        samples.append(Sample(time.monotonic() - start, rss))
        except BaseException:
            # Interrupted: the run is abandoned, never left playing on its own.
            process.kill()
            process.wait()
            raise
        seconds = time.monotonic() - start
        stdout = process.stdout.read().decode(errors="replace")
        err.seek(0)
        stderr = err.read().decode(errors="replace")
    return Outcome(process.returncode, seconds, stdout, stderr, samples)
