// Playing with a finger on a phone-sized touch screen: the buttons start the game, a drag steers
// the ship, a second finger fires the spread shot, and the recording of it all verifies in
// pelaryn-sim like any other; the windows fit a small screen.
//
//   PELARYN_SIM=build/debug/bin/pelaryn-sim PELARYN_WEB_SITE=build/web node --test tests/web/touch.test.mjs
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import vm from "node:vm";
import { pageAndBrowserForTests } from "./chromium.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");

test("the steering presses a key only while a step brings the ship closer, towards a target kept in the field", () => {
  const touch = vm.runInNewContext(readFileSync(path.join(root, "app/web/touch.js"), "utf8") +
                                   ";({ pelarynTouchSteer, pelarynTouchTarget })");
  // at, target, step → the key's direction.
  for (const [at, target, step, way] of [
    [150, 0, 6, -1], [150, 300, 6, 1],
    [150, 146, 6, -1],   // four off: one step lands two off, closer
    [150, 147, 6, 0],    // three off: a step lands as far on the other side
    [150, 153, 6, 0], [150, 154, 6, 1],
    [150, 150.5, 1, 0], [150, 151, 1, 1],
    [150, 0, 0, 0],      // a ship that cannot move is not pushed
  ]) {
    assert.equal(touch.pelarynTouchSteer(at, target, step), way, `from ${at} to ${target} by ${step}`);
  }
  // ship's start, finger's start, finger now, CSS pixels a field pixel, highest place → target.
  for (const [shipFrom, fingerFrom, finger, scale, high, target] of [
    [150, 300, 170, 1.3, 284, 50],  // 130 CSS pixels left at 1.3 is 100 field pixels
    [150, 300, 430, 2, 284, 215],
    [150, 300, 10, 1, 284, 0],      // kept inside: the left edge
    [150, 10, 400, 1, 284, 284],    // and the right
    [150, 300, 300, 1.3, 284, 150], // no movement, no jump
  ]) {
    assert.equal(touch.pelarynTouchTarget(shipFrom, fingerFrom, finger, scale, high), target);
  }
});

let browser;
let origin;
pageAndBrowserForTests(site, [], (started) => ({ browser, origin } = started));

// A phone: touch only, its screen in CSS pixels.
async function phone(width, height) {
  const page = await (await browser.createBrowserContext()).newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.setViewport({ width, height, isMobile: true, hasTouch: true, deviceScaleFactor: 1 });
  await page.goto(`${origin}/index.html`);
  await page.waitForFunction(() => document.getElementById("status").textContent === "",
                             { timeout: 30000 });
  return { page, errors };
}

// Where the ship's yellow body is across the field's lower part, between `from` and `from +
// width` (its mean x), or -1 when it is not to be seen there.
function shipX(page, from = 0, width = 300) {
  return page.evaluate((from, width) => {
    const data = document.getElementById("field").getContext("2d").getImageData(from, 320, width, 40).data;
    const xs = [];
    for (let i = 0; i < data.length; i += 4) {
      if (data[i] > 230 && data[i + 1] > 180 && data[i + 2] < 120) xs.push(from + (i / 4) % width);
    }
    return xs.length > 0 ? xs.reduce((a, b) => a + b) / xs.length : -1;
  }, from, width);
}
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function until(check, what) {
  for (let i = 0; i < 100 && !(await check()); ++i) await pause(100);
  assert.ok(await check(), what);
}

test("on a phone a finger starts a game, steers the ship to the left edge, fires both shots, and the recording verifies", async () => {
  const { page, errors } = await phone(390, 844);
  // Upright: the menu bar is one button, the field as wide as the screen, the buttons under it,
  // each large enough for a thumb.
  assert.equal(await page.$eval("#menubar", (nav) => getComputedStyle(nav).display), "none");
  const field = await page.$eval("#field", (canvas) => canvas.getBoundingClientRect().toJSON());
  assert.equal(Math.round(field.width), 390);
  const buttons = await page.$$eval("#touch button, #menu-button", (all, bottom) => all.map((button) => {
    const { width, height, top } = button.getBoundingClientRect();
    return { id: button.id, width, height, under: top >= bottom };
  }), field.bottom);
  assert.equal(buttons.length, 4);
  for (const button of buttons) {
    assert.ok(button.width >= 44 && button.height >= 44 && (button.under || button.id === "menu-button"), JSON.stringify(button));
  }

  await page.tap('#touch [data-code="F2"]');
  await until(async () => (await shipX(page, 140, 40)) >= 0, "F2's button starts a game");
  const startX = await shipX(page);
  assert.ok(startX > 130 && startX < 170, `the ship starts in the middle (x ${startX})`);

  // The finger comes down far from the ship and drags left: the ship does not jump to it, it
  // follows the drag, a step a frame, until the left edge stops it.
  const cdp = await page.createCDPSession();
  const touch = (type, points) => cdp.send("Input.dispatchTouchEvent", {
    type, touchPoints: points.map(([x, y], id) => ({ x, y, id })),
  });
  await touch("touchStart", [[360, field.top + 100]]);
  await pause(300);
  const held = await shipX(page);
  assert.ok(Math.abs(held - startX) < 1, `a touch alone does not move the ship (x ${held})`);
  for (let x = 340; x >= 20; x -= 40) await touch("touchMove", [[x, field.top + 100]]);
  await until(async () => { const x = await shipX(page); return x >= 0 && x < 14; }, "the ship reaches the left edge");
  // A second finger: the spread shot, while the first keeps steering and firing.
  // Held for longer than a straight shot takes to leave the field, so that a slot comes free.
  await touch("touchStart", [[20, field.top + 100], [200, field.top + 300]]);
  await pause(1500);
  await touch("touchEnd", [[20, field.top + 100]]);
  await touch("touchEnd", []);
  await pause(600);
  assert.ok(await shipX(page) < 14, "the ship stays at the edge once the finger lifts");

  // リセット from the one menu button ends the game, and its recording is kept.
  await page.tap("#menu-button");
  assert.equal(await page.$eval("#menubar", (nav) => getComputedStyle(nav).display), "flex");
  await page.tap('[data-item="mnuReset"]');
  assert.equal(await page.$eval("#menubar", (nav) => getComputedStyle(nav).display), "none");
  await page.waitForFunction(() => Module.page.storedNames("pelaryn/replays/").length > 0, { timeout: 10000 });
  const recording = await page.evaluate(() => {
    const name = Module.page.storedNames("pelaryn/replays/")[0];
    return Array.from(Module.page.readStored("pelaryn/replays/" + name));
  });
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-touch-"));
  const file = path.join(dir, "touch.pelrpy");
  writeFileSync(file, Buffer.from(recording));
  const trace = path.join(dir, "trace.json");
  const played = execFileSync(sim, ["--replay", file, "--trace", trace], { encoding: "utf8" });
  assert.match(played, /replay verified/);
  // What the game saw, frame by frame: the ship at the left edge, shots straight and spread,
  // and never a jump of more than a step.
  const frames = readFileSync(trace, "utf8").trim().split("\n").map((line) => JSON.parse(line));
  const xs = frames.map((frame) => frame.Player.X);
  assert.ok(xs.includes(0), "the ship reached the left edge");
  assert.ok(xs.every((x, i) => i === 0 || Math.abs(x - xs[i - 1]) <= frames[i].Player.DX), "one step a frame");
  // The shots that left the ship in each frame: straight ones go up, the spread's go aslant.
  const born = frames.map((frame) => frame.PlayerShots.filter((shot) => shot.State === 1 && shot.Y + shot.DY >= frame.Player.Y));
  const spreadAt = born.flatMap((shots, i) => (shots.some((shot) => shot.DX !== 0) ? [i] : []));
  assert.ok(born.some((shots) => shots.some((shot) => shot.DX === 0)), "fired straight");
  assert.ok(spreadAt.length > 0, "fired the spread shot");
  // While the second finger is down the spread shot alone is held: the straight one would take
  // every slot that comes free before it.
  const straightBetween = born.slice(spreadAt[0], spreadAt.at(-1) + 1).filter((shots) => shots.some((shot) => shot.DX === 0));
  assert.deepEqual(straightBetween, [], "no straight shot among the spread");
  // Once the fingers lift, the keys are let go: no shot leaves the ship in the last frames.
  assert.ok(born.slice(-8).every((shots) => shots.length === 0), "no fire after the fingers lift");
  assert.deepEqual(errors, []);
});

test("on a 360 × 640 screen every window fits, scrolls where it must, and its text is at least 14 px", async () => {
  const { page, errors } = await phone(360, 640);
  // By finger, through the one menu button: the settings, the ranking, the replays, the controls
  // and sound, and the about box.
  for (const item of ["mnuOption", "mnuRanking", "replays", "controls", "mnuVersion"]) {
    await page.tap("#menu-button");
    await page.tap(`[data-item="${item}"]`);
    await page.waitForFunction(() => window.pelarynWindow() !== null);
    const problems = await page.evaluate(() => {
      const shown = window.pelarynWindow();
      const found = [];
      // The window never scrolls sideways; a list in it may, as long as the list itself fits.
      const frame = shown.querySelector(".window") || shown;
      if (frame.scrollWidth > frame.clientWidth + 1) found.push(`the window scrolls sideways by ${frame.scrollWidth - frame.clientWidth}`);
      for (const element of [shown, ...shown.querySelectorAll("*")]) {
        const rect = element.getBoundingClientRect();
        if (rect.width === 0) continue;
        const inList = element.parentElement.closest(".list");
        if (!inList && (rect.left < -0.5 || rect.right > innerWidth + 0.5)) {
          found.push(`${element.tagName}.${element.className} from ${rect.left} to ${rect.right}`);
        }
        const text = Array.from(element.childNodes).some((node) => node.nodeType === Node.TEXT_NODE && node.data.trim());
        if (text && parseFloat(getComputedStyle(element).fontSize) < 14) {
          found.push(`${element.tagName}.${element.className} "${element.textContent.slice(0, 20)}" at ${getComputedStyle(element).fontSize}`);
        }
      }
      const outline = frame.getBoundingClientRect();
      if (outline.top < -0.5 || outline.bottom > innerHeight + 0.5) found.push(`the window runs from ${outline.top} to ${outline.bottom}`);
      return found;
    });
    assert.deepEqual(problems, [], item);
    if (item === "mnuOption") {
      // Taller than the screen: a finger's drag scrolls it (the field's own touch handling,
      // which keeps the page still under a steering finger, must not hold the window too).
      const cdp = await page.createCDPSession();
      await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x: 180, y: 500 }] });
      for (let y = 480; y >= 300; y -= 20) {
        await cdp.send("Input.dispatchTouchEvent", { type: "touchMove", touchPoints: [{ x: 180, y }] });
      }
      await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
      await page.waitForFunction(() => window.pelarynWindow().scrollTop > 50, { timeout: 5000 });
    }
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => window.pelarynWindow() === null);
  }
  assert.deepEqual(errors, []);
});
