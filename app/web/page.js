// The page around the game: the canvas, the keyboard and pads, the storage, full screen, and
// the test hook. The game (pelaryn.js) calls in through Module.page; nothing here decides a rule.
"use strict";

(function () {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById("field");
  // Desynchronised: a frame goes to the screen without waiting for the page's next paint, which
  // costs a third less work a frame where the browser draws without a graphics card.
  const context = canvas.getContext("2d", { alpha: false, desynchronized: true });
  const stage = document.getElementById("stage");
  const status = document.getElementById("status");
  const keys = [];
  let inputWaiter = null;
  let picture = null;
  const report = [];
  // With ?measure, when each frame was handed to the canvas, on the page's clock
  // (scripts/measure-web).
  const shown = params.has("measure") ? [] : null;
  // With ?measure too: milliseconds the game ran between its waits, and of those, spent drawing.
  let running = 0;
  let drawing = 0;
  let woke = performance.now();

  // The keys the game reads, by place on the keyboard; the browser keeps none of them for
  // itself once the game has them. Function keys are the menu's shortcuts.
  const gameKeys = new Set(["ArrowLeft", "ArrowUp", "ArrowRight", "ArrowDown", "KeyZ", "KeyX",
                            "Numpad2", "Numpad4", "Numpad6", "Numpad8"]);
  const menuKeys = new Set(["F1", "F2", "F3", "F4", "F5", "F6", "F9"]);

  // Sound: one effect at a time, at the desktop's effect loudness (36 of SDL's 128 steps). The
  // browser starts it only at the first key or click; until then nothing sounds.
  const audio = {
    context: null,
    effects: new Map(),
    playing: null,
    until: 0,
    started: 0,
  };
  function audioContext() {
    if (!audio.context) {
      audio.context = new AudioContext();
      audio.effectGain = new GainNode(audio.context, { gain: 36 / 128 });
      audio.effectGain.connect(audio.context.destination);
    }
    return audio.context;
  }
  function startSound() {
    const context = audioContext();
    if (context.state === "suspended") context.resume().catch(() => {});
    startSynthesiser();
  }

  // The music: FluidSynth (js-synthesizer) in an audio worklet with the desktop's soundfont,
  // made once, at the first key or click. What the game asks for is kept here and carried out
  // in order once the synthesiser is there.
  const music = {
    synth: null,
    making: null,
    piece: null,
    open: false,
    playing: false,
    ended: false,
    fromStart: true,  // the next play starts the piece from its beginning
    turn: 0,          // counts the steps, so that an old step's end is not taken for this one's
    queue: Promise.resolve(),
  };
  function startSynthesiser() {
    if (music.making || typeof JSSynth === "undefined") return;
    const context = audioContext();
    music.making = (async () => {
      await context.audioWorklet.addModule("libfluidsynth-2.4.6.js");
      await context.audioWorklet.addModule("js-synthesizer.worklet.min.js");
      const synth = new JSSynth.AudioWorkletNodeSynthesizer();
      synth.init(context.sampleRate, { initialGain: 0.3 });
      const node = synth.createAudioNode(context);
      node.connect(context.destination);
      // Listens to the music alone, for a test to hear it.
      music.analyser = new AnalyserNode(context, { fftSize: 2048 });
      node.connect(music.analyser);
      const font = await fetch("TimGM6mb.sf2");
      if (!font.ok) throw new Error("no soundfont");
      await synth.loadSFont(await font.arrayBuffer());
      music.synth = synth;
      carryOut();
    })().catch((error) => console.warn("pelaryn: the music stays silent:", error));
  }
  // Brings the synthesiser to what the game asked for, one step after another.
  function carryOut() {
    const synth = music.synth;
    if (!synth) return;
    const wanted = { open: music.open, playing: music.playing, fromStart: music.fromStart,
                     piece: music.piece };
    music.fromStart = false;
    // From now on, whatever an earlier step still watches is not this piece's end.
    const turn = ++music.turn;
    music.queue = music.queue.then(async () => {
      if (!wanted.open || !wanted.playing) {
        await synth.stopPlayer();
        if (!wanted.open) await synth.resetPlayer();
        return;
      }
      if (wanted.fromStart) {
        await synth.stopPlayer();
        await synth.resetPlayer();
        synth.midiSystemReset();
        await synth.addSMFDataToPlayer(wanted.piece.slice(0));
      }
      await synth.playPlayer();
      // Ended once the player has passed the piece's last tick, as on the desktop, not when its
      // last notes have rung out seconds later: the game starts it again at once.
      const current = () => turn === music.turn && music.playing && !music.ended;
      (async () => {
        // The length is known once the player has read the piece, which may take a moment.
        let total = 0;
        while (current()) {
          if (total <= 0) total = await synth.retrievePlayerTotalTicks();
          const tick = await synth.retrievePlayerCurrentTick();
          if (current() && total > 0 && tick >= total) music.ended = true;
          await new Promise((resolve) => setTimeout(resolve, 150));
        }
      })();
      synth.waitForPlayerStopped().then(() => {
        if (current()) music.ended = true;
      });
    }).catch((error) => console.warn("pelaryn: the music:", error));
  }
  window.addEventListener("pointerdown", startSound);

  function wake() {
    if (inputWaiter) {
      const resolve = inputWaiter;
      inputWaiter = null;
      resolve();
    }
  }

  window.addEventListener("keydown", (event) => {
    startSound();
    if (event.code === "F11") {
      event.preventDefault();
      toggleFullScreen();
      return;
    }
    if (!gameKeys.has(event.code) && !menuKeys.has(event.code)) return;
    event.preventDefault();
    // A held key repeats; the game reads it as held, and a menu key acts once per press.
    if (event.repeat) return;
    keys.push({ code: event.code, down: true });
    wake();
  });
  window.addEventListener("keyup", (event) => {
    if (!gameKeys.has(event.code)) return;
    event.preventDefault();
    keys.push({ code: event.code, down: false });
    wake();
  });
  window.addEventListener("blur", () => {
    keys.push({ code: "Blur", down: false });
    wake();
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
  // exact square of screen pixels.
  function fit() {
    const width = stage.clientWidth;
    const height = stage.clientHeight;
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(Math.min(width * ratio / 300, height * ratio / 400)));
    canvas.style.width = (300 * scale / ratio) + "px";
    canvas.style.height = (400 * scale / ratio) + "px";
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
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
      // Timers wake a millisecond or so late; the last stretch is taken in turns.
      for (;;) {
        const left = deadline - performance.now();
        if (left <= 0) return;
        if (left > 1) {
          await new Promise((resolve) => setTimeout(resolve, Math.floor(left - 0.5)));
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
      context.putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
      if (shown) {
        shown.push(handed);
        drawing += performance.now() - start;
      }
      if (status.textContent) status.textContent = "";
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
      audioContext().decodeAudioData(bytes.buffer)
        .then((buffer) => audio.effects.set(name, buffer))
        .catch(() => {});
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
    },
    openMusic(bytes) {
      Object.assign(music, { piece: bytes.buffer, open: true, playing: false, ended: false,
                             fromStart: true });
      carryOut();
    },
    musicCommand(command) {
      if (command === "play") {
        music.playing = true;
      } else if (command === "start") {
        Object.assign(music, { playing: true, ended: false, fromStart: true });
      } else if (command === "stop") {
        music.playing = false;
      } else if (command === "close") {
        Object.assign(music, { piece: null, open: false, playing: false, ended: false });
      }
      carryOut();
    },
    musicEnded() {
      return music.ended;
    },
    readStored(name) {
      const text = localStorage.getItem(name);
      if (text === null) return null;
      const bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
      return bytes;
    },
    store(name, bytes) {
      // One character a byte: the storage keeps strings, and these survive it exactly.
      let text = "";
      for (let i = 0; i < bytes.length; i += 4096) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 4096));
      }
      try {
        localStorage.setItem(name, text);
        return true;
      } catch (e) {
        return false;
      }
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
    alert(text) {
      window.alert(text);
    },
    prompt(text) {
      return window.prompt(text, "");
    },
    openPage(url) {
      window.open(url, "_blank", "noopener");
    },
    ended() {
      status.textContent = "終了しました。もう一度遊ぶには、ページを読み込み直してください。";
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
    state: audio.context ? audio.context.state : "none",
    music: music.synth ? (music.playing && !music.ended ? "playing" : "stopped") : "none",
    musicLevel: (() => {
      if (!music.analyser) return 0;
      const samples = new Float32Array(music.analyser.fftSize);
      music.analyser.getFloatTimeDomainData(samples);
      return samples.reduce((peak, value) => Math.max(peak, Math.abs(value)), 0);
    })(),
  });
  window.pelarynBusy = () => ({ running, drawing });

  window.Module = {
    page,
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    locateFile: (path) => path,
  };
})();
