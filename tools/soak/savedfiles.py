"""Reads the ranking file the game saved, independently of the game's own reader, and says what
is wrong with it."""

BOM = b"\xef\xbb\xbf"
ROWS = 10
DEFAULT_NAME = "KEVA"


def RankingName(typed: str | None) -> str:
    """The name as the game keeps it: a cancelled box keeps it empty, a quote turns full-width."""
    return (typed or "").replace('"', "”")


def DecodeFileText(data: bytes) -> str:
    if data.startswith(BOM):
        return data[len(BOM) :].decode("utf-8")
    return data.decode("cp932")


def SplitFields(line: str) -> list[str]:
    """Fields of one line: a quoted field may hold commas."""
    fields, current, quoted = [], "", False
    for c in line:
        if c == '"':
            quoted = not quoted
        elif c == "," and not quoted:
            fields.append(current)
            current = ""
        else:
            current += c
    fields.append(current)
    return fields


def ReadRanking(path: str) -> tuple[list[dict], list[str]]:
    """The rows of the ranking file and the problems found in it."""
    problems = []
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        return [], [f"cannot read {path}: {e}"]
    try:
        text = DecodeFileText(data)
    except UnicodeDecodeError as e:
        return [], [f"{path} is neither code page 932 nor UTF-8 with a byte-order mark: {e}"]
    if not text.endswith("\r\n"):
        problems.append(f"{path} does not end with CR LF")
    lines = text.split("\r\n")[:-1] if text.endswith("\r\n") else text.split("\r\n")
    if len(lines) != ROWS:
        problems.append(f"{path} has {len(lines)} lines, not {ROWS}")
    rows = []
    for number, line in enumerate(lines, 1):
        fields = SplitFields(line)
        if len(fields) != 4 or not line.startswith('"'):
            problems.append(f"{path} line {number} is not \"NAME\",SCORE,COMBO,RATIO: {line!r}")
            continue
        try:
            score, combo, ratio = (int(v) for v in fields[1:])
        except ValueError:
            problems.append(f"{path} line {number} holds a number that is not one: {line!r}")
            continue
        rows.append({"Name": fields[0], "Score": score, "MaxCombo": combo, "ShotRatio": ratio})
    return rows, problems


def RankingProblems(rows: list[dict], names: set[str]) -> list[str]:
    """What makes a ranking impossible: rows out of order, a ratio outside 0–100, a negative
    combo or score, a name nobody typed."""
    problems = []
    for i, row in enumerate(rows):
        where = f"ranking row {i + 1} {row}"
        if i > 0 and row["Score"] > rows[i - 1]["Score"]:
            problems.append(f"{where} scores more than the row above it")
        if not 0 <= row["ShotRatio"] <= 100:
            problems.append(f"{where} has a shoot-down ratio outside 0..100")
        if row["MaxCombo"] < 0 or row["Score"] < 0:
            problems.append(f"{where} has a negative number")
        if row["Name"] not in names | {DEFAULT_NAME}:
            problems.append(f"{where} has a name nobody typed")
    return problems
