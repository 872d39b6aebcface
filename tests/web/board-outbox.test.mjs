// The page's outbox, decided without a browser or a board: what each answer of the board does to
// a run that waits (board.js with a stand-in fetch and storage).
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import vm from "node:vm";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");

// board.js in a realm of its own, over a storage map; `answers` are the board's, in turn (a
// status, or null for a network failure).
function load(prefs, answers) {
  const storage = new Map();
  const notices = [];
  const requests = [];
  const timers = [];
  const context = {
    URL,
    URLSearchParams,
    location: { search: "" },
    TextEncoder,
    TextDecoder,
    setTimeout: (call, ms) => timers.push(ms),
    clearTimeout: () => {},
    qsTranslate: (name, source) => source,
    fetch: async (url, options) => {
      requests.push([options?.method || "GET", url]);
      const answer = answers.shift();
      if (answer === null || answer === undefined) throw new TypeError("Failed to fetch");
      const [status, body] = answer;
      return { status, ok: status < 300, headers: { get: () => null },
               json: async () => body, clone() { return this; } };
    },
  };
  vm.createContext(context);
  for (const script of ["app/web/texts.js", "app/web/words.js", "app/web/board.js"]) {
    vm.runInContext(readFileSync(path.join(root, script), "utf8"), context);
  }
  context.services = {
    prefs: () => prefs,
    readStored: (name) => (storage.has(name) ? storage.get(name) : null),
    store: (name, bytes) => { storage.set(name, bytes); return true; },
    forget: (name) => storage.delete(name),
    storedNames: (prefix) => [...storage.keys()].filter((key) => key.startsWith(prefix)).map((key) => key.slice(prefix.length)),
    notify: (text) => notices.push(text),
  };
  const board = vm.runInContext("pelarynBoard(services)", context);
  const waiting = () => [...storage.keys()].filter((key) => key.startsWith("pelaryn/outbox/")).length;
  const own = () => JSON.parse(new TextDecoder().decode(storage.get("pelaryn/online-runs") || new Uint8Array([0x7b, 0x7d])));
  return { board, notices, requests, timers, waiting, own };
}

const on = { boardAddress: "http://127.0.0.1:8080/", onlineName: "ウェブ", submitRuns: true };

test("a game over's run: sent, kept for later, or dropped with the reason, by the board's answer", async () => {
  const cases = [
    // why, prefs, answers, runs left waiting, notices, retry planned, own ids
    ["ranked", on, [[201, { id: 7, rank: 3, board: "standard" }]], 0, ["オンライン 3位 (standard)"], false, { "http://127.0.0.1:8080": [7] }],
    ["network away", on, [null], 1, ["オンライン: 送信できませんでした (スコアボードに接続できません)。あとで送ります"], true, {}],
    ["busy", on, [[503, { error: "every worker is busy" }]], 1, ["オンライン: 送信できませんでした (every worker is busy)。あとで送ります"], true, {}],
    ["too many from here", on, [[429, { error: "slow down" }]], 1, ["オンライン: 送信できませんでした (slow down)。あとで送ります"], true, {}],
    ["refused", on, [[422, { error: "refused: the start's Life is 5", check: "start" }]], 0,
     ["オンライン: 送信したゲームは受け付けられませんでした: refused: the start's Life is 5"], false, {}],
    ["already there", on, [[409, { error: "already on the board", id: 4 }]], 0,
     ["オンライン: 送信したゲームは受け付けられませんでした: already on the board"], false, { "http://127.0.0.1:8080": [4] }],
    ["sending off", Object.assign({}, on, { submitRuns: false }), [], 0, [], false, {}],
    ["no address", Object.assign({}, on, { boardAddress: "" }), [], 0, [], false, {}],
    ["not a web address", Object.assign({}, on, { boardAddress: "file:///etc" }), [], 0, [], false, {}],
  ];
  // Sent by hand from the replay window: whatever the player chose for sending after each game.
  const byHand = (why) => why.startsWith("by hand");
  cases.push(["by hand, sending off", Object.assign({}, on, { submitRuns: false }),
              [[201, { id: 9, rank: 1, board: "start-2-skip-0" }]], 0, ["オンライン 1位 (start-2-skip-0)"], false,
              { "http://127.0.0.1:8080": [9] }],
             ["by hand, no address", Object.assign({}, on, { boardAddress: " " }), [], 0, [], false, {}]);
  for (const [why, prefs, answers, left, said, retried, own] of cases) {
    const run = load(prefs, answers);
    if (byHand(why)) run.board.submit(new Uint8Array([1]));
    else run.board.gameOver(new Uint8Array([1]));
    await new Promise((resolve) => setTimeout(resolve, 20));
    assert.equal(run.waiting(), left, why);
    assert.deepEqual(run.notices, said, why);
    assert.equal(run.timers.length > 0, retried, why);
    assert.deepEqual(run.own(), own, why);
    if ((!prefs.submitRuns && !byHand(why)) || !run.board.address()) assert.deepEqual(run.requests, [], why);
    else assert.deepEqual(run.requests, [["POST", "http://127.0.0.1:8080/api/v1/runs?name=%E3%82%A6%E3%82%A7%E3%83%96"]], why);
  }
});

test("the outbox: a second failure is not said again, and what waits goes in order once the board answers, sending turned off or not", async () => {
  const prefs = Object.assign({}, on);
  const run = load(prefs, [null, null, [201, { id: 1, rank: 1, board: "standard" }], [201, { id: 2, rank: 2, board: "standard" }]]);
  run.board.gameOver(new Uint8Array([1]));
  await new Promise((resolve) => setTimeout(resolve, 20));
  run.board.gameOver(new Uint8Array([1]));
  await new Promise((resolve) => setTimeout(resolve, 20));
  assert.equal(run.waiting(), 2);
  assert.equal(run.notices.length, 1);
  // Turning sending off later does not take back what was asked to be sent.
  prefs.submitRuns = false;
  await run.board.send();
  assert.equal(run.waiting(), 0);
  assert.deepEqual(run.notices.slice(1), ["オンライン 1位 (standard)", "オンライン 2位 (standard)"]);
  assert.deepEqual(run.own(), { "http://127.0.0.1:8080": [1, 2] });
});
