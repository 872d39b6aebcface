// The page's music in Chromium: the game's own pieces play with the small soundfont alone,
// rendered ahead and played from memory; a player's own piece that sounds an instrument the small
// font lacks makes the page fetch the whole one, and loops from memory without going silent.
//
//   PELARYN_WEB_SITE=build/web node --test tests/web/music.test.mjs
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import vm from "node:vm";
import { startPageAndBrowser } from "./chromium.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");
// The game's own pieces, as the generators wrote them beside the program.
const pieces = ["title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"]
  .map((name) => path.join(path.dirname(path.resolve(sim)), "sound", name));

let server;
let browser;
let origin;

before(async () => {
  ({ server, browser, origin } = await startPageAndBrowser(site, ["--autoplay-policy=no-user-gesture-required"]));
});

after(async () => {
  await browser?.close();
  server?.close();
});

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

test("the page tells which pieces the small soundfont serves, as the tool that made it", () => {
  const music = {};
  vm.runInNewContext(readFileSync(path.join(site, "music.js"), "utf8") +
    "\nObject.assign(music, { pelarynFontExactNotes, pelarynNeedsWholeFont });", { music });
  const small = readFileSync(path.join(site, "TimGM6mb-pieces.sf2"));
  const exact = music.pelarynFontExactNotes(
    small.buffer.slice(small.byteOffset, small.byteOffset + small.length));
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
    assert.equal(music.pelarynNeedsWholeFont(buffer, exact), whole, name);
  }
  // Velocity counts as the key does, though this font splits no preset by it.
  const soft = new Map([["0:0", [[60, 61, 0, 63]]]]);
  for (const [key, velocity, whole] of [[60, 63, false], [60, 64, true], [62, 10, true]]) {
    assert.equal(music.pelarynNeedsWholeFont(bytes(piece(0, 1, 0, null, key, velocity)), soft),
                 whole, `key ${key}, velocity ${velocity}`);
  }
  // With no ranges read, every piece needs the whole font.
  assert.equal(music.pelarynNeedsWholeFont(bytes(piece(48, 1, 0, null, 64)), new Map()), true);
});

// The page with the game's title playing `titlePiece` (bytes, kept as the player's own file), or
// its own title music; every soundfont the page asks for is noted.
async function open(titlePiece) {
  const page = await (await browser.createBrowserContext()).newPage();
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

test("the game's own title music plays from memory with the small soundfont alone", async () => {
  const { page, errors, fonts } = await open(null);
  await page.waitForFunction(() => {
    const now = window.pelarynSound();
    return now.musicSource === "memory" && now.musicLevel > 0.01;
  }, { timeout: 60000, polling: 200 });
  // Handed over from the live synthesiser in the middle of the title's first pass, which is
  // far longer than the test.
  const now = await sound(page);
  assert.equal(now.music, "playing");
  assert.equal(now.musicMemoryStarts, 0);
  assert.deepEqual(fonts, ["TimGM6mb-pieces.sf2"]);
  assert.deepEqual(errors, []);
  await page.browserContext().close();
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
  assert.deepEqual(fonts, ["TimGM6mb-pieces.sf2", "TimGM6mb.sf2"]);
  assert.deepEqual(errors, []);
  await page.browserContext().close();
});
