// The page and a score board: a pelaryn-server started here on the loopback, with SQLite in a
// scratch folder. With no board given, a game over sends nothing; with one and sending on, the
// game over is ranked, listed in the online tab (names as text) and plays back from there; a run
// that cannot be sent waits in the page's storage across a reload and goes once the board is up.
//
//   PELARYN_SERVER=build/debug/bin/pelaryn-server PELARYN_SIM=build/debug/bin/pelaryn-sim \
//     node --test tests/web/board.test.mjs
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { startPageAndBrowser } from "./chromium.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");
const serverProgram = process.env.PELARYN_SERVER || path.join(root, "build/debug/bin/pelaryn-server");
const folder = mkdtempSync(path.join(tmpdir(), "pelaryn-web-board-"));
// Markup within the board's 16 characters.
const hostile = "<img src=x>";

let site_;
let browser;
let origin;

// The board, on the port given (0: a free one); resolves once it listens.
function startBoard(port = 0) {
  const board = spawn(serverProgram, ["--listen", `127.0.0.1:${port}`, "--db", `sqlite:${folder}/board.db`,
                                      "--workers", "1", "--submissions-per-minute", "0"],
                      { stdio: ["ignore", "pipe", "pipe"] });
  return new Promise((resolve, reject) => {
    let text = "";
    // One JSON line a request: kept for the message should the server stop by itself.
    board.stderr.on("data", (chunk) => { text = (text + chunk).slice(-4000); });
    board.stdout.on("data", (chunk) => {
      text += chunk;
      const listening = /listening on (http:\/\/127\.0\.0\.1:\d+)/.exec(text);
      if (listening) resolve({ process: board, address: listening[1] });
    });
    board.on("exit", (code) => reject(new Error(`pelaryn-server exited with ${code}: ${text}`)));
  });
}
function stopBoard(board) {
  return new Promise((resolve) => {
    board.process.once("exit", resolve);
    board.process.kill("SIGTERM");
  });
}
// Requests the board answered, but for /metrics itself.
async function requestsSeen(address) {
  const metrics = await (await fetch(address + "/metrics")).text();
  return metrics.split("\n").filter((line) => line.startsWith("pelaryn_http_requests_total{") &&
                                               !line.includes('route="GET /metrics"'))
    .reduce((sum, line) => sum + Number(line.split(" ").at(-1)), 0);
}

before(async () => {
  ({ server: site_, browser, origin } = await startPageAndBrowser(site));
});

after(async () => {
  await browser?.close();
  site_?.close();
});

// A page that plays `keys` from the title to the game over once (not again when reloaded), with
// the player's preferences `prefs`; its own storage, unless `context` is given.
async function gamePage(keys, prefs, query = "", context = null) {
  context = context || await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.evaluateOnNewDocument((keys, prefs, folder) => {
    window.pelarynTestProgramFolder = folder;
    if (keys && !sessionStorage.getItem("played")) {
      sessionStorage.setItem("played", "1");
      window.pelarynTestKeys = keys;
      localStorage.setItem("pelaryn/preferences", JSON.stringify(prefs));
    }
  }, keys, prefs, path.dirname(path.resolve(sim)));
  await page.goto(`${origin}/index.html?test${query}`);
  return { page, errors, context };
}
// Until the game over, OK on every box it puts up.
async function playToGameOver(page) {
  for (;;) {
    const over = await page.evaluate(() => window.pelarynReport.some((line) => line.startsWith("final")));
    if (over) return;
    await page.evaluate(() => window.pelarynWindow()?.querySelector(".buttons button.default")?.click());
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
}
// Another page of the same browser, on the title with nothing to play.
async function titlePage(context) {
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.evaluateOnNewDocument((folder) => { window.pelarynTestProgramFolder = folder; },
                                   path.dirname(path.resolve(sim)));
  await page.goto(`${origin}/index.html?test`);
  await page.waitForFunction(() => document.getElementById("status").textContent === "", { timeout: 20000 });
  return { page, errors };
}
// The replay window, once whatever the game over put up is answered.
async function openReplays(page) {
  for (let i = 0; i < 100; ++i) {
    if (await page.evaluate(() => Boolean(window.pelarynWindow()?.querySelector(".replays")))) return;
    await page.evaluate(() => window.pelarynWindow()?.querySelector(".buttons button.default")?.click());
    await page.keyboard.press("F7");
    await new Promise((resolve) => setTimeout(resolve, 300));
  }
  throw new Error("the replay window did not open");
}
const outbox = (page) => page.evaluate(() => window.pelarynStoredNames("pelaryn/outbox/"))
  .then((names) => names.map((name) => "pelaryn/outbox/" + name));

// The server is built where SQLite, libpqxx, OpenSSL and cpp-httplib are installed.
const skip = existsSync(serverProgram) ? false : "no pelaryn-server built";

test("the page and a score board: nothing sent without one, a game over ranked, listed, played back, and kept until the board is up", { timeout: 280000, skip }, async () => {
  let board = await startBoard();
  const standard = () => fetch(board.address + "/api/v1/boards/standard").then((r) => r.json());

  // No board given: the game over goes nowhere, whatever else the player chose.
  {
    const { page, errors, context } = await gamePage("1 2 Z\n", { submitRuns: true, onlineName: "A" });
    await playToGameOver(page);
    await new Promise((resolve) => setTimeout(resolve, 1000));
    assert.equal(await requestsSeen(board.address), 0, "the board saw no request");
    assert.deepEqual(await outbox(page), []);
    // Nor can the game be sent by hand.
    const look = await titlePage(context);
    await openReplays(look.page);
    assert.deepEqual(await look.page.evaluate(() => [window.pelarynWindow().querySelectorAll(".replays tbody tr").length,
                                                     window.pelarynWindow().querySelector("button[name=send]").disabled]),
                     [1, true], "the game over is kept, and cannot be sent");
    assert.deepEqual(look.errors, []);
    assert.deepEqual(errors, []);
    await context.close();
  }

  // Given by the page's address, with sending on: the title says the place the board gave.
  const { page, errors, context } = await gamePage("1 2 Z\n", { submitRuns: true, onlineName: "ウェブ" },
                                                   "&board=" + encodeURIComponent(board.address + "/"));
  await playToGameOver(page);
  await page.waitForFunction(() => document.title === "Online: No. 1 (standard)", { timeout: 60000 });
  const listed = await standard();
  assert.equal(listed.total, 1);
  assert.equal(listed.rows[0].name, "ウェブ");
  assert.deepEqual(await outbox(page), []);
  assert.deepEqual(errors, []);

  // Another player's run, under a name that is markup.
  const other = path.join(folder, "other.pelrpy");
  writeFileSync(path.join(folder, "keys"), "1 40 Left\n");
  execFileSync(sim, ["--frames", "100000", "--keys", path.join(folder, "keys"), "--record", other], { stdio: "ignore" });
  const sent = await fetch(board.address + "/api/v1/runs?name=" + encodeURIComponent(hostile),
                           { method: "POST", body: readFileSync(other) });
  assert.equal(sent.status, 201);

  // The online tab, in the same browser (its storage knows its own run).
  const { page: watcher, errors: watcherErrors } = await titlePage(context);
  // 送信 in the replay window sends the kept game over by hand: the board has it already.
  await openReplays(watcher);
  const seenBefore = await requestsSeen(board.address);
  await watcher.evaluate(() => window.pelarynWindow().querySelector("button[name=send]").click());
  await watcher.waitForFunction(() => document.title === "Online: the game sent was refused: this replay is on the board already",
                                { timeout: 20000 }).catch(async (error) => {
    throw new Error(error.message + "; the title: " + await watcher.title());
  });
  assert.equal(await requestsSeen(board.address), seenBefore + 1);
  await watcher.keyboard.press("Escape");
  await watcher.click("#menubar .menu:nth-child(2) > button");
  await watcher.click('[data-item="mnuRanking"]');
  await watcher.waitForFunction(() => window.pelarynWindow()?.querySelector(".tabs"));
  await watcher.evaluate(() => window.pelarynWindow().querySelectorAll(".tabs .tab")[1].click());
  await watcher.waitForFunction(() => window.pelarynWindow().querySelectorAll(".online-ranking tbody tr").length === 2,
                                { timeout: 20000 });
  const rows = await watcher.$$eval(".online-ranking tbody tr", (all) => all.map((row) => ({
    cells: Array.from(row.cells, (cell) => cell.textContent), own: row.classList.contains("own") })));
  const mine = rows.find((row) => row.cells[1] === "ウェブ");
  const theirs = rows.find((row) => row.cells[1] === hostile);
  assert.ok(mine && theirs, JSON.stringify(rows));
  assert.equal(mine.own, true);
  assert.equal(theirs.own, false);
  // Rank, score, combo, ratio, level as the board lists them; the length from frames of 45 ms.
  const row = (await standard()).rows.find((listedRow) => listedRow.name === "ウェブ");
  const seconds = Math.floor(row.frames * 45 / 1000);
  assert.deepEqual(mine.cells.slice(0, 7), [String(row.rank), "ウェブ", String(row.score), String(row.combo),
                                             row.ratio + "%", String(row.level),
                                             Math.floor(seconds / 60) + ":" + String(seconds % 60).padStart(2, "0")]);
  assert.equal(await watcher.evaluate(() => document.querySelectorAll(".online-ranking img").length), 0);
  // 再生: the player's own run, played and verified as a kept replay is; the title says whose.
  await watcher.evaluate((index) => {
    window.pelarynWindow().querySelectorAll(".online-ranking tbody tr")[index].click();
    window.pelarynWindow().querySelector("button[name=play]").click();
  }, rows.indexOf(mine));
  await watcher.waitForFunction((rank) => document.title.includes(`Online No. ${rank} (standard) ウェブ`),
                                { timeout: 20000 }, row.rank);
  await watcher.waitForFunction(() => window.pelarynReport.some((line) => line.startsWith("replay")),
                                { timeout: 90000 });
  assert.deepEqual(await watcher.evaluate(() => window.pelarynReport.filter((line) => line.startsWith("replay"))),
                   [`replay verified: ${row.frames} frames, score ${row.score}`]);
  assert.deepEqual(watcherErrors, []);
  await context.close();

  // The board away: the run waits in the page's storage, across a reload, and goes at the first
  // load that finds the board up again.
  const address = board.address;
  await stopBoard(board);
  const late = await gamePage("1 30 Right\n", { submitRuns: true, onlineName: "あとで", boardAddress: address });
  await playToGameOver(late.page);
  await late.page.waitForFunction(() => document.title.startsWith("Online: could not send"), { timeout: 20000 });
  assert.equal((await outbox(late.page)).length, 1);
  await late.page.reload();
  await late.page.waitForFunction(() => document.getElementById("status").textContent === "", { timeout: 20000 });
  assert.equal((await outbox(late.page)).length, 1, "kept across a reload while the board is away");
  board = await startBoard(new URL(address).port);
  await late.page.reload();
  await late.page.waitForFunction(() => document.title.startsWith("Online: No. "), { timeout: 60000 });
  assert.deepEqual(await outbox(late.page), []);
  const final = await standard();
  assert.equal(final.total, 3);
  assert.ok(final.rows.some((listedRow) => listedRow.name === "あとで"));
  assert.deepEqual(late.errors, []);
  await late.context.close();
  await stopBoard(board);
});
