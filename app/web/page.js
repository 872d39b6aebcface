// The page around the game: the canvas, the keyboard and pads, the storage, full screen, and
// the test hook. The game (pelaryn.js) calls in through Module.page; nothing here decides a rule.
"use strict";

(function () {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById("field");
  // Desynchronised: a frame goes to the screen without waiting for the page's next paint, which
  // costs a third less work a frame where the browser draws without a graphics card.
  const context = canvas.getContext("2d", { alpha: false, desynchronized: true });
  // Settled once the game shows its first frame: from then on it reads its files as it goes.
  let gameStarted;
  const gameRunning = new Promise((resolve) => { gameStarted = resolve; });
  // The picture the game's frames are copied into. Made and drawn once (black, as the canvas is)
  // while the page still waits for the game, which takes the first drawing's setting up off the
  // first frame's way.
  const field = { image: new ImageData(300, 400), bytes: null };
  field.bytes = new Uint8Array(field.image.data.buffer);
  context.putImageData(field.image, 0, 0);
  const stage = document.getElementById("stage");
  const status = document.getElementById("status");
  const keys = [];
  let inputWaiter = null;
  let picture = null;
  const report = [];
  let prefs = pelarynPrefs.read();
  // A link may name the score board (?board=URL): it becomes the player's choice of board, and
  // still nothing is sent until the player turns sending on.
  if (params.has("board")) {
    prefs.boardAddress = params.get("board");
    pelarynPrefs.write(prefs);
  }
  // The windows' pictures (the ranking's logo, the about box's), as the game hands them over.
  const pictures = new Map();
  const windows = pelarynWindows({
    pictures,
    prefs: () => prefs,
    // Previewed while a window edits them; kept once it closes.
    applyPrefs: (chosen, preview) => (preview ? applyVolumes(chosen) : setPrefs(chosen)),
    sampleEffect: () => page.playEffect("sound/getitem.wav", true),
    beep,
    keepPlayerFile,
    exportFiles,
    importFiles,
    download,
    readStored: (name) => page.readStored(name),
    readPad: () => page.readPad(),
    store: (name, bytes) => page.store(name, bytes),
    board: () => board,
    playOnline,
  });
  // The player's files, in IndexedDB; read into memory before the game starts.
  const storage = pelarynStorage({ failed: () => notify(pageWords.notStored()) });
  const board = pelarynBoard({
    prefs: () => prefs,
    readStored: (name) => page.readStored(name),
    store: (name, bytes) => page.store(name, bytes),
    forget: (name) => page.forget(name),
    storedNames: (prefix) => page.storedNames(prefix),
    notify,
  });
  // With ?measure, when each frame was handed to the canvas, on the page's clock
  // (scripts/measure-web).
  const shown = params.has("measure") ? [] : null;
  // With ?measure too: milliseconds the game ran between its waits, and of those, spent drawing.
  let running = 0;
  let drawing = 0;
  let woke = performance.now();

  // Function keys are the menu's shortcuts; the browser keeps none of them for itself once the
  // game has them, except where it never lets a page have a key (see docs/browser.md).
  const menuKeys = new Set(["F1", "F2", "F3", "F4", "F5", "F6", "F9"]);
  const held = new Map();  // physical key → the game's key it went down as

  // Sound: one effect at a time, at the desktop's effect loudness (36 of SDL's 128 steps). The
  // browser starts it only at the first key or click; until then nothing sounds.
  const audio = {
    context: null,
    effects: new Map(),
    // The effects' files as the game hands them over, decoded once the context is made: making it
    // takes a good part of a start, and nothing can sound before the first key or click anyway.
    undecoded: [],
    playing: null,
    until: 0,
    started: 0,
    startedByName: {},  // for a test to tell which were heard
  };
  function audioContext() {
    if (!audio.context) {
      audio.context = new AudioContext();
      audio.effectGain = new GainNode(audio.context, { gain: 0 });
      audio.effectGain.connect(audio.context.destination);
      audio.musicGain = new GainNode(audio.context, { gain: 0 });
      audio.musicGain.connect(audio.context.destination);
      applyVolumes(prefs);
      for (const [name, bytes] of audio.undecoded) decodeEffect(name, bytes);
      audio.undecoded = [];
    }
    return audio.context;
  }
  function decodeEffect(name, bytes) {
    audio.context.decodeAudioData(bytes.buffer)
      .then((buffer) => audio.effects.set(name, buffer))
      .catch(() => {});
  }
  // The player's loudness: a percentage of the desktop's, as its mixer applies it.
  function applyVolumes(chosen) {
    if (!audio.context) return;
    const on = chosen.muted ? 0 : 1;
    audio.effectGain.gain.value = on * (36 / 128) * (chosen.effectVolume / 100);
    audio.musicGain.gain.value = on * (chosen.musicVolume / 100);
  }
  function startSound() {
    const context = audioContext();
    if (context.state === "suspended") context.resume().catch(() => {});
    startSynthesiser();
  }

  // The music (music.js): rendered ahead and played from memory, made at the first key or click.
  const music = pelarynMusic({ audioContext, output: () => audio.musicGain,
                               sounding: () => titleServed() });
  let musicAnalyser = null;
  function startSynthesiser() {
    if (!musicAnalyser && audio.context) {
      // Listens to the music alone, as loud as it is heard, for a test to hear it.
      musicAnalyser = new AnalyserNode(audio.context, { fftSize: 2048 });
      audio.musicGain.connect(musicAnalyser);
    }
    music.start();
  }
  window.addEventListener("pointerdown", startSound);

  function wake() {
    if (inputWaiter) {
      const resolve = inputWaiter;
      inputWaiter = null;
      resolve();
    }
  }

  // The player's keys become the game's before the game sees them; while a window is up, the
  // keys are the window's.
  window.addEventListener("keydown", (event) => {
    startSound();
    if (windows.isOpen()) return;
    if (event.code === "F11") {
      event.preventDefault();
      toggleFullScreen();
      return;
    }
    if (event.code === "KeyM" && !event.ctrlKey && !event.altKey && !event.metaKey) {
      event.preventDefault();
      if (!event.repeat) setPrefs(Object.assign({}, prefs, { muted: !prefs.muted }));
      return;
    }
    if (event.code === "F7" || event.code === "F8") {
      event.preventDefault();
      if (!event.repeat) push(event.code === "F7" ? "Window:replays" : "Fast");
      return;
    }
    const game = pelarynPrefs.gameKey(prefs, event.code);
    if (!game && !menuKeys.has(event.code)) return;
    event.preventDefault();
    // A held key repeats; the game reads it as held, and a menu key acts once per press.
    if (event.repeat) return;
    held.set(event.code, game || event.code);
    push(game || event.code, true);
  });
  window.addEventListener("keyup", (event) => {
    const game = held.get(event.code);
    if (!game) return;
    held.delete(event.code);
    event.preventDefault();
    push(game, false);
  });
  window.addEventListener("blur", () => {
    held.clear();
    touch.letGo();
    push(prefs.pauseOnBlur && !windows.isOpen() ? "BlurPause" : "Blur");
  });
  function push(code, down = true) {
    keys.push({ code, down });
    wake();
  }


  // ---- the player's choices ----

  function setPrefs(chosen) {
    const languageChanged = chosen.language !== prefs.language;
    prefs = chosen;
    pelarynPrefs.write(prefs);
    applyVolumes(prefs);
    if (languageChanged) pelarynTexts.use(prefs.language);
    menuBar.render();
    // Sending may just have been turned on, or the board's address given.
    board.send();
  }

  // The about box's beep: short and soft, through the effects' loudness.
  function beep() {
    if (!audio.context || audio.context.state !== "running") return;
    const tone = new OscillatorNode(audio.context, { type: "square", frequency: 880 });
    const envelope = new GainNode(audio.context, { gain: 0.25 });
    envelope.gain.setTargetAtTime(0, audio.context.currentTime + 0.08, 0.02);
    tone.connect(envelope).connect(audio.effectGain);
    tone.start();
    tone.stop(audio.context.currentTime + 0.2);
  }

  // ---- files: the player's own pictures and pieces, and the game's two files ----

  // A file the player picked for the settings, kept in the page's storage under its name; the
  // game reads it from there by the place returned ("/player-files/NAME").
  const playerFileLimit = 4 << 20;
  async function keepPlayerFile(file) {
    if (file.size > playerFileLimit) return null;
    const name = file.name.replace(/[\/\\]/g, "_");
    const bytes = new Uint8Array(await file.arrayBuffer());
    return page.store("pelaryn/player-files/" + name, bytes) ? "/player-files/" + name : null;
  }

  const gameFiles = ["pelaryn.cfg", "pelaryn.sco"];
  function download(name, bytes) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  function exportFiles() {
    for (const name of gameFiles) {
      const bytes = page.readStored("pelaryn/" + name);
      if (bytes) download(name, bytes);
    }
  }
  // Only the game's two files, by their names; kept as they are, byte for byte, for the game to
  // read (and check) as it reads its own at start-up.
  async function importFiles(files) {
    if (files.length === 0) return { error: pageWords.noFileChosen() };
    for (const file of files) {
      if (!gameFiles.includes(file.name)) {
        return { error: pageWords.notGameFile(file.name) };
      }
      if (file.size > playerFileLimit) return { error: pageWords.tooLarge(file.name) };
    }
    const failures = await storage.flushed();
    for (const file of files) {
      if (!page.store("pelaryn/" + file.name, new Uint8Array(await file.arrayBuffer()))) {
        return { error: pageWords.notStored() };
      }
    }
    // The page reloads next: the files must be in the database before it does.
    if ((await storage.flushed()) !== failures) return { error: pageWords.notStored() };
    keepImported = true;
    return {};
  }

  const menuBar = pelarynMenuBar({
    held: () => windows.isOpen(),
    clicked: startSound,
    command: (code) => push(code),
    muted: () => prefs.muted,
    toggleMute: () => setPrefs(Object.assign({}, prefs, { muted: !prefs.muted })),
  });
  // Fingers on the field and the touch buttons become the same keys (touch.js).
  const touch = pelarynTouch({ push, held: () => windows.isOpen() });

  // The page's title says what the desktop's window title says; for a few seconds, what the
  // score board answered.
  let titleState = { paused: false };
  let notice = null;
  // A run from the score board, from the moment it is handed to the game to the end of its playback.
  let onlineRun = null;
  function showTitle() {
    const replay = titleState.replay;
    if (onlineRun && onlineRun.started && !replay) onlineRun = null;
    if (onlineRun && replay) onlineRun.started = true;
    const who = onlineRun && replay ? pageWords.onlineReplay(onlineRun.rank, onlineRun.board, onlineRun.name)
                                    : replay && replay.name ? replay.name + " " : "";
    let title = replay ? pageWords.replayTitle() + who + replay.score +
                         (replay.fast ? pageWords.fast() : "") + (replay.black ? pageWords.black() : "")
                       : pageWords.title();
    if (titleState.paused) title += pageWords.paused();
    document.title = notice ? notice.text : title;
  }
  function notify(text) {
    if (notice) clearTimeout(notice.timer);
    notice = { text, timer: setTimeout(() => { notice = null; showTitle(); }, 6000) };
    showTitle();
  }
  // A replay downloaded from the score board plays as an opened replay file plays: the game
  // checks it first, and says in the replay window why when it cannot.
  function playOnline(bytes, run) {
    if (!page.store("pelaryn/opened-replay", bytes)) return false;
    onlineRun = { name: run.name, rank: run.rank, board: run.board, started: false };
    push("Window:opened-replay");
    return true;
  }
  pelarynTexts.onChange(() => {
    push("Looks");
    menuBar.render();
    showTitle();
    document.getElementById("fullscreen").textContent = pageWords.fullScreen();
    touch.words();
  });

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else {
      stage.requestFullscreen().catch(() => {});
    }
  }
  document.getElementById("fullscreen").addEventListener("click", toggleFullScreen);

  // The field is enlarged by the largest whole factor that fits, so every game pixel stays an
  // exact square of screen pixels; where not even twice fits (a phone), it fills what there is,
  // smoothly, since whole factors would leave it tiny or cut off.
  const coarsePointer = window.matchMedia("(pointer: coarse)");
  function fit() {
    const width = stage.clientWidth;
    const height = stage.clientHeight;
    const ratio = window.devicePixelRatio || 1;
    const room = Math.min(width * ratio / 300, height * ratio / 400);
    // A phone's field is made as large as its width allows, smoothly below 2×, where a whole
    // factor would leave it small; with a mouse the pixels stay crisp down to 1×.
    const crispFrom = coarsePointer.matches ? 2 : 1;
    const scale = room >= crispFrom ? Math.floor(room) : room;
    canvas.classList.toggle("smooth", scale !== Math.floor(scale));
    canvas.style.width = (300 * scale / ratio) + "px";
    canvas.style.height = (400 * scale / ratio) + "px";
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
  coarsePointer.addEventListener("change", fit);
  fit();

  // A zero-delay turn for the browser: a message to ourselves runs after whatever is waiting,
  // without the clamp nested timers get.
  const channel = new MessageChannel();
  const turns = [];
  channel.port1.onmessage = () => turns.shift()();
  function turn() {
    return new Promise((resolve) => {
      turns.push(resolve);
      channel.port2.postMessage(0);
    });
  }

  // How early a timer is set: enough for three in four of the last few to have woken in time.
  // A later one makes a frame late; an earlier one costs turns.
  const timers = {
    early: 1,
    recent: new Float64Array(16).fill(1),
    sorted: new Float64Array(16),
    next: 0,
    overshot(by) {
      this.recent[this.next] = Math.max(0, Math.min(by, 4));
      this.next = (this.next + 1) % this.recent.length;
      this.sorted.set(this.recent);
      this.sorted.sort();
      this.early = this.sorted[Math.floor(this.sorted.length * 3 / 4)] + 0.1;
    },
  };

  const page = {
    async sleepUntil(deadline) {
      running += performance.now() - woke;
      try {
        await page.wait(deadline);
      } finally {
        woke = performance.now();
      }
    },
    async wait(deadline) {
      // A timer wakes late by an amount that varies from page to page and moment to moment: it is
      // set to wake early by what recent timers overshot, and the last stretch is taken in turns,
      // which are punctual but keep the page busy while they last.
      for (;;) {
        const left = deadline - performance.now();
        if (left <= 0) return;
        const asked = Math.floor(left - timers.early);
        if (asked >= 1) {
          const set = performance.now();
          await new Promise((resolve) => setTimeout(resolve, asked));
          timers.overshot(performance.now() - set - asked);
        } else {
          await turn();
        }
      }
    },
    waitForInput(timeout) {
      if (keys.length > 0) return Promise.resolve();
      return new Promise((resolve) => {
        inputWaiter = resolve;
        setTimeout(wake, timeout);
      });
    },
    takeKey() {
      return keys.shift() || null;
    },
    showField(rgba, width, height, handed) {
      const start = performance.now();
      // One picture, filled a frame at a time: through a view of the same kind as the game's
      // bytes, so that filling it is a plain copy, and nothing is left for the collector.
      if (!field.image || field.image.width !== width || field.image.height !== height) {
        field.image = new ImageData(width, height);
        field.bytes = new Uint8Array(field.image.data.buffer);
      }
      field.bytes.set(rgba);
      context.putImageData(field.image, 0, 0);
      if (shown) {
        shown.push(handed);
        drawing += performance.now() - start;
      }
      if (status.textContent) status.textContent = "";
      gameStarted();
    },
    showShip(x, y, width, height, stepX, stepY) {
      touch.ship(x, y, width, height, stepX, stepY);
    },
    readPad() {
      const pads = navigator.getGamepads ? navigator.getGamepads() : [];
      for (const pad of pads) {
        if (!pad || !pad.connected || pad.mapping !== "standard") continue;
        let buttons = 0;
        pad.buttons.forEach((button, index) => {
          if (button.pressed && index < 32) buttons |= 1 << index;
        });
        return { x: pad.axes[0] || 0, y: pad.axes[1] || 0, buttons: buttons >>> 0 };
      }
      return null;
    },
    loadEffect(name, bytes) {
      if (audio.context) decodeEffect(name, bytes);
      else audio.undecoded.push([name, bytes]);
    },
    playEffect(name, interrupt) {
      const buffer = audio.effects.get(name);
      const context = audio.context;
      if (!buffer || !context || context.state !== "running") return;
      if (audio.playing && context.currentTime < audio.until) {
        if (!interrupt) return;
        audio.playing.stop();
      }
      const source = new AudioBufferSourceNode(context, { buffer });
      source.connect(audio.effectGain);
      source.start();
      audio.playing = source;
      audio.until = context.currentTime + buffer.duration;
      audio.started += 1;
      audio.startedByName[name] = (audio.startedByName[name] || 0) + 1;
    },
    openMusic(bytes) {
      music.open(bytes);
    },
    musicCommand(command) {
      music.command(command);
    },
    musicEnded() {
      return music.ended();
    },
    readStored(name) {
      return storage.read(name);
    },
    store(name, bytes) {
      return storage.write(name, bytes);
    },
    async decodePicture(bytes) {
      try {
        const bitmap = await createImageBitmap(new Blob([bytes]),
          { colorSpaceConversion: "none", premultiplyAlpha: "none" });
        const surface = new OffscreenCanvas(bitmap.width, bitmap.height);
        const drawing = surface.getContext("2d");
        drawing.drawImage(bitmap, 0, 0);
        picture = drawing.getImageData(0, 0, bitmap.width, bitmap.height).data;
        return { width: bitmap.width, height: bitmap.height };
      } catch (e) {
        return null;
      }
    },
    takePicture() {
      const taken = picture;
      picture = null;
      return taken;
    },
    toHeap(text) {
      const size = Module.lengthBytesUTF8(text) + 1;
      const out = Module._malloc(size);
      Module.stringToUTF8(text, out, size);
      return out;
    },
    openWindow(request) {
      menuBar.close();
      // A replay chosen in the replay window is the player's own, not the board's.
      if (request.kind === "replays") onlineRun = null;
      // The keys are the window's now; whatever was held is let go, as when the page loses the
      // keyboard, so that no key stays down for the game after the window closes.
      held.clear();
      touch.letGo();
      keys.push({ code: "Blur", down: false });
      return windows.open(request);
    },
    nextAnswer() {
      return windows.next();
    },
    closeWindow() {
      windows.close();
    },
    keepPicture(name, rgba, width, height) {
      pictures.set(name, { rgba, width, height });
    },
    buildMenu(items) {
      menuBar.build(items);
    },
    syncMenu(enabled, checked) {
      menuBar.sync(enabled, checked);
    },
    showTitle(state) {
      titleState = state;
      showTitle();
      menuBar.watch(Boolean(state.replay));
    },
    storedNames(prefix) {
      return storage.names(prefix);
    },
    forget(name) {
      storage.remove(name);
    },
    gameOver(bytes) {
      board.gameOver(bytes);
    },
    looks() {
      return JSON.stringify({ gentleFlash: prefs.gentleFlash, english: pelarynTexts.language() === "en",
                              padShot: prefs.pad.shot, padSpread: prefs.pad.spread });
    },
    openPage(url) {
      // The manual in the language the windows speak, as the desktop picks it.
      window.open(url === "pelaryn.html" ? pageWords.manual() : url,
                  "_blank", "noopener");
    },
    ended() {
      status.textContent = pageWords.ended();
    },
    testMode() {
      return params.has("test");
    },
    testValue(name) {
      return String(window["pelarynTest" + name] || "");
    },
    testReport(line) {
      report.push(line);
    },
  };
  window.pelarynReport = report;
  window.pelarynShown = shown;
  // What a test may ask of the sound: effects decoded, effects started, and whether it runs.
  window.pelarynSound = () => ({
    decoded: audio.effects.size,
    started: audio.started,
    startedByName: Object.assign({}, audio.startedByName),
    state: audio.context ? audio.context.state : "none",
    ...music.status(),
    musicLevel: (() => {
      if (!musicAnalyser) return 0;
      const samples = new Float32Array(musicAnalyser.fftSize);
      musicAnalyser.getFloatTimeDomainData(samples);
      return samples.reduce((peak, value) => Math.max(peak, Math.abs(value)), 0);
    })(),
  });
  window.pelarynBusy = () => ({ running, drawing });
  // What a test may ask of the windows: the one up now.
  window.pelarynWindow = () => windows.shown();
  // What a test may ask of the storage: a file's bytes, and the names under a prefix.
  window.pelarynStored = (name) => storage.ready.then(() => {
    const bytes = storage.read(name);
    return bytes && Array.from(bytes);
  });
  window.pelarynStoredNames = (prefix) => storage.ready.then(() => storage.names(prefix));

  pelarynTexts.use(prefs.language, gameRunning);
  // What waits in the outbox from an earlier visit goes now.
  storage.ready.then(() => board.send());
  // What the title does not need waits until the title music sounds (or the player has had the
  // title for a while without a key), so that what the title needs has the network to itself.
  function titleServed() {
    keepForOffline();
    fetchEffects();
  }
  window.addEventListener("load", () => {
    // Once the page is kept, it looks for a newer build as soon as the page has loaded.
    if (navigator.serviceWorker && navigator.serviceWorker.controller) keepForOffline();
    setTimeout(titleServed, 10000);
  });
  // Every file of the page kept for starting with no network: installing, the service worker
  // fetches them all.
  let keepingForOffline = false;
  function keepForOffline() {
    if (keepingForOffline || !("serviceWorker" in navigator)) return;
    keepingForOffline = true;
    navigator.serviceWorker.register("sw.js").catch((error) => console.warn("pelaryn: not kept for offline:", error));
  }
  // The effects, files of the page of their own, which only a game plays: put where the game
  // reads its files, and handed to it. A failure leaves them silent until the next try.
  let effectsAsked = false;
  async function fetchEffects() {
    if (effectsAsked) return;
    effectsAsked = true;
    try {
      await gameRunning;
      const names = Object.keys(pelarynVersions).filter((name) => name.endsWith(".wav"));
      const files = await Promise.all(names.map(async (name) => {
        const response = await fetch(pelarynFile(name));
        if (!response.ok) throw new Error(name + ": " + response.status);
        return [name, new Uint8Array(await response.arrayBuffer())];
      }));
      for (const [name, bytes] of files) Module.FS.writeFile("/pelaryn/sound/" + name, bytes);
      Module._pelaryn_effects_arrived();
    } catch (error) {
      effectsAsked = false;
      console.warn("pelaryn: no effects for now:", error);
    }
  }
  // A tab can be closed without notice: the game writes its files as it is hidden; but not as
  // the page reloads to start from files just imported, which it would write over.
  let keepImported = false;
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "hidden" && !keepImported && Module._pelaryn_page_hidden) {
      Module._pelaryn_page_hidden();
    }
  });

  window.Module = {
    page,
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    // The game's files by their versioned names, as the build stamped them.
    locateFile: (path) => (typeof pelarynFile === "function" ? pelarynFile(path) : path),
    // The game reads its files as it starts: not before they are all in memory.
    preRun: [() => {
      Module.addRunDependency("pelaryn-storage");
      storage.ready.then(() => Module.removeRunDependency("pelaryn-storage"));
    }],
  };
})();
