// The page's music in Chromium: the title music plays with the title's soundfont alone, the
// game's own pieces with the pieces' one, fetched behind it, each rendered ahead and played from
// memory; a player's own piece that sounds an instrument neither font has makes the page fetch
// the whole one, and loops from memory without going silent.
//
//   PELARYN_WEB_SITE=build/web node --test tests/web/music.test.mjs
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import vm from "node:vm";
import { pageAndBrowserForTests } from "./chromium.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");
// The game's own pieces, as the generators wrote them beside the program.
const pieces = ["title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"]
  .map((name) => path.join(path.dirname(path.resolve(sim)), "sound", name));

let browser;
let origin;
pageAndBrowserForTests(site, ["--autoplay-policy=no-user-gesture-required"], (started) => ({ browser, origin } = started));

// A piece of one channel: `program` on `channel` (after a bank select where `bank` is given),
// then `notes` quarter notes at 120 beats a minute, half a second each, rising from `key`, and
// a last program change to `then` where it is given.
function piece(program, notes, channel = 0, bank = null, key = 60, velocity = 100, then = null) {
  const track = bank === null ? [] : [0x00, 0xb0 | channel, 0, bank];
  track.push(0x00, 0xc0 | channel, program);
  for (let i = 0; i < notes; ++i) {
    track.push(0x00, 0x90 | channel, key + 2 * i, velocity, 0x60, 0x80 | channel, key + 2 * i, 0);
  }
  if (then !== null) track.push(0x00, 0xc0 | channel, then);
  track.push(0x00, 0xff, 0x2f, 0x00);
  const length = [24, 16, 8, 0].map((shift) => (track.length >> shift) & 0xff);
  return [..."MThd"].map((c) => c.charCodeAt(0)).concat([0, 0, 0, 6, 0, 0, 0, 1, 0, 96],
    [..."MTrk"].map((c) => c.charCodeAt(0)), length, track);
}

const music = {};
vm.runInNewContext(readFileSync(path.join(root, "app/web/music.js"), "utf8") +
  "\nObject.assign(music, { pelarynFontExactNotes, pelarynNeedsLargerFont, pelarynChainFont," +
  " pelarynFontStack });", { music });
const exactOf = (name) => {
  const font = readFileSync(path.join(site, name));
  return music.pelarynFontExactNotes(font.buffer.slice(font.byteOffset, font.byteOffset + font.length));
};
const asBuffer = (file) => file.buffer.slice(file.byteOffset, file.byteOffset + file.length);

test("the page tells which pieces the small soundfont serves, as the tool that made it", () => {
  const exact = exactOf("TimGM6mb-pieces.sf2");
  // A preset for each the game's pieces sound, by the tool's reading of them.
  const sounded = execFileSync("python3", [path.join(root, "tools/soundfont/subset-soundfont"),
                                           "--presets", ...pieces], { encoding: "utf8" });
  assert.deepEqual([...exact.keys()].sort(), sounded.trim().split("\n").sort());
  const bytes = (list) => new Uint8Array(list).buffer;
  // The strings (0:48) sound as in the whole font from key 62 to 77; below, a zone no piece of
  // ours reaches sounds with the kept ones. The flute (0:73) keeps keys 81 and up only.
  const cases = [
    ...pieces.map((name) => [path.basename(name), readFileSync(name), false]),
    ["the first piano, which no piece of ours sounds", bytes(piece(0, 1)), true],
    ["strings, where the title plays them", bytes(piece(48, 1, 0, null, 64)), false],
    ["strings, where a zone left out sounds too", bytes(piece(48, 1, 0, null, 60)), true],
    ["the flute, within its kept keys", bytes(piece(73, 2, 0, null, 90)), false],
    ["the flute, one note below its kept keys", bytes(piece(73, 2, 0, null, 78)), true],
    ["strings, then the flute for the same notes", bytes(piece(48, 1, 0, null, 64, 100, 73)), true],
    ["the drum kit, on the drum channel", bytes(piece(0, 1, 9, null, 36)), false],
    ["a drum the kit keeps no zone for", bytes(piece(0, 1, 9, null, 40)), true],
    ["another drum kit", bytes(piece(25, 1, 9, null, 36)), true],
    ["strings from another bank", bytes(piece(48, 1, 0, 1, 64)), true],
    ["not a MIDI file", bytes([0x52, 0x49, 0x46, 0x46]), false],
  ];
  for (const [name, file, whole] of cases) {
    const buffer = file.buffer ? file.buffer.slice(file.byteOffset, file.byteOffset + file.length) : file;
    assert.equal(music.pelarynNeedsLargerFont(buffer, exact), whole, name);
  }
  // Velocity counts as the key does, though this font splits no preset by it.
  const soft = new Map([["0:0", [[60, 61, 0, 63]]]]);
  for (const [key, velocity, whole] of [[60, 63, false], [60, 64, true], [62, 10, true]]) {
    assert.equal(music.pelarynNeedsLargerFont(bytes(piece(0, 1, 0, null, key, velocity)), soft),
                 whole, `key ${key}, velocity ${velocity}`);
  }
  // With no ranges read, every piece needs the whole font.
  assert.equal(music.pelarynNeedsLargerFont(bytes(piece(48, 1, 0, null, 64)), new Map()), true);
});

test("a piece takes the first font of the chain that serves it, and the chain grows in order", async () => {
  const title = exactOf("TimGM6mb-title.sf2");
  const all = exactOf("TimGM6mb-pieces.sf2");
  // Every note the title's font serves, the pieces' font serves too.
  for (const [preset, ranges] of title) {
    for (const [keyLow, keyHigh, velocityLow, velocityHigh] of ranges) {
      for (let key = keyLow; key <= keyHigh; ++key) {
        const velocities = Array.from({ length: velocityHigh - velocityLow + 1 }, (_, i) => velocityLow + i);
        assert.ok(velocities.every((velocity) => (all.get(preset) || []).some(([a, b, c, d]) =>
          a <= key && key <= b && c <= velocity && velocity <= d)), `${preset} key ${key}`);
      }
    }
  }
  const cases = [
    ...pieces.map((name) => [path.basename(name), asBuffer(readFileSync(name)),
                             path.basename(name) === "title.mid" ? 0 : 1]),
    ["a church organ", new Uint8Array(piece(19, 1)).buffer, 2],
  ];
  for (const [name, bytes, font] of cases) {
    assert.equal(music.pelarynChainFont(bytes, [title, all]), font, name);
  }

  // Loads, by the fonts asked for one after another (a minus for a load that fails once).
  const loads = [
    ["in order", [0, 1, 2], [0, 1, 2]],
    ["each once", [0, 0, 1, 1], [0, 1]],
    ["the whole one first: nothing below it", [0, 2, 1], [0, 2]],
    ["one skipped", [1, 0, 2], [1, 2]],
    ["a failed load tried again", [0, -1, 1, 2], [0, 1, 2]],
  ];
  for (const [name, asked, loaded] of loads) {
    const done = [];
    const failing = new Set(asked.filter((index) => index < 0).map((index) => -index));
    const stack = music.pelarynFontStack(async (index) => {
      if (failing.delete(index)) throw new Error("not fetched");
      done.push(index);
    });
    await Promise.all(asked.map((index) => stack.need(Math.abs(index)).catch(() => {})));
    assert.deepEqual(done, loaded, name);
  }
});

// The page with the game's title playing `titlePiece` (bytes, kept as the player's own file), or
// its own title music; every soundfont the page asks for is noted, and where the music was then.
// The first time the page asks for a font `failing` names, the server answers an error.
async function open(titlePiece, failing = []) {
  const page = await (await browser.createBrowserContext()).newPage();
  await page.evaluateOnNewDocument((failing) => {
    // Each block the live synthesiser renders, it tells the page so.
    window.liveReports = 0;
    const listen = MessagePort.prototype.addEventListener;
    MessagePort.prototype.addEventListener = function (type, listener, ...rest) {
      if (type !== "message") return listen.call(this, type, listener, ...rest);
      return listen.call(this, type, (event) => {
        if (event.data && event.data.method === "updateStatus") window.liveReports += 1;
        return listener.call(this, event);
      }, ...rest);
    };
    window.fontsAsked = [];
    const fetchFile = window.fetch;
    window.fetch = function (what, ...rest) {
      const name = String(what).replace(/\?.*/, "");
      if (name.endsWith(".sf2")) {
        window.fontsAsked.push([name, window.pelarynSound ? window.pelarynSound().musicSource : "none"]);
        if (failing.includes(name)) {
          failing.splice(failing.indexOf(name), 1);
          return Promise.resolve(new Response("", { status: 503 }));
        }
      }
      return fetchFile.call(this, what, ...rest);
    };
  }, failing);
  const errors = [];
  const fonts = [];
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("request", (request) => {
    const name = new URL(request.url()).pathname.slice(1);
    if (name.endsWith(".sf2")) fonts.push(name);
  });
  if (titlePiece) {
    await page.evaluateOnNewDocument((bytes) => {
      if (!localStorage.getItem("pelaryn/player-files/own.mid")) {
        localStorage.setItem("pelaryn/player-files/own.mid", String.fromCharCode(...bytes));
      }
      // A key script far beyond the test, so that the settings below apply; lives enough for the
      // game to outlast it on a busy machine.
      window.pelarynTestKeys = "100000 100000 Z\n";
      window.pelarynTestSettings = ["TitleBgm", "Bgm(0)", "Bgm(1)", "BossBgm(0)", "BossBgm(1)"]
        .map((name) => name + ".Path=/player-files/own.mid\n").join("") + "Life=50\n";
    }, titlePiece);
  }
  await page.goto(`${origin}/index.html${titlePiece ? "?test" : ""}`);
  await page.waitForFunction(() => !document.getElementById("status").textContent,
                             { timeout: 60000 });
  // The first key makes the synthesiser.
  await page.keyboard.press("ShiftLeft");
  return { page, errors, fonts };
}

const sound = (page) => page.evaluate(() => window.pelarynSound());

test("the title music plays from memory with the title's soundfont alone, the game's with the pieces' one", async () => {
  const title = "TimGM6mb-title.sf2";
  const all = "TimGM6mb-pieces.sf2";
  // The pieces' font fetched while the title plays; where that fails, asked for again by the game.
  for (const [name, failing, asks] of [["fetched ahead", [], [title, all]],
                                       ["fetched again", [all], [title, all, all]]]) {
    const { page, errors, fonts } = await open(null, failing);
    await page.waitForFunction(() => {
      const now = window.pelarynSound();
      return now.musicSource === "memory" && now.musicLevel > 0.01;
    }, { timeout: 60000, polling: 200 });
    // Handed over from the live synthesiser in the middle of the title's first pass, which is
    // far longer than the test.
    let now = await sound(page);
    assert.equal(now.music, "playing", name);
    assert.equal(now.musicMemoryStarts, 0, name);
    assert.deepEqual(now.musicFonts, [title], name);
    // The live synthesiser rendered while it was heard (a block is some 3 ms; a few reports come
    // without one), and rests now.
    const reports = await page.evaluate(() => window.liveReports);
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.ok(reports > 50 && await page.evaluate(() => window.liveReports) === reports, `${name}: ${reports}`);
    // The pieces' font is asked for while the title plays, not before it starts.
    await page.waitForFunction(() => window.fontsAsked.length >= 2, { timeout: 60000, polling: 100 });
    let asked = await page.evaluate(() => window.fontsAsked);
    assert.deepEqual(asked.map(([font]) => font), [title, all], name);
    assert.equal(asked[0][1], "none", name);
    assert.notEqual(asked[1][1], "none", name);
    now = await sound(page);
    assert.ok(now.music === "playing" && now.musicLevel > 0.01, `${name}: the title goes on`);
    // A game: its piece plays with the pieces' font, loaded on top of the title's.
    await page.keyboard.press("F2");
    await page.waitForFunction(() => window.pelarynSound().musicFonts.length >= 2,
                               { timeout: 60000, polling: 100 });
    await page.waitForFunction(() => window.pelarynSound().musicLevel > 0.01,
                               { timeout: 60000, polling: 100 });
    assert.deepEqual((await sound(page)).musicFonts, [title, all], name);
    asked = await page.evaluate(() => window.fontsAsked);
    assert.deepEqual(asked.map(([font]) => font), asks, name);
    assert.deepEqual(fonts, [title, all], name);
    assert.deepEqual(errors, [], name);
    await page.browserContext().close();
  }
});

test("a player's own piece with another instrument fetches the whole soundfont, and loops from memory", async () => {
  // A church organ, which none of the game's pieces sounds: two seconds, looping.
  const { page, errors, fonts } = await open(piece(19, 4));
  await page.waitForFunction(() => window.pelarynSound().musicMemoryStarts >= 2,
                             { timeout: 60000, polling: 100 });
  // Heard after the loop point too: a pass from memory, with no gap where it began again.
  let loud = 0;
  for (let i = 0; i < 10; ++i) {
    loud = Math.max(loud, (await sound(page)).musicLevel);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  assert.ok(loud > 0.01, `the music's level after a loop point: ${loud}`);
  const now = await sound(page);
  assert.equal(now.musicSource, "memory");
  // A pass ends where the player passes the last tick (two seconds in), not where the organ's
  // last note has rung out; within the 1024 frames the rendering looks at a time.
  assert.ok(now.musicPassSeconds >= 2 && now.musicPassSeconds < 2 + 1024 / 44100,
            `a pass of ${now.musicPassSeconds} s`);
  // The fonts before the whole one are fetched to see that they do not serve it; only the whole
  // one goes on top of the title's.
  assert.deepEqual(fonts, ["TimGM6mb-title.sf2", "TimGM6mb-pieces.sf2", "TimGM6mb.sf2"]);
  assert.deepEqual(now.musicFonts, ["TimGM6mb-title.sf2", "TimGM6mb.sf2"]);
  assert.deepEqual(errors, []);
  await page.browserContext().close();
});
