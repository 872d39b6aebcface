// The browser's build in a real Chromium: the page shows the title, F2 starts a game that the
// keys steer and the music and effects sound from the first key on, a key script played in the
// page gives the very fingerprints pelaryn-sim gives, the ranking the game over writes is kept,
// byte for byte as the desktop writes it, across a reload of the page, and the menu bar and
// windows are the game's own in either language.
//
//   PELARYN_SIM=build/debug/bin/pelaryn-sim node --test tests/web/
//
// The page is served from build/web (scripts/web builds it), or PELARYN_WEB_SITE.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { pageAndBrowserForTests } from "./chromium.mjs";
import { english, withArgs } from "./translation.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");

// Into the first boss firing both shots, then still until the ship breaks: a boss fight and a
// game over with a score for the ranking (54 points, some 480 frames).
const keys = "1 100 Z Left\n101 300 X Right\n301 600 Z Left\n601 900 X\n";
const settings = ["PhaseFrames=1290", "Life=5"];
const name = "ウェブ";

let browser;
let origin;
pageAndBrowserForTests(site, [], (started) => ({ browser, origin } = started));

// Each page in a browser context of its own, so that no test sees another's storage.
async function open(query = "", setUp = async () => {}) {
  const page = await (await browser.createBrowserContext()).newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await setUp(page);
  await page.goto(`${origin}/index.html${query}`);
  return { page, errors };
}

// Distinct colours on the canvas: a blank or one-colour field has one or two.
function colours(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("field");
    const data = canvas.getContext("2d").getImageData(0, 0, 300, 400).data;
    const seen = new Set();
    for (let i = 0; i < data.length; i += 4) seen.add((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]);
    return seen.size;
  });
}

function field(page, x, y, width, height) {
  return page.evaluate((x, y, width, height) => {
    const canvas = document.getElementById("field");
    return Array.from(canvas.getContext("2d").getImageData(x, y, width, height).data);
  }, x, y, width, height);
}

test("the page shows the title, F2 starts a game that the player's own keys steer, the pad's buttons are bound, and it sounds", async () => {
  // A pad with the standard mapping, its buttons as the test holds them.
  const { page, errors } = await open("", (page) => page.evaluateOnNewDocument(() => {
    window.testPadButtons = 0;
    navigator.getGamepads = () => [{
      connected: true, mapping: "standard", axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: ((window.testPadButtons >> i) & 1) === 1 })),
    }];
  }));
  await page.waitForFunction(() => document.getElementById("status").textContent === "",
                             { timeout: 10000 });
  await new Promise((resolve) => setTimeout(resolve, 1500));
  assert.ok(await colours(page) > 20, "the title is drawn");
  // Silent until the first key, as browsers start sound only then (this one would start it
  // at once); the key makes the synthesiser and starts the music.
  const sound = () => page.evaluate(() => window.pelarynSound());
  assert.equal((await sound()).music, "none");
  await page.keyboard.press("F2");
  await page.waitForFunction(() => {
    const now = window.pelarynSound();
    return now.music === "playing" && now.musicLevel > 0.01;
  }, { timeout: 15000, polling: 200 });
  // The player's own key for left, bound in the controls window (the game waits meanwhile).
  await page.click("#menubar .menu:nth-child(2) > button");
  await page.click('[data-item="controls"]');
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector(".key"));
  // As the desktop's window shows them, in English: the keys' names, an empty box, the loudness
  // and the buttons' order.
  const words = english();
  const controls = (source) => words.get("pelaryn::FrmControls\u0004" + source);
  assert.deepEqual(await page.evaluate(() => ({
    keys: Array.from(document.querySelectorAll('.key[data-action="left"], .key[data-action="shot"]'), (b) => b.textContent),
    volumes: Array.from(document.querySelectorAll(".window output"), (o) => o.textContent),
    buttons: Array.from(document.querySelectorAll(".window .buttons button"), (b) => b.textContent),
  })), { keys: ["←", words.get("KeyBindings\u0004テンキー ") + "4", "Z", "―"], volumes: ["100 %", "100 %"],
         buttons: [controls("初期値に戻す"), "OK", controls("キャンセル")] });
  await page.click('.key[data-action="left"][data-slot="1"]');
  await page.keyboard.press("KeyA");
  assert.equal(await page.$eval('.key[data-action="left"][data-slot="1"]', (b) => b.textContent), "A");
  // And the pad's right shoulder button for the spread shot.
  await page.click('.key[data-shot="spread"]');
  await page.evaluate(() => { window.testPadButtons = 1 << 5; });
  await page.waitForFunction(() => document.querySelector('.key[data-shot="spread"]').textContent === "RB");
  await page.evaluate(() => { window.testPadButtons = 0; });
  await page.click(".window .buttons button.default");
  await page.waitForFunction(() => window.pelarynWindow() === null);
  assert.deepEqual(await page.evaluate(() => JSON.parse(localStorage.getItem("pelaryn/preferences")).pad),
                   { shot: "a", spread: "rightshoulder" });
  await new Promise((resolve) => setTimeout(resolve, 1000));
  // Where the ship is across the field, by its yellow body; -1 when it is not to be seen.
  const shipX = async () => {
    const pixels = await field(page, 0, 320, 300, 50);
    const xs = [];
    for (let i = 0; i < pixels.length; i += 4) {
      // The ship's yellow body.
      if (pixels[i] > 230 && pixels[i + 1] > 180 && pixels[i + 2] < 120) xs.push((i / 4) % 300);
    }
    return xs.length > 0 ? xs.reduce((a, b) => a + b) / xs.length : -1;
  };
  // The ship starts at the bottom centre; held left, it leaves the centre for the left edge.
  const startX = await shipX();
  assert.ok(startX > 130 && startX < 170, `the ship starts in the middle (x ${startX})`);
  await page.keyboard.down("KeyA");
  await new Promise((resolve) => setTimeout(resolve, 2500));
  await page.keyboard.up("KeyA");
  const leftX = await shipX();
  assert.ok(leftX >= 0 && leftX < 30, `the ship is at the left edge (x ${leftX})`);
  // A key held as a window opens is let go with it: the ship does not go on by itself after.
  await page.keyboard.down("ArrowRight");
  await new Promise((resolve) => setTimeout(resolve, 200));
  await page.click("#menubar .menu:nth-child(2) > button");
  await page.click('[data-item="mnuOption"]');
  await page.waitForFunction(() => window.pelarynWindow() !== null);
  await page.keyboard.up("ArrowRight");
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => window.pelarynWindow() === null);
  await new Promise((resolve) => setTimeout(resolve, 2500));
  const x = await shipX();
  assert.ok(x >= 0 && x < 150, `the ship stopped where the key was let go (x ${x})`);
  // The first key started the sound: the six effects passed their check and were decoded, and
  // the game's effects are heard.
  await page.keyboard.down("KeyX");
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await page.keyboard.up("KeyX");
  const heard = await sound();
  assert.deepEqual({ decoded: heard.decoded, state: heard.state }, { decoded: 6, state: "running" });
  assert.ok(heard.started > 0, "effects were played");
  assert.deepEqual(errors, []);
  await page.browserContext().close();
});

const files = ["pelaryn.cfg", "pelaryn.sco"];

// What pelaryn-sim writes for the same keys and settings, run after run in one folder of files:
// its fingerprints, the files as hex after the run, and its end: the boxes the game put up (in
// the game's own words), the shoot-down ratio and the place in the ranking.
function simRun(dir) {
  const work = mkdtempSync(path.join(tmpdir(), "pelaryn-web-"));
  writeFileSync(path.join(work, "keys"), keys);
  const args = ["--frames", "100000", "--keys", path.join(work, "keys"), "--name", name,
                "--dir", dir, "--hashes", path.join(work, "hashes"), "--dump", path.join(work, "end.json")];
  for (const setting of settings) args.push("--set", setting);
  execFileSync(sim, args, { stdio: ["ignore", "ignore", "inherit"] });
  const end = JSON.parse(readFileSync(path.join(work, "end.json"), "utf8"));
  return {
    hashes: readFileSync(path.join(work, "hashes"), "utf8").trim().split("\n"),
    files: files.map((file) => readFileSync(path.join(dir, file)).toString("hex")),
    boxes: end.Dialogs.filter((box) => box.Kind === "Message" || box.Kind === "Input")
      .map((box) => ({ title: box.Title, text: box.Text })),
    ratio: end.ShotRatio,
    place: end.Ranking.findIndex((row) => row.Name === name && row.Score === end.Score) + 1,
  };
}

// A file in the page's storage, as bytes; null when there is none.
function stored(page, name) {
  return page.evaluate((name) => window.pelarynStored(name), name)
    .then((bytes) => bytes && Buffer.from(bytes));
}

// The page's files as hex.
async function storedFiles(page) {
  const hex = [];
  for (const file of files) hex.push((await stored(page, "pelaryn/" + file) ?? Buffer.alloc(0)).toString("hex"));
  return hex;
}

// Answers the game's windows as a player would: the name typed into the name box, OK on every
// other box; until the run is over. What the boxes said goes to `boxes`.
async function answerWindows(page, done, boxes) {
  while (!done.over) {
    const kind = await page.evaluate(() => {
      const shown = window.pelarynWindow();
      if (!shown) return null;
      // Each box noted once, however often it is seen before it goes.
      const text = shown.dataset.noted ? null : shown.querySelector(".text");
      shown.dataset.noted = "yes";
      return { kind: shown.querySelector("input[type=text]") ? "input" : "box",
               box: text && { title: shown.querySelector("h2").textContent, text: text.textContent } };
    }).then((shown) => {
      if (shown?.box) boxes.push(shown.box);
      return shown?.kind;
    }).catch(() => null);
    if (kind === "input") {
      await page.type(".window input[type=text]", name);
      await page.keyboard.press("Enter");
    } else if (kind === "box") {
      await page.click(".window .buttons button.default");
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

async function pageRun(page, boxes = []) {
  const done = { over: false };
  const answering = answerWindows(page, done, boxes);
  try {
    await page.waitForFunction(() => window.pelarynReport.some((line) => line.startsWith("final")),
                               { timeout: 120000 });
  } finally {
    done.over = true;
    await answering;
  }
  return page.evaluate(() => window.pelarynReport.slice());
}

test("a key script played in the page gives pelaryn-sim's fingerprints, the ranking stays, and the game over speaks the player's language", async () => {
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-web-files-"));
  const expected = [simRun(dir), simRun(dir)];
  assert.ok(expected[0].hashes.length >= 3 && expected[0].hashes.at(-1).startsWith("final"));
  const { page, errors } = await open("?test", (page) =>
    page.evaluateOnNewDocument((keys, settings, folder) => {
      window.pelarynTestKeys = keys;
      window.pelarynTestSettings = settings;
      window.pelarynTestProgramFolder = folder;
    }, keys, settings.join("\n"), path.dirname(path.resolve(sim))));
  // The browser asks for English: the game over and the name box say it in the desktop's
  // English, with the game's own figures.
  const boxes = [];
  assert.deepEqual(await pageRun(page, boxes), expected[0].hashes);
  const words = english();
  const translated = (source) => words.get("Messages\u0004" + source);
  assert.deepEqual(boxes, [
    { title: "pelaryn", text: withArgs(translated("おしまい\r\n撃墜率 : %1%"), expected[0].ratio) },
    { title: translated("NAME ENTRY"),
      text: withArgs(translated("%1位にランクインです！\r\n名前を入力してください\r\n（半角なら６文字程度、全角なら４文字以内にしてください）"),
                     expected[0].place) },
  ]);
  // The files are the desktop's own bytes, the name in code page 932 included.
  assert.deepEqual(await storedFiles(page), expected[0].files);
  // Loaded again with Japanese chosen, the page reads them back: the second run starts from the
  // first one's ranking, and its boxes are the game's own words.
  await page.evaluate(() => localStorage.setItem("pelaryn/preferences", JSON.stringify({ language: "ja" })));
  await page.reload();
  boxes.length = 0;
  assert.deepEqual(await pageRun(page, boxes), expected[1].hashes);
  assert.deepEqual(boxes, expected[1].boxes);
  assert.deepEqual(await storedFiles(page), expected[1].files);
  assert.notDeepEqual(expected[1].hashes, expected[0].hashes);
  // Both games were recorded and kept, as the desktop's replay files: pelaryn-sim plays the
  // page's recording of the second game to the same end.
  const replays = await page.evaluate(() => window.pelarynStoredNames("pelaryn/replays/"));
  assert.equal(replays.length, 2);
  assert.match(replays[1], /^\d{8}-\d{6}-0000\d{3}(-\d+)?\.pelrpy$/);
  const recorded = path.join(dir, "page.pelrpy");
  writeFileSync(recorded, await stored(page, "pelaryn/replays/" + replays[1]));
  const played = execFileSync(sim, ["--replay", recorded], { encoding: "utf8" });
  assert.match(played, /replay verified: 481 frames/);
  assert.deepEqual(errors, []);
  await page.browserContext().close();
});

test("a replay recorded by the headless runner opens in the page's replay window and verifies", async () => {
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-web-replay-"));
  const file = path.join(dir, "game.pelrpy");
  writeFileSync(path.join(dir, "keys"), keys);
  const args = ["--frames", "100000", "--keys", path.join(dir, "keys"), "--name", name,
                "--dir", dir, "--record", file];
  for (const setting of settings) args.push("--set", setting);
  execFileSync(sim, args, { stdio: "ignore" });
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  // The same game kept once in the page's storage, as an earlier page kept its own: one
  // character a byte in localStorage, moved into the page's database as it starts.
  const kept = "pelaryn/replays/20261208-120000-0000054.pelrpy";
  await page.evaluateOnNewDocument((folder, kept, bytes) => {
    window.pelarynTestProgramFolder = folder;
    if (!sessionStorage.getItem("seeded")) {
      localStorage.setItem(kept, bytes);
      sessionStorage.setItem("seeded", "1");
    }
  }, path.dirname(path.resolve(sim)), kept, readFileSync(file).toString("latin1"));
  await page.goto(`${origin}/index.html?test`);
  await page.waitForFunction(() => document.getElementById("status").textContent === "",
                             { timeout: 10000 });
  // F7, then the file from the disk, as a player opens one.
  await page.keyboard.press("F7");
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector(".replays"));
  // The kept one is listed, and deleted once the player confirms it.
  assert.deepEqual(await page.$$eval(".replays tbody tr td", (cells) => cells.slice(1, 5).map((c) => c.textContent)),
                   [name, "54", "0", "33%"]);
  await page.evaluate(() => Array.from(document.querySelectorAll(".window .buttons button"))
    .find((b) => b.textContent === "Delete").click());
  await page.click(".window .buttons button.default");
  await page.waitForFunction(() => window.pelarynWindow()?.querySelectorAll(".replays tbody tr").length === 0);
  assert.equal(await stored(page, kept), null);
  const [chooser] = await Promise.all([
    page.waitForFileChooser(),
    page.evaluate(() => Array.from(document.querySelectorAll(".window .buttons button"))
      .find((b) => b.textContent.startsWith("Open")).click()),
  ]);
  await chooser.accept([file]);
  await page.waitForFunction(() => window.pelarynWindow() === null);
  // Played four times as fast; the watcher may not start a game meanwhile.
  await page.keyboard.press("F8");
  await page.waitForFunction(() => document.querySelector('[data-item="mnuStart"]').disabled &&
                                   document.querySelector('[data-item="replays"]').disabled);
  // The page's title tells of the replay, as the desktop's window title does.
  await page.waitForFunction((name) => document.title.includes(name + " 54") &&
                                       document.title !== document.title.replace(/\(.*\)/, ""), {}, name);
  await page.waitForFunction(() => window.pelarynReport.some((line) => line.startsWith("replay")),
                             { timeout: 60000 });
  assert.deepEqual(await page.evaluate(() => window.pelarynReport.slice()),
                   ["replay verified: 481 frames, score 54"]);
  // Back on the title, a file that is no replay is refused, with the reason.
  await page.waitForFunction(() => !document.querySelector('[data-item="replays"]').disabled);
  assert.equal(await page.title(), "Velgard");
  await page.keyboard.press("F7");
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector(".replays"));
  const [again] = await Promise.all([
    page.waitForFileChooser(),
    page.evaluate(() => Array.from(document.querySelectorAll(".window .buttons button"))
      .find((b) => b.textContent.startsWith("Open")).click()),
  ]);
  writeFileSync(path.join(dir, "notes.pelrpy"), "not a replay at all");
  await again.accept([path.join(dir, "notes.pelrpy")]);
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector(".problem"));
  assert.match(await page.$eval(".problem", (p) => p.textContent), /notes\.pelrpy/);
  assert.deepEqual(errors, []);
  await context.close();
});

test("the menu bar and the windows: the game's items and states, its settings, ranking, files and languages", async () => {
  // In a page of its own, a ranking with a name in it, as the desktop writes it, imported
  // through 設定 → ファイルの書き出し／読み込み: the page reloads and starts with it.
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-web-windows-"));
  simRun(dir);
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.goto(`${origin}/index.html`);
  const ready = () => page.waitForFunction(() => document.getElementById("status").textContent === "" &&
                                                 document.querySelector('[data-item="files"]'), { timeout: 10000 });
  await ready();
  await page.click("#menubar .menu:nth-child(2) > button");
  await page.click('[data-item="files"]');
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector("input[type=file]"));
  const [chooser] = await Promise.all([
    page.waitForFileChooser(),
    page.click(".window .buttons button:nth-child(2)"),
  ]);
  await Promise.all([page.waitForNavigation(), chooser.accept([path.join(dir, "pelaryn.sco")])]);
  await ready();
  assert.deepEqual(await stored(page, "pelaryn/pelaryn.sco"), readFileSync(path.join(dir, "pelaryn.sco")),
               "kept as it was, not written over as the page reloaded");
  const titles = () => page.$$eval("#menubar .menu > button", (all) => all.map((b) => b.textContent));
  const item = (name) => page.$eval(`[data-item="${name}"]`, (b) => ({
    text: b.children[1].textContent, key: b.children[2].textContent,
    checked: b.children[0].textContent === "✓", enabled: !b.disabled }));
  const click = async (top, name) => {
    await page.click(`#menubar .menu:nth-child(${top}) > button`);
    await page.click(`[data-item="${name}"]`);
  };
  const windowUp = () => page.waitForFunction(() => window.pelarynWindow() !== null);
  const windowGone = () => page.waitForFunction(() => window.pelarynWindow() === null);
  // The browser asks for English: the desktop's English, from its translation file.
  await page.waitForFunction(() => document.querySelector("#menubar .menu > button")?.textContent === "Game");
  assert.deepEqual(await titles(), ["Game", "Settings", "Help"]);
  assert.deepEqual(await item("mnuStart"), { text: "Start", key: "F2", checked: false, enabled: true });
  assert.deepEqual(await item("mnuSe"), { text: "Sound effects", key: "F5", checked: true, enabled: true });
  // The check mark is the game's: a click goes to the game, and its answer comes back.
  await click(2, "mnuSe");
  await page.waitForFunction(() => document.querySelector('[data-item="mnuSe"] .mark').textContent === "");

  // The settings window from the game's table: each setting's field with its range, held still.
  await click(2, "mnuOption");
  await windowUp();
  const fields = await page.$$eval("[data-setting]", (all) => all.map((f) => f.dataset.setting));
  assert.equal(fields.length, 20, "every setting but the two the menu sets");
  assert.ok(!fields.includes("SoundEffectsOn") && fields.includes("BossBgm(1).Path"));
  assert.deepEqual(await page.$eval('[data-setting="InitialDifficulty"]', (f) => [f.min, f.max, f.value]),
                   ["0", "50", "0"]);
  const still = await field(page, 0, 0, 300, 400);
  await new Promise((resolve) => setTimeout(resolve, 600));
  assert.deepEqual(await field(page, 0, 0, 300, 400), still, "the title stands still behind the window");
  await page.$eval('[data-setting="InitialDifficulty"]', (bar) => {
    bar.value = "9";
    bar.dispatchEvent(new Event("input"));
  });
  await page.click(".window .buttons button.default");
  await windowGone();
  await click(2, "mnuOption");
  await windowUp();
  assert.equal(await page.$eval('[data-setting="InitialDifficulty"]', (f) => f.value), "9",
               "the game took the value, and gives it back at the next opening");
  await page.keyboard.press("Escape");
  await windowGone();

  // The ranking, and 初期化 once confirmed.
  const names = () => page.$$eval(".ranking tbody tr td:nth-child(2)", (all) => all.map((c) => c.textContent));
  await click(2, "mnuRanking");
  await windowUp();
  assert.equal((await names()).length, 10);
  // Its heading is drawn in the player's language too: the English picture, pixel for pixel.
  const heading = readFileSync(path.join(root, "src/render/assets/ranklogo-en.png")).toString("base64");
  assert.ok(await page.evaluate(async (png) => {
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const picture = await createImageBitmap(new Blob([bytes], { type: "image/png" }),
                                            { colorSpaceConversion: "none", premultiplyAlpha: "none" });
    const canvas = new OffscreenCanvas(picture.width, picture.height);
    canvas.getContext("2d").drawImage(picture, 0, 0);
    const want = canvas.getContext("2d").getImageData(0, 0, picture.width, picture.height).data;
    const logo = window.pelarynWindow().querySelector("canvas.picture");
    const shown = logo.getContext("2d").getImageData(0, 0, logo.width, logo.height).data;
    return shown.length === want.length && shown.every((value, i) => value === want[i]);
  }, heading), "the English ranking window shows the English heading");
  assert.ok((await names()).includes(name));
  await page.click(".window .buttons button:nth-child(2)");
  await page.waitForFunction(() => window.pelarynWindow().querySelector(".ranking") === null);
  await page.click(".window .buttons button.default");
  await page.waitForFunction((name) => {
    const cells = document.querySelectorAll(".ranking tbody tr td:nth-child(2)");
    return cells.length === 10 && !Array.from(cells).some((c) => c.textContent === name);
  }, {}, name);
  await page.click(".window .buttons button.default");
  await windowGone();

  // Japanese, chosen in the controls window, for the menu and the windows alike.
  await click(2, "controls");
  await windowUp();
  await page.select(".window select", "ja");
  await page.click(".window .buttons button.default");
  await windowGone();
  await page.waitForFunction(() => document.querySelector("#menubar .menu > button").textContent === "ゲーム");
  assert.deepEqual(await titles(), ["ゲーム", "設定", "ヘルプ"]);
  assert.deepEqual(await item("mnuExit"), { text: "終了(X)", key: "F9", checked: false, enabled: true });
  await click(3, "mnuVersion");
  await windowUp();
  assert.equal(await page.$eval(".window h2", (h) => h.textContent), "バージョン情報");
  await page.keyboard.press("Enter");
  await windowGone();

  // No game ended, so nothing was written yet; hidden (a tab closed), the page writes its files,
  // and opened again it has the settings the player left: 効果音 off, the difficulty at 9.
  assert.equal(await stored(page, "pelaryn/pelaryn.cfg"), null);
  await page.evaluate(() => {
    Object.defineProperty(document, "visibilityState", { value: "hidden", configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
  });
  await page.reload();
  await page.waitForFunction(() => document.querySelector('[data-item="mnuSe"]'));
  await page.waitForFunction(() => document.getElementById("status").textContent === "");
  assert.equal((await item("mnuSe")).checked, false);
  await click(2, "mnuOption");
  await windowUp();
  assert.equal(await page.$eval('[data-setting="InitialDifficulty"]', (f) => f.value), "9");
  await page.keyboard.press("Escape");
  await windowGone();

  // Exported, the two files are the stored bytes.
  const downloads = mkdtempSync(path.join(tmpdir(), "pelaryn-web-downloads-"));
  await (await page.createCDPSession()).send("Page.setDownloadBehavior",
                                             { behavior: "allow", downloadPath: downloads });
  await click(2, "files");
  await windowUp();
  await page.click(".window .buttons button.default");
  for (const file of files) {
    const bytes = await stored(page, "pelaryn/" + file);
    for (let tries = 0; tries < 50 && !existsSync(path.join(downloads, file)); ++tries) {
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    assert.deepEqual(readFileSync(path.join(downloads, file)), bytes, file);
  }
  assert.deepEqual(errors, []);
  await context.close();
});

test("the page's server gives out the page's folder and nothing above it", async () => {
  assert.equal((await fetch(`${origin}/index.html`)).status, 200);
  for (const above of ["/%2e%2e/package.json", "/..%2f..%2fpackage.json", "/%2e%2e%2fREADME.md",
                       "/missing.html", "/"]) {
    assert.equal((await fetch(origin + above)).status, 404, above);
  }
});
