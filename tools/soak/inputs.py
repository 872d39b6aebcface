"""Random but reproducible input for one run of pelaryn-sim: held keys, a joystick, menu
commands, settings and the name typed at every name entry, all drawn from one seeded source."""

import random
from dataclasses import dataclass, field

MOVES = ["Left", "Right", "Up", "Down", "Numpad2", "Numpad4", "Numpad6", "Numpad8"]

# Names a player might type: Japanese, half-width kana, a quote (kept as ”), a comma inside the
# quoted field, a letter code page 932 cannot hold (the file then turns UTF-8), a long one.
# None cancels the box, which keeps an empty name.
NAMES = ["SOAK", "ソーク", "ｿｰｸ", 'Q"uote', "a,b", "Café", "長い名前のプレイヤーです", "x" * 40, None]

# The difficulties the runs spread over, in bands; each run takes the next band of a shuffled
# cycle, so that any ten runs in a row cover them all.
LEVEL_TOP = 300
LEVEL_BANDS = 10

# Scripts read the menu at a game's own frame, so every game replays the same commands; past
# this frame few games are still alive.
MENU_HORIZON = 20000


@dataclass
class RunPlan:
    frames: int
    games: int
    level: int
    title_frames: int
    name: str | None
    settings: list[tuple[str, str]] = field(default_factory=list)
    keys: list[str] = field(default_factory=list)
    menu: list[str] = field(default_factory=list)
    joy: list[str] = field(default_factory=list)
    reset_frame: int | None = None


class Planner:
    def __init__(self, seed: int):
        self.random = random.Random(seed)
        self.bands: list[int] = []
        self.runs = 0

    def Level(self) -> int:
        # The first two runs take the two ends, so that even a short soak sees both.
        self.runs += 1
        if self.runs == 1:
            return 0
        if self.runs == 2:
            return LEVEL_TOP
        if not self.bands:
            self.bands = list(range(LEVEL_BANDS))
            self.random.shuffle(self.bands)
        band = self.bands.pop()
        width = LEVEL_TOP // LEVEL_BANDS
        return self.random.randint(band * width, (band + 1) * width)

    def Plan(self, frames: int) -> RunPlan:
        r = self.random
        plan = RunPlan(
            frames=frames,
            # Most runs last their frames out, long enough to tell memory growth from warm-up;
            # the rest end at their last game over, the dump taken right after its save.
            games=r.randint(3, 40) if r.random() < 0.3 else 100000,
            level=self.Level(),
            title_frames=r.choice([0, 0, r.randint(1, 30)]),
            name=r.choice(NAMES),
        )
        plan.settings = self.Settings(plan.level)
        plan.keys = self.Keys(frames)
        plan.menu, plan.reset_frame = self.Menu(frames)
        if r.random() < 0.3:
            plan.joy = self.Joy(frames)
            plan.settings.append(("UseJoystick", "true"))
            plan.settings.append(("JoySensitivity", str(r.randint(0, 20000))))
        return plan

    def Settings(self, level: int) -> list[tuple[str, str]]:
        r = self.random
        flag = lambda p: "true" if r.random() < p else "false"
        settings = [
            ("Level", str(level)),
            ("InitialDifficulty", str(r.randint(0, 50))),
            ("DifficultySkip", str(r.randint(0, 10))),
            ("AutoShot", flag(0.5)),
            ("SoundEffectsOn", flag(0.7)),
            ("TitleAnimation", flag(0.5)),
            ("BackSetting.ScrollYoko", str(r.randint(-20, 20))),
            ("BackSetting.ScrollTate", str(r.randint(-20, 20))),
            ("BackSetting.Guriguri", flag(0.25)),
            ("BackSetting.Kansei", flag(0.25)),
        ]
        # Half the runs meet a boss within the first few hundred frames of every game, so that
        # the fights are played at every difficulty, not only where games last long.
        if r.random() < 0.5:
            settings.append(("PhaseFrames", str(r.randint(900, 1333))))
        return settings

    def Keys(self, frames: int) -> list[str]:
        r = self.random
        lines = []
        frame = 1
        while frame <= frames:
            length = r.randint(1, 8) if r.random() < 0.4 else r.randint(9, 90)
            last = min(frame + length - 1, frames)
            keys = r.sample(MOVES, r.choice([0, 1, 1, 1, 2, 2]))
            if r.random() < 0.6:
                keys.append("Z")
            if r.random() < 0.25:
                keys.append("X")
            if keys:
                lines.append(f"{frame} {last} {' '.join(keys)}")
            frame = last + 1
        # Long holds laid over the rest, as a player keeps a button down while steering.
        for _ in range(frames // 2000):
            first = r.randint(1, frames)
            last = min(frames, first + r.randint(50, 1500))
            lines.append(f"{first} {last} {r.choice(['Z', 'X', r.choice(MOVES)])}")
        return lines

    def Command(self) -> str:
        r = self.random
        wait = lambda: f"Wait {r.randint(1, 40)}"
        return r.choice(
            [
                f"Pause {wait()} Pause",
                "Pause Pause",
                f"Pause {wait()} Se {wait()} Pause",
                f"Pause {wait()} Autoshot Pause",
                "Se",
                "Autoshot",
                f"Se {wait()} Se",
                f"Autoshot {wait()} Pause {wait()} Pause Autoshot",
                # A stray Start during a game: the item is disabled then and must do nothing.
                "Start",
            ]
        )

    def Menu(self, frames: int) -> tuple[list[str], int | None]:
        r = self.random
        horizon = min(frames, MENU_HORIZON)
        lines = {}
        frame = r.randint(1, 150)
        while frame <= horizon:
            lines[frame] = self.Command()
            frame += 1 + int(r.expovariate(1 / 250))
        reset = None
        if r.random() < 0.4:
            # Every game that lives this long is cut short here and does not count as a game over.
            reset = r.randint(800, 6000)
            lines[reset] = r.choice(["Reset", f"Pause Wait {r.randint(1, 40)} Reset", "Se Reset Se"])
        return [f"{f} {lines[f]}" for f in sorted(lines)], reset

    def Joy(self, frames: int) -> list[str]:
        r = self.random
        lines = []
        frame = r.randint(1, 500)
        while frame <= frames:
            last = min(frames, frame + r.randint(10, 300))
            axis = lambda: r.choice([32768, 0, 65535, r.randint(0, 65535)])
            lines.append(f"{frame} {last} {axis()} {axis()} {r.randint(0, 15)}")
            frame = last + 1 + r.randint(0, 500)
        return lines
