"""A long soak of pelaryn-sim under the sanitizers: many runs of random keys, menu commands and
settings at difficulties from 0 to 300, the files kept in one scratch folder across the runs.
Fails on any sanitizer report, a failed run, memory growth, a ranking that does not read back, or
a run's first game that, recorded, does not play back the same."""

import argparse
import json
import os
import random
import re
import shutil
import signal
import sys
import time

import inputs
import monitor
import savedfiles

MIB = monitor.MIB

# The settings stored in pelaryn.cfg, as the dump shows them; the scroll offsets beside the
# picture are running values, not stored ones.
STORED = ["SoundEffectsOn", "AutoShot", "TitleAnimation", "InitialDifficulty", "DifficultySkip",
          "UseJoystick", "JoySensitivity", "BackSetting", "TitleBgm", "Bgm", "BossBgm"]
RUNNING = {"OffsetX", "OffsetY"}


def StoredSettings(dump: dict) -> dict:
    stored = {name: dump[name] for name in STORED}
    stored["BackSetting"] = {k: v for k, v in stored["BackSetting"].items() if k not in RUNNING}
    return stored


def Mib(value: int | None) -> str:
    return "-" if value is None else f"{value / MIB:.1f}"


def WriteLines(path: str, lines: list[str]) -> None:
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


class Soak:
    def __init__(self, args):
        self.args = args
        self.folder = os.path.abspath(os.path.join(args.work, f"seed-{args.seed}"))
        self.files = os.path.join(self.folder, "files")
        # Named to both the runs and the playbacks, so that they find the same pictures.
        self.program_folder = os.path.dirname(os.path.abspath(args.sim))
        self.findings: list[str] = []
        self.last_dump: dict | None = None
        self.names: set[str] = {""}
        self.totals = {"frames": 0, "game overs": 0, "name entries": 0, "runs": 0, "seconds": 0.0,
                       "replays": 0, "replay frames": 0, "replay seconds": 0.0}
        self.rss = {"start": [], "peak": [], "end": []}
        self.env = dict(os.environ)
        # A quarantine far below the default 256 MiB fills within the warm-up, so that the
        # memory after it shows growth of the program, not of the sanitizer's reserve. Options
        # given by the caller come later and win.
        self.env["ASAN_OPTIONS"] = "quarantine_size_mb=8:detect_leaks=1:" + os.environ.get(
            "ASAN_OPTIONS", "")
        self.env["UBSAN_OPTIONS"] = "print_stacktrace=1:" + os.environ.get("UBSAN_OPTIONS", "")

    def Find(self, where: str, what: str) -> None:
        self.findings.append(f"{where}: {what}")
        print(f"  FINDING {where}: {what}", flush=True)

    def Sim(self, run_dir: str, extra: list[str]) -> tuple[list[str], monitor.Outcome]:
        command = [os.path.abspath(self.args.sim), "--dir", self.files, "--dump", os.path.join(run_dir, "dump.json")]
        command += extra
        WriteLines(os.path.join(run_dir, "command.txt"), [" ".join(command)])
        outcome = monitor.Run(command, self.env, os.path.join(run_dir, "stderr.txt"),
                              self.args.interval)
        return command, outcome

    def CheckProcess(self, where: str, outcome: monitor.Outcome) -> None:
        if outcome.returncode != 0:
            self.Find(where, f"pelaryn-sim exited with status {outcome.returncode}")
        for line in outcome.SanitizerLines():
            self.Find(where, f"sanitizer: {line.strip()}")
        other = [l for l in outcome.stderr.splitlines()
                 if l.strip() and not monitor.SANITIZER.search(l)]
        if other and not outcome.SanitizerLines():
            self.Find(where, f"unexpected output on stderr: {other[0].strip()}")

    def CheckRanking(self, where: str, dump: dict) -> None:
        rows, problems = savedfiles.ReadRanking(os.path.join(self.files, "pelaryn.sco"))
        problems += savedfiles.RankingProblems(rows, self.names)
        if not problems and rows != dump["Ranking"]:
            problems.append("the ranking file differs from the game's ranking after the save")
        for p in problems:
            self.Find(where, p)

    def CheckDump(self, where: str, plan: inputs.RunPlan, frames: int, dump: dict) -> int:
        """The game overs of the run, after checking they agree with how it ended."""
        dialogs = dump["Dialogs"]
        overs = sum(1 for d in dialogs if d["Kind"] == "Message" and d["Text"].startswith("おしまい"))
        entries = sum(1 for d in dialogs if d["Kind"] == "Input")
        windows = sum(1 for d in dialogs if d["Kind"] == "Ranking")
        if overs > plan.games or (overs < plan.games and frames != plan.frames):
            self.Find(where, f"{frames} of {plan.frames} frames with {overs} of {plan.games} game overs")
        if entries > overs or windows != entries:
            self.Find(where, f"{overs} game overs, {entries} name entries, {windows} rankings shown")
        menu = dump["Menu"]
        if menu["mnuSe"]["Checked"] != dump["SoundEffectsOn"] or menu["mnuAutoshot"]["Checked"] != \
                dump["AutoShot"] or menu["mnuPause"]["Checked"]:
            self.Find(where, f"the menu's check marks disagree with the settings: {menu}")
        if dump["HiScore"] < dump["Ranking"][0]["Score"]:
            self.Find(where, f"high score {dump['HiScore']} below the ranking's first row")
        self.totals["name entries"] += entries
        return overs

    def PlayRun(self, index: int, plan: inputs.RunPlan) -> int:
        """Plays one run; returns the frames it ran (0 when it could not tell)."""
        where = f"run {index}"
        run_dir = os.path.join(self.folder, f"run-{index:03d}")
        os.makedirs(run_dir)
        replay = os.path.join(run_dir, "first-game.pelrpy")
        extra = ["--frames", str(plan.frames), "--games", str(plan.games),
                 "--title-frames", str(plan.title_frames), "--program-folder", self.program_folder,
                 "--record", replay]
        for name, lines in [("keys", plan.keys), ("menu", plan.menu), ("joy", plan.joy)]:
            if lines:
                path = os.path.join(run_dir, f"{name}.txt")
                WriteLines(path, lines)
                extra += [f"--{name}", path]
        for name, value in plan.settings:
            extra += ["--set", f"{name}={value}"]
        if plan.name is not None:
            extra += ["--name", plan.name]
        self.names.add(savedfiles.RankingName(plan.name))

        _, outcome = self.Sim(run_dir, extra)
        self.CheckProcess(where, outcome)
        if outcome.returncode != 0:
            return 0  # reported above; what it left behind is not to be trusted
        last = outcome.stdout.strip().splitlines()[-1:] or [""]
        words = last[0].split()
        if len(words) < 3 or words[:2] != ["frames", "run"] or not words[2].isdigit():
            self.Find(where, f"no frame count in the output: {last[0]!r}")
            return 0
        frames = int(words[2])
        try:
            with open(os.path.join(run_dir, "dump.json")) as f:
                dump = json.load(f)
        except (OSError, ValueError) as e:
            self.Find(where, f"the dump cannot be read: {e}")
            return frames
        overs = self.CheckDump(where, plan, frames, dump)
        self.CheckRanking(where, dump)
        self.VerifyReplay(where, run_dir, replay)
        if finding := outcome.GrowthFinding():
            self.Find(where, finding)
        self.last_dump = dump

        self.totals["game overs"] += overs
        self.totals["seconds"] += outcome.seconds
        for key, value in [("start", outcome.Start()), ("peak", outcome.Peak()),
                           ("end", outcome.End())]:
            if value is not None:
                self.rss[key].append(value)
        reset = f", reset at {plan.reset_frame}" if plan.reset_frame else ""
        print(f"run {index}: level {plan.level}, {frames} frames, {overs}/{plan.games} game overs"
              f"{reset}, {outcome.seconds:.0f} s, {frames / max(outcome.seconds, 1e-9):.0f} frames/s, "
              f"RSS MiB start {Mib(outcome.Start())} warm {Mib(outcome.WarmedUp())} "
              f"peak {Mib(outcome.Peak())} end {Mib(outcome.End())}", flush=True)
        return frames

    def VerifyReplay(self, where: str, run_dir: str, replay: str) -> None:
        """The run's first game (--record keeps only that one) plays back headless, every
        checkpoint the same as recorded."""
        command = [os.path.abspath(self.args.sim), "--replay", replay,
                   "--program-folder", self.program_folder]
        WriteLines(os.path.join(run_dir, "replay-command.txt"), [" ".join(command)])
        outcome = monitor.Run(command, self.env, os.path.join(run_dir, "replay-stderr.txt"),
                              self.args.interval)
        for line in outcome.SanitizerLines():
            self.Find(where, f"sanitizer in the playback: {line.strip()}")
        last = (outcome.stdout.strip().splitlines() or [""])[-1]
        verified = re.fullmatch(r"replay verified: (\d+) frames, score -?\d+", last)
        if outcome.returncode != 0 or not verified:
            said = last or (outcome.stderr.strip().splitlines() or [""])[0]
            self.Find(where, f"the first game's replay does not verify (status "
                             f"{outcome.returncode}): {said.strip()}")
            return
        other = [l for l in outcome.stderr.splitlines() if l.strip()]
        if other and not outcome.SanitizerLines():
            self.Find(where, f"unexpected output on stderr of the playback: {other[0].strip()}")
        self.totals["replays"] += 1
        self.totals["replay frames"] += int(verified.group(1))
        self.totals["replay seconds"] += outcome.seconds

    def CheckStartUp(self, compare_settings: bool) -> None:
        """The next start-up reads both files back as the last run left them."""
        where = "start-up after the soak"
        run_dir = os.path.join(self.folder, "start-up")
        os.makedirs(run_dir)
        _, outcome = self.Sim(run_dir, ["--frames", "0", "--program-folder", self.program_folder])
        self.CheckProcess(where, outcome)
        try:
            with open(os.path.join(run_dir, "dump.json")) as f:
                dump = json.load(f)
        except (OSError, ValueError) as e:
            return self.Find(where, f"the dump cannot be read: {e}")
        self.CheckRanking(where, dump)
        if dump["HiScore"] != dump["Ranking"][0]["Score"]:
            self.Find(where, f"high score {dump['HiScore']} is not the ranking's first row")
        # A run cut short may have saved settings of its own after the last dump.
        last = self.last_dump
        if compare_settings and last and StoredSettings(dump) != StoredSettings(last):
            self.Find(where, "the settings read back differ from those saved by the last run")

    def Play(self) -> int:
        args = self.args
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.files)
        print(f"soak seed {args.seed}: {args.frames} frames in runs of up to {args.run_frames}; "
              f"again: scripts/soak --seed {args.seed} --frames {args.frames}", flush=True)
        print(f"scratch folder {self.folder}", flush=True)
        planner = inputs.Planner(args.seed)
        wall = time.monotonic()
        interrupted = False
        try:
            while self.totals["frames"] < args.frames:
                plan = planner.Plan(min(args.run_frames, args.frames - self.totals["frames"]))
                frames = self.PlayRun(self.totals["runs"] + 1, plan)
                self.totals["runs"] += 1
                if frames == 0:
                    break
                self.totals["frames"] += frames
        except KeyboardInterrupt:
            # The runs played so far still count, and the files their saves left must still read.
            interrupted = True
            print("interrupted: the run in progress is dropped", flush=True)
        self.CheckStartUp(compare_settings=not interrupted)
        wall = time.monotonic() - wall
        self.Summary(wall)
        if interrupted:
            print(f"INTERRUPTED after {self.totals['frames']} of {args.frames} frames; "
                  f"scratch folder kept in {self.folder}")
            return 130
        if self.findings:
            print(f"FAILED: {len(self.findings)} findings; scripts, dumps and stderr kept in "
                  f"{self.folder}")
            return 1
        if not args.keep:
            shutil.rmtree(self.folder)
        print("soak passed")
        return 0

    def Summary(self, wall: float) -> None:
        t = self.totals
        rss = self.rss
        print("\nsoak summary")
        print(f"  seed          {self.args.seed}")
        print(f"  frames        {t['frames']} in {t['runs']} runs")
        print(f"  game overs    {t['game overs']} ({t['name entries']} name entries)")
        print(f"  wall time     {wall:.0f} s ({t['seconds']:.0f} s in the game runs)")
        print(f"  frames/s      {t['frames'] / max(t['seconds'], 1e-9):.0f} (sanitizer build)")
        print(f"  replays       {t['replays']} of {t['runs']} first games verified, "
              f"{t['replay frames']} frames in {t['replay seconds']:.0f} s")
        if rss["peak"]:
            print(f"  RSS MiB       start {Mib(min(rss['start']))}–{Mib(max(rss['start']))}, "
                  f"peak {Mib(max(rss['peak']))}, end {Mib(min(rss['end']))}–{Mib(max(rss['end']))}")
        print(f"  findings      {len(self.findings)}")
        for f in self.findings:
            print(f"    {f}")


def Arguments(argv: list[str]):
    parser = argparse.ArgumentParser(prog="scripts/soak", description=__doc__)
    parser.add_argument("--seed", type=int, default=random.SystemRandom().randrange(2**32),
                        help="the seed of every random choice (default: a new one, printed)")
    parser.add_argument("--frames", type=int, default=1_000_000, help="game frames in all")
    parser.add_argument("--run-frames", type=int, default=100_000,
                        help="game frames of one run at most")
    parser.add_argument("--interval", type=float, default=2.0,
                        help="seconds between two samples of the resident memory")
    parser.add_argument("--work", default="build/soak", help="where the scratch folder goes")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder on success")
    parser.add_argument("--sim", required=True, help="the pelaryn-sim to soak")
    args = parser.parse_args(argv)
    if args.frames < 1 or args.run_frames < 1 or args.interval <= 0:
        parser.error("--frames, --run-frames and --interval take positive numbers")
    return args


def Interrupt(signum, frame):
    raise KeyboardInterrupt


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, Interrupt)
    sys.exit(Soak(Arguments(sys.argv[1:])).Play())
