// The page as an installed app: its files kept by the service worker, so that once loaded it
// starts and plays with no network and a new build is taken at the next visit; the player's
// files moved from localStorage into IndexedDB byte for byte; the server's compression.
//
//   PELARYN_SIM=build/debug/bin/pelaryn-sim PELARYN_WEB_SITE=build/web node --test tests/web/offline.test.mjs
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { createHash } from "node:crypto";
import http from "node:http";
import { cpSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { gunzipSync, brotliDecompressSync } from "node:zlib";
import { launchChromium } from "./chromium.mjs";
import { serve } from "../../app/web/serve.mjs";
import { stamp } from "../../app/web/stamp.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const site = process.env.PELARYN_WEB_SITE || path.join(root, "build/web");
const sim = process.env.PELARYN_SIM || path.join(root, "build/debug/bin/pelaryn-sim");
const programFolder = path.dirname(path.resolve(sim));

let browser;
const servers = [];

before(async () => {
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  for (const server of servers) {
    server.closeAllConnections();
    server.close();
  }
});

async function served(folder, port = 0) {
  const server = await serve(folder, port);
  servers.push(server);
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

async function newPage(context) {
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.evaluateOnNewDocument((folder) => {
    window.pelarynTestProgramFolder = folder;
  }, programFolder);
  return { page, errors };
}

const started = (page) => page.waitForFunction(() => document.getElementById("status").textContent === "",
                                               { timeout: 20000 });

function stored(page, name) {
  return page.evaluate((name) => window.pelarynStored(name), name).then((bytes) => bytes && Buffer.from(bytes));
}

// One character a byte, as the page kept its files in localStorage before.
const latin1 = (bytes) => Buffer.from(bytes).toString("latin1");

test("the files an older page kept in localStorage are moved into IndexedDB byte for byte, once, and the game reads them", async () => {
  // A game over as the desktop plays it: its settings, its ranking (a name in code page 932)
  // and its replay.
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-offline-files-"));
  writeFileSync(path.join(dir, "keys"), "1 100 Z Left\n101 300 X Right\n301 600 Z Left\n601 900 X\n");
  execFileSync(sim, ["--frames", "100000", "--keys", path.join(dir, "keys"), "--name", "ウェブ",
                     "--dir", dir, "--record", path.join(dir, "game.pelrpy"),
                     "--set", "PhaseFrames=1290", "--set", "Life=5", "--set", "InitialDifficulty=7"],
               { stdio: "ignore" });
  const allBytes = Buffer.from(Array.from({ length: 256 }, (_, i) => i));
  const replay = "pelaryn/replays/20261208-120000-0000054.pelrpy";
  const cases = [
    { name: "pelaryn/pelaryn.cfg", bytes: readFileSync(path.join(dir, "pelaryn.cfg")) },
    { name: "pelaryn/pelaryn.sco", bytes: readFileSync(path.join(dir, "pelaryn.sco")) },
    { name: replay, bytes: readFileSync(path.join(dir, "game.pelrpy")) },
    { name: "pelaryn/player-files/every-byte.bin", bytes: allBytes },
    { name: "pelaryn/player-files/empty.bin", bytes: Buffer.alloc(0) },
    // Text an older page kept as it was: its UTF-8.
    { name: "pelaryn/online-runs", text: '{"ボード":[1]}', bytes: Buffer.from('{"ボード":[1]}') },
  ];
  const { server, origin } = await served(site);
  const context = await browser.createBrowserContext();
  const { page, errors } = await newPage(context);
  // The first visit fails to write the third file into the database: nothing may be lost, and
  // the game still reads everything.
  await page.evaluateOnNewDocument((seeded, failing) => {
    if (sessionStorage.getItem("visit")) return;
    sessionStorage.setItem("visit", "1");
    for (const [name, text] of seeded) localStorage.setItem(name, text);
    localStorage.setItem("pelaryn/preferences", JSON.stringify({ language: "ja" }));
    const put = IDBObjectStore.prototype.put;
    // As a full disk does: the write is taken, and the transaction fails afterwards.
    IDBObjectStore.prototype.put = function (value, key) {
      const made = put.call(this, value, key);
      const transaction = this.transaction;
      if (key === failing) made.addEventListener("success", () => transaction.abort());
      return made;
    };
  }, cases.map((c) => [c.name, c.text ?? latin1(c.bytes)]), cases[2].name);
  const inLocalStorage = () => page.evaluate(() => Object.keys(localStorage).sort());
  const all = cases.map((c) => c.name).concat("pelaryn/preferences").sort();

  await page.goto(`${origin}/index.html`);
  await started(page);
  assert.deepEqual(await inLocalStorage(), all, "nothing left localStorage while the move failed");
  for (const { name, bytes } of cases) assert.deepEqual(await stored(page, name), bytes, name);

  await page.reload();
  await started(page);
  assert.deepEqual(await inLocalStorage(), ["pelaryn/preferences"]);
  for (const { name, bytes } of cases) assert.deepEqual(await stored(page, name), bytes, name);
  const inDatabase = await page.evaluate(() => new Promise((resolve, reject) => {
    const opening = indexedDB.open("pelaryn");
    opening.onerror = () => reject(opening.error);
    opening.onsuccess = () => {
      const keys = opening.result.transaction("files").objectStore("files").getAllKeys();
      keys.onsuccess = () => resolve(keys.result.map(String).sort());
    };
  }));
  assert.deepEqual(inDatabase, cases.map((c) => c.name).sort());

  // The game reads them: the settings' difficulty, the ranking's name, the kept replay.
  const click = async (top, item) => {
    await page.click(`#menubar .menu:nth-child(${top}) > button`);
    await page.click(`[data-item="${item}"]`);
    await page.waitForFunction(() => window.pelarynWindow() !== null);
  };
  const closeWindow = async () => {
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => window.pelarynWindow() === null);
  };
  await click(2, "mnuOption");
  assert.equal(await page.$eval('[data-setting="InitialDifficulty"]', (f) => f.value), "7");
  await closeWindow();
  await click(2, "mnuRanking");
  assert.ok((await page.$$eval(".ranking tbody tr td:nth-child(2)", (all) => all.map((c) => c.textContent)))
    .includes("ウェブ"));
  await closeWindow();
  await page.keyboard.press("F7");
  await page.waitForFunction(() => window.pelarynWindow()?.querySelector(".replays"));
  assert.equal(await page.$$eval(".replays tbody tr td", (cells) => cells[1].textContent), "ウェブ");
  await closeWindow();
  assert.deepEqual(errors, []);
  await context.close();
  server.close();
});

// A short game (some 170 frames) as pelaryn-sim plays it: its fingerprints.
const gameKeys = "1 100 Z Left\n101 300 X Right\n";
const gameSettings = ["PhaseFrames=1290", "Life=1"];
function simHashes() {
  const dir = mkdtempSync(path.join(tmpdir(), "pelaryn-offline-sim-"));
  writeFileSync(path.join(dir, "keys"), gameKeys);
  const args = ["--frames", "100000", "--keys", path.join(dir, "keys"), "--dir", dir,
                "--hashes", path.join(dir, "hashes")];
  for (const setting of gameSettings) args.push("--set", setting);
  execFileSync(sim, args, { stdio: "ignore" });
  return readFileSync(path.join(dir, "hashes"), "utf8").trim().split("\n");
}

test("once loaded, the page starts and plays with no network, and a new build is taken at the next visit and kept", { timeout: 240000 }, async () => {
  const expected = simHashes();
  // A copy of the built page, to be changed as a new build would change it.
  const folder = mkdtempSync(path.join(tmpdir(), "pelaryn-offline-site-"));
  cpSync(site, folder, { recursive: true });
  let { server, origin } = await served(folder);
  const context = await browser.createBrowserContext();
  const { page, errors } = await newPage(context);
  await page.evaluateOnNewDocument((keys, settings) => {
    window.pelarynTestKeys = keys;
    window.pelarynTestSettings = settings;
  }, gameKeys, gameSettings.join("\n"));
  const kept = () => page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    return caches.keys();
  });
  const mark = () => page.evaluate(() => window.pelarynBuildMark ?? null);
  // To the game over, OK on every box the game puts up.
  const played = async () => {
    for (let waited = 0; waited < 600; ++waited) {
      const report = await page.evaluate(() => {
        window.pelarynWindow()?.querySelector(".buttons button.default")?.click();
        return window.pelarynReport.slice();
      });
      if (report.some((line) => line.startsWith("final"))) return report;
      await new Promise((resolve) => setTimeout(resolve, 200));
    }
    throw new Error("no game over");
  };
  const offline = async (on) => {
    if (on) {
      server.closeAllConnections();
      await new Promise((resolve) => server.close(resolve));
    } else {
      // The same address again, as the host comes back.
      ({ server } = await served(folder, Number(new URL(origin).port)));
    }
    await page.setOfflineMode(on);
  };

  // The whole soundfont: kept only once a piece has asked for it.
  const wholeFont = () => page.evaluate(async () => {
    const keys = await (await caches.open((await caches.keys())[0])).keys();
    return keys.some((request) => new URL(request.url).pathname.endsWith("/TimGM6mb.sf2"));
  });
  const fetchWholeFont = () => page.evaluate(() => fetch(pelarynFile("TimGM6mb.sf2"))
    .then((response) => response.arrayBuffer()).then((bytes) => bytes.byteLength));
  const fontSize = readFileSync(path.join(folder, "TimGM6mb.sf2")).length;

  await page.goto(`${origin}/index.html?test`);
  const first = await kept();
  assert.equal(first.length, 1);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  // Chromium would install it as an app: its manifest, icons and service worker as it wants them
  // (only not in the test's private browser context).
  const { installabilityErrors } = await (await page.createCDPSession()).send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors.map((error) => error.errorId).filter((id) => id !== "in-incognito"), []);
  assert.deepEqual(await played(), expected);
  assert.equal(await wholeFont(), false, "the first visit does not download the whole soundfont");
  assert.equal(await fetchWholeFont(), fontSize);
  assert.equal(await wholeFont(), true);

  // No server, no network: the kept page starts, and plays the same game.
  await offline(true);
  await page.reload();
  await started(page);
  assert.deepEqual(await played(), expected);
  assert.equal(await mark(), null);
  assert.equal(await fetchWholeFont(), fontSize);

  // A new build: one file changed, the versions stamped again.
  writeFileSync(path.join(folder, "pelaryn-page.js"),
                readFileSync(path.join(folder, "pelaryn-page.js"), "utf8") + '\nwindow.pelarynBuildMark = "next";\n');
  const next = stamp(folder);
  await offline(false);
  await page.reload();
  await started(page);
  assert.equal(await mark(), "next", "the next visit has the new build's files");
  // And asks for them by the versions of their new bytes.
  const version = createHash("sha256").update(readFileSync(path.join(folder, "pelaryn-page.js"))).digest("hex").slice(0, 16);
  assert.equal(await page.evaluate(() => pelarynFile("pelaryn-page.js")), "pelaryn-page.js?v=" + version);
  await page.waitForFunction((wanted) => caches.keys().then((names) => names.join() === wanted),
                             { timeout: 60000, polling: 500 }, "pelaryn-" + next);
  assert.notDeepEqual(await kept(), first);

  // And it is the new build that starts with no network.
  await offline(true);
  await page.reload();
  await started(page);
  assert.equal(await mark(), "next");
  assert.deepEqual(await played(), expected);
  assert.deepEqual(errors, []);
  await context.close();
  server.close();
});

// The raw answer to a GET, as the bytes came.
function get(url, encoding) {
  return new Promise((resolve, reject) => {
    http.get(url, { headers: encoding === undefined ? {} : { "Accept-Encoding": encoding } }, (response) => {
      const parts = [];
      response.on("data", (part) => parts.push(part));
      response.on("end", () => resolve({ headers: response.headers, body: Buffer.concat(parts) }));
    }).on("error", reject);
  });
}

test("the server compresses what the request accepts, and says how long a file may be kept", async () => {
  const { server, origin } = await served(site);
  const wasm = readFileSync(path.join(site, "pelaryn.wasm"));
  const icon = readFileSync(path.join(site, "icon-192.png"));
  const decoders = { br: brotliDecompressSync, gzip: gunzipSync, none: (bytes) => bytes };
  const always = "public, max-age=31536000, immutable";
  const cases = [
    { file: "pelaryn.wasm?v=1", accept: "gzip, deflate, br", encoding: "br", cache: always, bytes: wasm },
    { file: "pelaryn.wasm?v=1", accept: "gzip", encoding: "gzip", cache: always, bytes: wasm },
    { file: "pelaryn.wasm", accept: "br;q=0, gzip;q=0.5", encoding: "gzip", cache: "no-cache", bytes: wasm },
    { file: "pelaryn.wasm", accept: "*", encoding: "br", cache: "no-cache", bytes: wasm },
    { file: "pelaryn.wasm", accept: "identity", encoding: "none", cache: "no-cache", bytes: wasm },
    { file: "pelaryn.wasm", accept: undefined, encoding: "none", cache: "no-cache", bytes: wasm },
    { file: "sw.js", accept: "gzip", encoding: "gzip", cache: "no-cache", bytes: readFileSync(path.join(site, "sw.js")) },
    // Pictures are compressed already.
    { file: "icon-192.png?v=1", accept: "gzip, br", encoding: "none", cache: always, bytes: icon },
  ];
  for (const c of cases) {
    const { headers, body } = await get(`${origin}/${c.file}`, c.accept);
    const what = `${c.file} (${c.accept})`;
    assert.equal(headers["content-encoding"] ?? "none", c.encoding, what);
    assert.equal(headers["cache-control"], c.cache, what);
    assert.equal(Number(headers["content-length"]), body.length, what);
    assert.ok(decoders[c.encoding](body).equals(c.bytes), what);
    if (c.encoding !== "none") assert.ok(body.length < c.bytes.length, what);
  }
  assert.equal((await get(`${origin}/pelaryn.wasm`, "br")).headers["content-type"], "application/wasm");
  assert.equal((await get(`${origin}/manifest.webmanifest`, "")).headers["content-type"], "application/manifest+json");
  // Asked again with its date, an unchanged file is not sent again.
  const first = await fetch(`${origin}/sw.js`);
  const again = (since) => fetch(`${origin}/sw.js`, { headers: { "If-Modified-Since": since } }).then((r) => r.status);
  assert.equal(await again(first.headers.get("last-modified")), 304);
  assert.equal(await again(new Date(Date.parse(first.headers.get("last-modified")) - 1000).toUTCString()), 200);
  server.close();
});
