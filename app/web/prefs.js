// The player's own choices in the page: keys, loudness, language and how the page behaves. Kept
// in the page's storage apart from the game's settings file, and never part of a game: a replay
// plays the same whatever they are.
"use strict";

const pelarynPrefs = (() => {
  const storageName = "pelaryn/preferences";
  // What each action stands for, as the game reads it: the first key of the defaults.
  const actions = [
    { name: "left", caption: "左", defaults: ["ArrowLeft", "Numpad4"] },
    { name: "right", caption: "右", defaults: ["ArrowRight", "Numpad6"] },
    { name: "up", caption: "上", defaults: ["ArrowUp", "Numpad8"] },
    { name: "down", caption: "下", defaults: ["ArrowDown", "Numpad2"] },
    { name: "shot", caption: "ショット", defaults: ["KeyZ", ""] },
    { name: "spread", caption: "拡散ショット", defaults: ["KeyX", ""] },
  ];
  // Each action's keys are the game's keys, so a binding changes which physical key the game
  // sees, never what the game does.
  const gameKeys = new Map([["left", ["ArrowLeft", "Numpad4"]], ["right", ["ArrowRight", "Numpad6"]],
                            ["up", ["ArrowUp", "Numpad8"]], ["down", ["ArrowDown", "Numpad2"]],
                            ["shot", ["KeyZ"]], ["spread", ["KeyX"]]]);

  // The standard mapping's buttons by number, by the names pad bindings use (SDL's), and as the
  // player reads them; the triggers and the D-pad are not for binding.
  const padButtons = ["a", "b", "x", "y", "leftshoulder", "rightshoulder", "", "", "back", "start",
                      "leftstick", "rightstick", "", "", "", "", "guide"];
  const padNames = { a: "A", b: "B", x: "X", y: "Y", leftshoulder: "LB", rightshoulder: "RB",
                     back: "Back", start: "Start", leftstick: "L3", rightstick: "R3", guide: "Guide" };

  function defaults() {
    return {
      keys: Object.fromEntries(actions.map((action) => [action.name, action.defaults.slice()])),
      pad: { shot: "a", spread: "b" },
      musicVolume: 100,
      effectVolume: 100,
      muted: false,
      pauseOnBlur: true,
      gentleFlash: false,
      language: "system",
      // The score board: none until the player gives one; nothing is sent until asked.
      boardAddress: "",
      onlineName: "",
      submitRuns: false,
    };
  }

  // Each value on its own: one that is missing or malformed keeps its default.
  function read() {
    const prefs = defaults();
    let stored = null;
    try {
      stored = JSON.parse(localStorage.getItem(storageName) || "null");
    } catch (error) {
      stored = null;
    }
    if (!stored || typeof stored !== "object") return prefs;
    for (const name of ["musicVolume", "effectVolume"]) {
      if (Number.isInteger(stored[name]) && stored[name] >= 0 && stored[name] <= 100) {
        prefs[name] = stored[name];
      }
    }
    for (const name of ["muted", "pauseOnBlur", "gentleFlash"]) {
      if (typeof stored[name] === "boolean") prefs[name] = stored[name];
    }
    if (["system", "ja", "en"].includes(stored.language)) prefs.language = stored.language;
    for (const [name, longest] of [["boardAddress", 2000], ["onlineName", 64]]) {
      if (typeof stored[name] === "string" && stored[name].length <= longest) prefs[name] = stored[name];
    }
    if (typeof stored.submitRuns === "boolean") prefs.submitRuns = stored.submitRuns;
    if (stored.pad && typeof stored.pad === "object") {
      const { shot, spread } = stored.pad;
      const valid = (name) => name === "" || Object.hasOwn(padNames, name);
      if (valid(shot) && valid(spread) && (shot === "" || shot !== spread)) prefs.pad = { shot, spread };
    }
    if (stored.keys && typeof stored.keys === "object") {
      const seen = new Set();
      const keys = {};
      let whole = true;
      for (const action of actions) {
        const pair = stored.keys[action.name];
        if (!Array.isArray(pair) || pair.length !== 2 ||
            !pair.every((code) => typeof code === "string" && (code === "" || !reserved(code)))) {
          whole = false;
          break;
        }
        for (const code of pair) {
          if (code && seen.has(code)) whole = false;
          seen.add(code);
        }
        keys[action.name] = pair.slice();
      }
      if (whole) prefs.keys = keys;
    }
    return prefs;
  }

  function write(prefs) {
    try {
      localStorage.setItem(storageName, JSON.stringify(prefs));
      return true;
    } catch (error) {
      return false;
    }
  }

  // The menu's keys (F1–F12), Esc and M stay the menu's.
  function reserved(code) {
    return /^F([1-9]|1[0-2])$/.test(code) || code === "Escape" || code === "KeyM";
  }

  // Binds `code` to the slot; where it was bound before, the slot's old key takes its place.
  function bind(keys, actionName, slot, code) {
    const old = keys[actionName][slot];
    for (const action of actions) {
      keys[action.name].forEach((bound, i) => {
        if (code && bound === code) keys[action.name][i] = old;
      });
    }
    keys[actionName][slot] = code;
  }

  // The game's key a physical key stands for, or null.
  function gameKey(prefs, code) {
    for (const action of actions) {
      const slot = prefs.keys[action.name].indexOf(code);
      const keys = gameKeys.get(action.name);
      if (code && slot >= 0) return keys[Math.min(slot, keys.length - 1)];
    }
    return null;
  }

  // A key's name as the player reads it: the desktop's name for the same key (Qt's, on a US
  // layout), its words for the keypad and the space bar in the page's language (words.js). ""
  // for no key; a key the desktop has no name for keeps the browser's.
  const keyNames = {
    ArrowLeft: "←", ArrowRight: "→", ArrowUp: "↑", ArrowDown: "↓", Escape: "Esc", Enter: "Return",
    Tab: "Tab", Backspace: "Backspace", ShiftLeft: "Shift", ShiftRight: "Shift", ControlLeft: "Control",
    ControlRight: "Control", AltLeft: "Alt", AltRight: "Alt", MetaLeft: "Meta", MetaRight: "Meta",
    CapsLock: "CapsLock", Insert: "Ins", Delete: "Del", Home: "Home", End: "End", PageUp: "PgUp",
    PageDown: "PgDown", NumLock: "NumLock", ScrollLock: "ScrollLock", Pause: "Pause", PrintScreen: "Print",
    ContextMenu: "Menu", Convert: "Henkan", NonConvert: "Muhenkan", KanaMode: "Hiragana Katakana",
    Backquote: "`", Minus: "-", Equal: "=", BracketLeft: "[", BracketRight: "]", Backslash: "\\",
    Semicolon: ";", Quote: "'", Comma: ",", Period: ".", Slash: "/", IntlYen: "¥", IntlRo: "\\",
  };
  const keypadNames = { Decimal: ".", Add: "+", Subtract: "-", Multiply: "*", Divide: "/", Enter: "Enter",
                        Equal: "=", Comma: "," };
  function keyName(code) {
    if (code === "Space") return pageWords.space();
    const keypad = /^Numpad(.+)$/.exec(code);
    if (keypad) return pageWords.keypad() + (keypadNames[keypad[1]] || keypad[1]);
    return keyNames[code] || code.replace(/^(Key|Digit)(.)$/, "$2");
  }

  // Binds the pad's `button` to one shot; when the other shot had it, the two swap.
  function bindPad(pad, shot, button) {
    const other = shot === "shot" ? "spread" : "shot";
    if (button && pad[other] === button) pad[other] = pad[shot];
    pad[shot] = button;
  }

  return { actions, defaults, read, write, reserved, bind, gameKey, keyName, padButtons, padNames,
           bindPad };
})();
