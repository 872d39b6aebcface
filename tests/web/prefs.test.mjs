// The page's own choices, decided without a browser: what a stored preferences text gives, how a
// key is bound, and which of the game's keys a physical key stands for.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import vm from "node:vm";
import { english } from "./translation.mjs";

// The script runs in a realm of its own; its values are compared as plain data.
const plain = (value) => JSON.parse(JSON.stringify(value));
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");

// The page's choices with its words (words.js) in Japanese, or in English when `table` is given.
function load(stored, table) {
  const storage = new Map(stored === undefined ? [] : [["pelaryn/preferences", stored]]);
  const context = {
    localStorage: {
      getItem: (name) => (storage.has(name) ? storage.get(name) : null),
      setItem: (name, value) => storage.set(name, String(value)),
    },
    qsTranslate: (name, source) => (table && table.get(name + "\u0004" + source)) || source,
  };
  vm.createContext(context);
  for (const script of ["app/web/words.js", "app/web/prefs.js"]) {
    vm.runInContext(readFileSync(path.join(root, script), "utf8"), context);
  }
  vm.runInContext("this.prefs = pelarynPrefs;", context);
  return { prefs: context.prefs, storage };
}

test("stored preferences: each value on its own, a malformed one keeps its default", () => {
  const { prefs: fresh } = load();
  const defaults = fresh.defaults();
  const cases = [
    ["nothing stored", undefined, {}],
    ["not JSON", "{", {}],
    ["not an object", "7", {}],
    ["volumes in range", '{"musicVolume": 0, "effectVolume": 100}', { musicVolume: 0, effectVolume: 100 }],
    ["volume past 100, fraction", '{"musicVolume": 101, "effectVolume": 50.5}', {}],
    ["flags", '{"muted": true, "pauseOnBlur": false, "gentleFlash": "yes"}', { muted: true, pauseOnBlur: false }],
    ["language", '{"language": "en"}', { language: "en" }],
    ["unknown language", '{"language": "fr"}', {}],
    ["keys, whole", JSON.stringify({ keys: { left: ["KeyA", ""], right: ["KeyD", ""], up: ["KeyW", ""],
                                             down: ["KeyS", ""], shot: ["KeyJ", "Space"], spread: ["KeyK", ""] } }),
     { keys: { left: ["KeyA", ""], right: ["KeyD", ""], up: ["KeyW", ""], down: ["KeyS", ""],
               shot: ["KeyJ", "Space"], spread: ["KeyK", ""] } }],
    ["keys, one bound twice", JSON.stringify({ keys: { left: ["KeyA", ""], right: ["KeyA", ""], up: ["KeyW", ""],
                                                       down: ["KeyS", ""], shot: ["KeyJ", ""], spread: ["KeyK", ""] } }), {}],
    ["keys, a menu key", JSON.stringify({ keys: { left: ["F5", ""], right: ["KeyD", ""], up: ["KeyW", ""],
                                                  down: ["KeyS", ""], shot: ["KeyJ", ""], spread: ["KeyK", ""] } }), {}],
    ["keys, an action missing", JSON.stringify({ keys: { left: ["KeyA", ""] } }), {}],
    ["pad", '{"pad": {"shot": "rightshoulder", "spread": ""}}', { pad: { shot: "rightshoulder", spread: "" } }],
    ["pad, one button for both", '{"pad": {"shot": "x", "spread": "x"}}', {}],
    ["pad, a trigger", '{"pad": {"shot": "lefttrigger", "spread": "b"}}', {}],
    ["score board", '{"boardAddress": "http://127.0.0.1:8080", "onlineName": "ウェブ", "submitRuns": true}',
     { boardAddress: "http://127.0.0.1:8080", onlineName: "ウェブ", submitRuns: true }],
    ["score board, malformed", JSON.stringify({ boardAddress: 7, onlineName: "x".repeat(65), submitRuns: "yes" }), {}],
  ];
  for (const [why, stored, changed] of cases) {
    const { prefs } = load(stored);
    assert.deepEqual(plain(prefs.read()), plain(Object.assign({}, defaults, changed)), why);
  }
});

test("a key is bound in one place; the slot's old key takes its place; the game sees its own keys", () => {
  const { prefs } = load();
  const chosen = prefs.defaults();
  prefs.bind(chosen.keys, "shot", 1, "ArrowLeft");
  assert.deepEqual(plain([chosen.keys.shot, chosen.keys.left]), [["KeyZ", "ArrowLeft"], ["", "Numpad4"]]);
  prefs.bind(chosen.keys, "left", 0, "KeyZ");
  assert.deepEqual(plain([chosen.keys.shot, chosen.keys.left]), [["", "ArrowLeft"], ["KeyZ", "Numpad4"]]);
  prefs.bind(chosen.keys, "left", 1, "");
  assert.deepEqual(plain(chosen.keys.left), ["KeyZ", ""]);
  const sees = [["KeyZ", "ArrowLeft"], ["ArrowLeft", "KeyZ"], ["Numpad6", "Numpad6"],
                ["ArrowRight", "ArrowRight"], ["Numpad4", null], ["KeyQ", null], ["", null]];
  for (const [physical, game] of sees) assert.equal(prefs.gameKey(chosen, physical), game, physical);
  for (const [code, reserved] of [["F1", true], ["F12", true], ["F13", false], ["Escape", true],
                                  ["KeyM", true], ["KeyN", false], ["Backspace", false]]) {
    assert.equal(prefs.reserved(code), reserved, code);
  }
  // Keys named as the desktop names them, in either language; no key has no name.
  const { prefs: inEnglish } = load(undefined, english());
  const names = [["ArrowUp", "↑", "↑"], ["Numpad8", "テンキー 8", "Keypad 8"], ["NumpadAdd", "テンキー +", "Keypad +"],
                 ["NumpadEnter", "テンキー Enter", "Keypad Enter"], ["KeyQ", "Q", "Q"], ["Digit1", "1", "1"],
                 ["Space", "スペース", "Space"], ["Enter", "Return", "Return"], ["ShiftRight", "Shift", "Shift"],
                 ["PageDown", "PgDown", "PgDown"], ["Escape", "Esc", "Esc"], ["KeyM", "M", "M"], ["F5", "F5", "F5"],
                 ["Backslash", "\\", "\\"], ["Lang1", "Lang1", "Lang1"], ["", "", ""]];
  for (const [code, japanese, inTheirs] of names) {
    assert.deepEqual([prefs.keyName(code), inEnglish.keyName(code)], [japanese, inTheirs], code);
  }
  // A pad's button too is bound once: the other shot takes the old one.
  const pad = { shot: "a", spread: "b" };
  prefs.bindPad(pad, "shot", "b");
  assert.deepEqual(plain(pad), { shot: "b", spread: "a" });
  prefs.bindPad(pad, "spread", "y");
  assert.deepEqual(plain(pad), { shot: "b", spread: "y" });
  prefs.bindPad(pad, "shot", "");
  assert.deepEqual(plain(pad), { shot: "", spread: "y" });
  assert.deepEqual(plain([0, 4, 6, 9, 12, 16].map((i) => prefs.padButtons[i] || "")),
                   ["a", "leftshoulder", "", "start", "", "guide"]);
});
