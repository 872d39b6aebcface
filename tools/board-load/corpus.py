"""The fair games scripts/load-board submits: distinct game overs of one to five minutes each,
recorded by `pelaryn-sim --record` under the default settings, every one checked with
`pelaryn-sim --replay FILE --board` before it is kept.

Scripted keys cannot see the enemies, and a sweep that does not look dies within two minutes.
So each game is a pilot's flight given up at a chosen frame. A pilot is a key script that lives
long: flown 150 frames at a time, each stretch the first of a dozen seeded tries that loses no
life (or the one that loses fewest). Game j of pilot p then follows the pilot up to a cut frame and
gives up in one of three ways (stands still, drifts to the middle unarmed, climbs into the
enemies); a try that does not end in a game over inside the window takes the next cut. Every
(cut, way) pair belongs to one game only, so no two games share their input.

Pilots and games are kept in the output folder beside the hash of the pelaryn-sim that made
them, and made again, all of them, when that program changes."""

import argparse
import hashlib
import json
import multiprocessing
import os
import random
import shutil
import subprocess
import sys
import tempfile

FRAME_MS = 45  # the game's frame period
MIN_FRAMES = 60_000 // FRAME_MS  # one minute of play
MAX_FRAMES = 300_000 // FRAME_MS  # five minutes
PILOTS = 16
GAMES_PER_PILOT = 128  # so the corpus holds at most PILOTS * GAMES_PER_PILOT games
STRETCH = 150
TRIES_PER_STRETCH = 12
# A pilot shorter than this leaves too few cut frames; its seed is passed over.
MIN_PILOT_FRAMES = MAX_FRAMES * 2 // 3
FIELD_WIDTH = 300 - 16  # the ship's x runs 0 … this
SHIP_STEP = 6
START_X = 150
WAYS = ["stand", "centre", "climb"]


def KeyLines(spans):
    return "".join(f"{first} {last} {keys}\n" for first, last, keys in spans)


def Sim(sim, args, cwd):
    done = subprocess.run([sim] + args, cwd=cwd, capture_output=True, text=True)
    if done.returncode not in (0, 1):
        raise RuntimeError(f"{sim} {' '.join(args)}: {done.stderr.strip()}")
    return done.stdout


def LifeAfter(sim, spans, frames, work):
    """The ship's lives after `frames` frames of `spans`, and whether the game was over."""
    keys = os.path.join(work, "try.keys")
    dump = os.path.join(work, "try.json")
    with open(keys, "w") as f:
        f.write(KeyLines(spans))
    out = Sim(sim, ["--frames", str(frames), "--keys", keys, "--dump", dump], work)
    with open(dump) as f:
        return json.load(f)["Life"], "(game over)" in out


def FlyPilot(sim, seed, work):
    """A pilot's key spans, Z held throughout, sweeping left and right."""
    random_source = random.Random(f"pilot {seed}")
    spans, end, life = [], 0, None
    while end < MAX_FRAMES:
        best = None
        for _ in range(TRIES_PER_STRETCH):
            stretch, frame = [], end + 1
            while frame <= end + STRETCH:
                length = random_source.randint(10, 60)
                direction = random_source.choice(["Left", "Right"])
                stretch.append((frame, frame + length - 1, direction + " Z"))
                frame += length
            lives, over = LifeAfter(sim, spans + stretch, frame - 1, work)
            if over:
                lives = -1
            if best is None or lives > best[0]:
                best = (lives, stretch, frame - 1)
            if life is None or lives >= life:
                break
        lives, stretch, last = best
        if lives <= 1:
            break  # keep the pilot alive: a game is its flight given up, never its crash
        spans, end, life = spans + stretch, last, lives
    return spans, end


def MakePilot(task):
    sim, folder, index = task
    path = os.path.join(folder, f"pilot-{index:02d}.keys")
    if os.path.exists(path):
        return path
    with tempfile.TemporaryDirectory(dir=folder) as work:
        attempt = 0
        while True:
            spans, end = FlyPilot(sim, index + PILOTS * attempt, work)
            if end >= MIN_PILOT_FRAMES:
                break
            attempt += 1
    with open(path + ".part", "w") as f:
        f.write(KeyLines(spans))
    os.replace(path + ".part", path)
    print(f"  pilot {index}: {end} frames", flush=True)
    return path


def ReadSpans(path):
    spans = []
    with open(path) as f:
        for line in f:
            first, last, *keys = line.split()
            spans.append((int(first), int(last), " ".join(keys)))
    return spans


def GiveUp(spans, cut, way):
    """The pilot's spans up to frame `cut`, then the way it gives up."""
    kept, x = [], START_X
    for first, last, keys in spans:
        if first > cut:
            break
        last = min(last, cut)
        kept.append((first, last, keys))
        steps = (last - first + 1) * SHIP_STEP
        if "Right" in keys:
            x = min(FIELD_WIDTH, x + steps)
        if "Left" in keys:
            x = max(0, x - steps)
    if way == "centre":
        frames = abs(START_X - x) // SHIP_STEP
        if frames:
            kept.append((cut + 1, cut + frames, "Right" if x < START_X else "Left"))
    elif way == "climb":
        kept.append((cut + 1, cut + 40, "Up"))
    return kept


def Choices(spans, pilot):
    """Every (cut frame, way) of a pilot, in the seeded order games take them from."""
    last = spans[-1][1]
    choices = [(cut, way) for cut in range(MIN_FRAMES * 3 // 4, last + 1) for way in WAYS]
    random.Random(f"choices {pilot}").shuffle(choices)
    return choices


def MakeGame(task):
    sim, folder, index = task
    path = os.path.join(folder, f"game-{index:04d}.pelrpy")
    if os.path.exists(path):
        return path
    pilot, game = index % PILOTS, index // PILOTS
    spans = ReadSpans(os.path.join(folder, f"pilot-{pilot:02d}.keys"))
    choices = Choices(spans, pilot)
    with tempfile.TemporaryDirectory(dir=folder) as work:
        keys = os.path.join(work, "game.keys")
        replay = os.path.join(work, "game.pelrpy")
        for at in range(game, len(choices), GAMES_PER_PILOT):
            cut, way = choices[at]
            with open(keys, "w") as f:
                f.write(KeyLines(GiveUp(spans, cut, way)))
            if os.path.exists(replay):
                os.remove(replay)
            out = Sim(sim, ["--frames", str(MAX_FRAMES), "--keys", keys, "--record", replay], work)
            words = out.split()
            if "(game over)" not in out or int(words[2]) < MIN_FRAMES:
                continue
            verdict = Sim(sim, ["--replay", replay, "--board"], work)
            if not verdict.startswith("replay verified"):
                raise RuntimeError(f"game {index} (pilot {pilot}, cut {cut}, {way}): {verdict}")
            shutil.copyfile(keys, os.path.join(folder, f"game-{index:04d}.keys"))
            os.replace(replay, path)
            return path
    raise RuntimeError(f"pilot {pilot} has no cut left for game {index}")


def FileHash(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sim", required=True, help="the pelaryn-sim that records the games")
    parser.add_argument("--out", required=True, help="the folder the corpus is kept in")
    parser.add_argument("--count", type=int, required=True, help="games wanted")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    if not 1 <= args.count <= PILOTS * GAMES_PER_PILOT:
        sys.exit(f"--count must be 1 … {PILOTS * GAMES_PER_PILOT}")
    sim = os.path.abspath(args.sim)
    folder = os.path.abspath(args.out)
    stamp = os.path.join(folder, "sim.sha256")
    made_by = FileHash(sim)
    if os.path.isdir(folder):
        kept = open(stamp).read().strip() if os.path.exists(stamp) else ""
        if kept != made_by:
            print("pelaryn-sim changed: the corpus is made again", flush=True)
            shutil.rmtree(folder)
    os.makedirs(folder, exist_ok=True)
    with open(stamp, "w") as f:
        f.write(made_by + "\n")

    games = [os.path.join(folder, f"game-{i:04d}.pelrpy") for i in range(args.count)]
    missing = [i for i, path in enumerate(games) if not os.path.exists(path)]
    if missing:
        pilots = sorted({i % PILOTS for i in missing})
        print(f"recording {len(missing)} games from {len(pilots)} pilots, {args.jobs} at a time",
              flush=True)
        with multiprocessing.Pool(args.jobs) as pool:
            pool.map(MakePilot, [(sim, folder, p) for p in pilots], chunksize=1)
            for done, _ in enumerate(pool.imap_unordered(
                    MakeGame, [(sim, folder, i) for i in missing], chunksize=4), 1):
                if done % 100 == 0:
                    print(f"  {done} of {len(missing)} games", flush=True)
    # The files differ anyway in the time they were recorded at; a board tells games apart by
    # their input, and all of it is in the keys.
    inputs = {FileHash(path[:-len(".pelrpy")] + ".keys") for path in games}
    if len(inputs) != len(games):
        sys.exit(f"{len(games) - len(inputs)} games of the corpus repeat another's input")
    print(f"corpus: {len(games)} distinct games in {folder}", flush=True)


if __name__ == "__main__":
    main()
