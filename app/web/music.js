// The music. Each piece is rendered once, ahead, in a worker (music-render.js) and played from
// memory by an audio worklet of ours (music-play.js); FluidSynth plays live on the audio thread
// (js-synthesizer's worklet) only until a piece's rendering is there, and then hands over where
// it is. The soundfonts form a chain, smallest first, each playing every note the one before
// plays as the whole font does: the first holds only what the title music's notes reach, so that
// it can start after a small download; the next what all the game's pieces reach, fetched while
// the title plays; the whole one is fetched only for a piece with a note neither would play as
// it does. A piece plays with the first font of the chain that serves it.
//
// The desktop device's meaning of an end is kept: a piece has ended once the player has passed
// its last tick, not when its last notes have rung out, and the game then starts it again at once.
"use strict";

// The notes a standard MIDI file sounds, by preset ("bank:program"), each a key and velocity
// (key * 128 + velocity), read as FluidSynth's player reads it: a note sounds what its channel's
// last program change chose, in the bank the last bank select (controller 0) named; the drum
// channel always plays bank 128. A channel's notes count under every preset it is ever set to.
// Null for what is not a MIDI file.
function pelarynSoundedNotes(bytes) {
  const data = new Uint8Array(bytes);
  const view = new DataView(data.buffer, data.byteOffset, data.byteLength);
  const text = (at) => String.fromCharCode(...data.subarray(at, at + 4));
  if (data.length < 14 || text(0) !== "MThd") return null;
  const events = [];
  let at = 8 + view.getUint32(4);
  try {
    while (at + 8 <= data.length) {
      const kind = text(at);
      const end = Math.min(data.length, at + 8 + view.getUint32(at + 4));
      let pos = at + 8;
      at = end;
      if (kind !== "MTrk") continue;
      let tick = 0;
      let status = 0;
      const number = () => {
        let value = 0;
        for (let i = 0; i < 4; ++i) {
          const byte = data[pos++];
          value = value * 128 + (byte & 0x7f);
          if (byte < 0x80) return value;
        }
        throw new Error("variable-length number too long");
      };
      while (pos < end) {
        tick += number();
        if (data[pos] & 0x80) status = data[pos++];
        if (status === 0xff || status === 0xf0 || status === 0xf7) {
          if (status === 0xff) pos += 1;  // the meta event's type
          const length = number();
          pos += length;
          status = 0;
        } else if (status >= 0x80) {
          const size = (status & 0xf0) === 0xc0 || (status & 0xf0) === 0xd0 ? 1 : 2;
          events.push({ tick, order: events.length, status, a: data[pos], b: data[pos + 1] });
          pos += size;
        } else {
          throw new Error("data without a status");
        }
      }
    }
  } catch (error) {
    return null;
  }
  events.sort((x, y) => x.tick - y.tick || x.order - y.order);
  const banks = new Array(16).fill(0);
  const presets = Array.from({ length: 16 }, (_, channel) => (channel === 9 ? "128:0" : "0:0"));
  const held = Array.from({ length: 16 }, () => new Set());
  const keys = Array.from({ length: 16 }, () => new Set());
  const sounded = new Map();
  const add = (preset, notes) => {
    if (!sounded.has(preset)) sounded.set(preset, new Set());
    for (const note of notes) sounded.get(preset).add(note);
  };
  for (const { status, a, b } of events) {
    const channel = status & 0x0f;
    const high = status & 0xf0;
    if (high === 0xb0 && a === 0) {
      banks[channel] = b;
    } else if (high === 0xc0) {
      presets[channel] = (channel === 9 ? 128 : banks[channel]) + ":" + a;
      held[channel].add(presets[channel]);
    } else if (high === 0x90 && b > 0) {
      keys[channel].add(a * 128 + b);
      add(presets[channel], [a * 128 + b]);
    }
  }
  for (let channel = 0; channel < 16; ++channel) {
    if (keys[channel].size > 0) for (const preset of held[channel]) add(preset, keys[channel]);
  }
  return sounded;
}

// Where a small soundfont plays a note exactly as the whole one: by preset ("bank:program"),
// ranges [lowest key, highest key, lowest velocity, highest velocity]. The tool that made the
// font wrote them as its comment, since the font itself no longer shows which of the whole
// font's zones it left out. Empty for a font without them: then every piece needs the whole one.
function pelarynFontExactNotes(bytes) {
  const view = new DataView(bytes);
  const text = (at, length) => String.fromCharCode(...new Uint8Array(bytes, at, length));
  const exact = new Map();
  const walk = (start, end, found) => {
    for (let at = start; at + 8 <= end;) {
      const length = view.getUint32(at + 4, true);
      found(text(at, 4), at + 8, Math.max(0, Math.min(length, end - at - 8)));
      at += 8 + length + (length & 1);
    }
  };
  walk(12, bytes.byteLength, (kind, at, length) => {
    if (kind !== "LIST" || length < 4 || text(at, 4) !== "INFO") return;
    walk(at + 4, at + length, (sub, subAt, subLength) => {
      if (sub !== "ICMT") return;
      const lines = text(subAt, subLength).replace(/\0+$/, "").split("\n");
      if (lines[0] !== "Notes played as by the whole font:") return;
      for (const line of lines.slice(1)) {
        const [preset, ...ranges] = line.split(" ");
        exact.set(preset, ranges.map((range) => range.split(/[-/]/).map(Number)));
      }
    });
  });
  return exact;
}

// Whether a piece sounds a note the small soundfont (`exact`, as read above) would not play as
// the whole one does. What is not a MIDI file needs nothing: the synthesiser refuses it with
// any font.
function pelarynNeedsLargerFont(piece, exact) {
  const sounded = pelarynSoundedNotes(piece);
  if (sounded === null) return false;
  for (const [preset, notes] of sounded) {
    const ranges = exact.get(preset);
    if (!ranges) return true;
    for (const note of notes) {
      const key = note >> 7;
      const velocity = note & 0x7f;
      if (!ranges.some(([keyLow, keyHigh, velocityLow, velocityHigh]) =>
        keyLow <= key && key <= keyHigh && velocityLow <= velocity && velocity <= velocityHigh)) {
        return true;
      }
    }
  }
  return false;
}

// The font of the chain a piece plays with, by the notes each of the first fonts plays exactly
// (`exacts`, smallest first, as read above): the first that serves it, or `exacts.length` (the
// next font, the whole one where every small font is listed) when none does.
function pelarynChainFont(piece, exacts) {
  const found = exacts.findIndex((exact) => !pelarynNeedsLargerFont(piece, exact));
  return found < 0 ? exacts.length : found;
}

// Loads fonts of the chain into one synthesiser, by their place in it (`load(index)`), each on
// top of those before: the synthesiser looks a preset up in the last loaded first, and a larger
// font plays every note a smaller one serves as the smaller one does, so what plays stays the
// same. Loads run one after another; a font is left out once a larger one is there, since below
// it the smaller would never sound. A load that fails is tried again the next time it is needed.
function pelarynFontStack(load) {
  let top = -1;
  let queue = Promise.resolve();
  return {
    // Settles once font `index` or a larger one is loaded.
    need(index) {
      const step = queue.then(async () => {
        if (index <= top) return;
        await load(index);
        top = index;
      });
      queue = step.catch(() => {});
      return step;
    },
  };
}

// `sounding` is told each time music starts to sound.
function pelarynMusic({ audioContext, output, sounding = () => {} }) {
  // A file of the page by the address its build gives it (index.html), where there is one.
  const versioned = (name) => (typeof pelarynFile === "function" ? pelarynFile(name) : name);
  // The chain, smallest first; the last is the whole font, which serves every piece.
  const chain = ["TimGM6mb-title.sf2", "TimGM6mb-pieces.sf2", "TimGM6mb.sf2"];
  // What the rendered pieces may take together; beyond it the least recently opened go.
  const budgetBytes = 96 << 20;
  // A piece longer than this plays live.
  const pieceLimitBytes = 48 << 20;

  const music = {
    synth: null,      // the live synthesiser
    liveNode: null,   // its node, connected only while it is heard
    liveHeard: false,
    player: null,     // our worklet, playing from memory
    making: null,
    piece: null,      // { bytes, id, font, state }
    opened: null,     // the bytes of a piece opened before the synthesiser was there
    open: false,
    playing: false,
    ended: false,
    fromStart: true,  // the next play starts the piece from its beginning
    source: "none",   // what sounds: "live" or "memory"
    turn: 0,          // counts the steps, so that an old step's end is not taken for this one's
    queue: Promise.resolve(),
    memoryStarts: 0,  // passes started from memory, for a test to see the loop
  };
  // By place in the chain: the font's bytes, where it plays as the whole font, and whether the
  // worker has it; each a promise, dropped again if it fails, so that the next need retries it.
  const fonts = chain.map(() => ({ bytes: null, exact: null, inWorker: null }));
  // The fonts loaded into the live synthesiser, in order, for a test to see.
  const liveFonts = [];
  const stack = pelarynFontStack(async (index) => {
    const bytes = await fontBytes(index);
    await liveSynth.loadSFont(bytes.slice(0));
    liveFonts.push(chain[index]);
  });
  // Pieces by their bytes: what the worker made of them, in the order last opened.
  const pieces = new Map();
  let worker = null;
  let liveSynth = null;  // the live synthesiser, from before its first font is loaded
  let nextId = 1;

  function start() {
    if (music.making) return;
    const context = audioContext();
    music.making = (async () => {
      fontBytes(0);
      // Only the music needs the synthesiser's script: it is not among what the page waits for
      // before its first picture.
      await new Promise((resolve, reject) => {
        const script = document.createElement("script");
        script.src = versioned("js-synthesizer.min.js");
        script.onload = resolve;
        script.onerror = () => reject(new Error("no synthesiser"));
        document.head.append(script);
      });
      // Ours before js-synthesizer's, which it lets rest while it is not heard.
      for (const module of ["libfluidsynth-2.4.6.js", "music-play.js", "js-synthesizer.worklet.min.js"]) {
        await context.audioWorklet.addModule(versioned(module));
      }
      music.player = new AudioWorkletNode(context, "pelaryn-music",
                                          { numberOfInputs: 0, outputChannelCount: [2] });
      music.player.connect(output());
      music.player.port.onmessage = (event) => {
        const message = event.data;
        if (message.kind === "ended" && message.turn === music.turn && music.source === "memory" &&
            music.playing) {
          music.ended = true;
        }
      };
      const synth = new JSSynth.AudioWorkletNodeSynthesizer();
      synth.init(context.sampleRate, { initialGain: 0.3 });
      music.liveNode = synth.createAudioNode(context);
      worker = new Worker(versioned("music-render.js"));
      worker.onmessage = (event) => rendered(event.data);
      worker.postMessage({ kind: "scripts",
                           addresses: ["libfluidsynth-2.4.6.js", "js-synthesizer.min.js"].map(versioned) });
      liveSynth = synth;
      await stack.need(0);
      music.synth = synth;
      carryOut();
    })().catch((error) => console.warn("pelaryn: the music stays silent:", error));
  }

  // The live synthesiser is heard only while it plays, so that the browser can leave it out of
  // the audio graph's work while the music comes from memory.
  function hearLive(on) {
    if (on === music.liveHeard) return;
    music.liveHeard = on;
    if (on) music.liveNode.connect(output());
    else music.liveNode.disconnect();
    music.player.port.postMessage({ kind: "live", heard: on });
  }
  function fontBytes(index) {
    const font = fonts[index];
    if (!font.bytes) {
      font.bytes = fetch(versioned(chain[index])).then((response) => {
        if (!response.ok) throw new Error("no soundfont " + chain[index]);
        return response.arrayBuffer();
      });
      font.bytes.catch(() => { font.bytes = null; });
    }
    return font.bytes;
  }
  function fontExact(index) {
    const font = fonts[index];
    if (!font.exact) {
      font.exact = fontBytes(index).then(pelarynFontExactNotes);
      font.exact.catch(() => { font.exact = null; });
    }
    return font.exact;
  }
  // The worker is handed a font before any piece that renders with it.
  function fontInWorker(index) {
    const font = fonts[index];
    if (!font.inWorker) {
      font.inWorker = fontBytes(index).then((bytes) => {
        worker.postMessage({ kind: "font", name: chain[index], bytes });
      });
      font.inWorker.catch(() => { font.inWorker = null; });
    }
    return font.inWorker;
  }
  // The place in the chain of the font a piece plays with. A font's ranges are known once it is
  // fetched, so a larger font is fetched only when the ones before do not serve the piece.
  async function fontFor(bytes) {
    const exacts = [];
    for (;;) {
      const found = pelarynChainFont(bytes, exacts);
      if (found < exacts.length || exacts.length === chain.length - 1) return found;
      exacts.push(await fontExact(exacts.length));
    }
  }
  // The piece's font, chosen once; a choice that failed (a font not fetched) is made again.
  function chosenFont(entry) {
    if (!entry.font) {
      entry.font = fontFor(entry.bytes);
      entry.font.catch(() => { entry.font = null; });
    }
    return entry.font;
  }
  // Once the title music sounds, the next font is fetched in the background, so that the game's
  // pieces do not wait for it; not before, so that it does not delay the title music.
  function fetchAhead() {
    if (!fonts[1].bytes) fontBytes(1).catch(() => {});
    sounding();
  }

  function sameBytes(a, b) {
    if (a.byteLength !== b.byteLength) return false;
    const x = new Uint8Array(a);
    const y = new Uint8Array(b);
    for (let i = 0; i < x.length; ++i) if (x[i] !== y[i]) return false;
    return true;
  }
  // The piece's entry, made the most recent; rendered ahead unless it was already.
  function pieceFor(bytes) {
    for (const [id, entry] of pieces) {
      if (sameBytes(entry.bytes, bytes)) {
        pieces.delete(id);
        pieces.set(id, entry);
        return entry;
      }
    }
    const entry = { id: nextId++, bytes, font: null, state: "rendering", size: 0 };
    pieces.set(entry.id, entry);
    chosenFont(entry).then(async (index) => {
      await fontInWorker(index);
      worker.postMessage({ kind: "render", id: entry.id, piece: bytes.slice(0), font: chain[index],
                           rate: audioContext().sampleRate, limitBytes: pieceLimitBytes });
    }).catch(() => {
      // It plays live once its font is there; opened again, it is rendered again.
      entry.state = "live";
      pieces.delete(entry.id);
    });
    return entry;
  }
  function rendered(message) {
    const entry = pieces.get(message.id);
    if (!entry) return;
    if (message.kind !== "rendered") {
      // Too large, or the worker failed: it plays live.
      if (message.kind === "failed") console.warn("pelaryn: the music plays live:", message.why);
      entry.state = "live";
      return;
    }
    entry.state = "ready";
    entry.size = message.samples.byteLength;
    entry.end = message.end;
    entry.rate = audioContext().sampleRate;
    entry.ticks = message.ticks;
    entry.chunkFrames = message.chunkFrames;
    music.player.port.postMessage({ kind: "keep", id: entry.id, samples: message.samples,
                                    end: message.end }, [message.samples.buffer]);
    letGoBeyondBudget();
    handOver(entry);
  }
  function letGoBeyondBudget() {
    let held = 0;
    for (const entry of pieces.values()) held += entry.size;
    for (const [id, entry] of pieces) {
      if (held <= budgetBytes) break;
      if (music.piece && music.piece.id === id) continue;
      held -= entry.size;
      pieces.delete(id);
      music.player.port.postMessage({ kind: "forget", id });
    }
  }

  // The live synthesiser playing a piece whose rendering has just come hands over to the
  // memory at the place it has reached, unless its pass has ended already.
  function handOver(entry) {
    if (!music.piece || music.piece.id !== entry.id || music.source !== "live") return;
    music.queue = music.queue.then(async () => {
      if (!music.piece || music.piece.id !== entry.id || music.source !== "live" || music.ended) {
        return;
      }
      const tick = await music.synth.retrievePlayerCurrentTick();
      if (music.ended || music.source !== "live") return;
      let chunk = entry.ticks.findIndex((reached) => reached >= tick);
      if (chunk < 0) return;  // its end is near: the next pass plays from memory
      const turn = ++music.turn;
      music.source = "memory";
      music.player.port.postMessage({ kind: "play", id: entry.id, turn, at: chunk * entry.chunkFrames });
      if (!music.playing) music.player.port.postMessage({ kind: "stop" });
      await music.synth.stopPlayer();
      music.synth.midiAllSoundsOff();
      await music.synth.resetPlayer();
      hearLive(false);
    }).catch((error) => console.warn("pelaryn: the music:", error));
  }

  // Brings the music to what the game asked for, one step after another.
  function carryOut() {
    const synth = music.synth;
    if (!synth) return;
    if (music.opened) {
      music.piece = pieceFor(music.opened);
      music.opened = null;
    }
    const wanted = { open: music.open, playing: music.playing, fromStart: music.fromStart,
                     piece: music.piece };
    // A start asked for before the piece plays is kept for when it does.
    if (wanted.open && wanted.playing) music.fromStart = false;
    // From now on, whatever an earlier step still watches is not this piece's end.
    const turn = ++music.turn;
    music.queue = music.queue.then(async () => {
      if (!wanted.open || !wanted.playing) {
        music.player.port.postMessage({ kind: wanted.open ? "stop" : "close" });
        await synth.stopPlayer();
        if (!wanted.open) await synth.resetPlayer();
        return;
      }
      const entry = wanted.piece;
      await stack.need(await chosenFont(entry));
      if (turn !== music.turn) return;  // asked for something else meanwhile
      if (wanted.fromStart && entry.state === "ready") {
        await synth.stopPlayer();
        await synth.resetPlayer();
        music.source = "memory";
        music.memoryStarts += 1;
        music.player.port.postMessage({ kind: "play", id: entry.id, turn, at: 0 });
        hearLive(false);
        fetchAhead();
        return;
      }
      if (music.source === "memory") {
        music.player.port.postMessage({ kind: "play", id: entry.id, turn });
        fetchAhead();
        return;
      }
      if (wanted.fromStart) {
        music.player.port.postMessage({ kind: "stop" });
        await synth.stopPlayer();
        await synth.resetPlayer();
        synth.midiSystemReset();
        await synth.addSMFDataToPlayer(entry.bytes.slice(0));
        music.source = "live";
        hearLive(true);
      }
      await synth.playPlayer();
      fetchAhead();
      const current = () => turn === music.turn && music.playing && !music.ended &&
                            music.source === "live";
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

  function open(bytes) {
    Object.assign(music, { piece: null, open: true, playing: false, ended: false, fromStart: true,
                           source: "none" });
    // Taken up by the next step once the synthesiser is there.
    music.opened = bytes.slice().buffer;
    carryOut();
  }

  return {
    start,
    open,
    command(command) {
      if (command === "play") {
        music.playing = true;
      } else if (command === "start") {
        Object.assign(music, { playing: true, ended: false, fromStart: true });
      } else if (command === "stop") {
        music.playing = false;
      } else if (command === "close") {
        Object.assign(music, { piece: null, opened: null, open: false, playing: false,
                               ended: false, source: "none" });
      }
      carryOut();
    },
    ended() {
      return music.ended;
    },
    // For a test: whether the music is there and playing, where from, and passes from memory.
    status() {
      return {
        music: music.synth ? (music.playing && !music.ended ? "playing" : "stopped") : "none",
        musicSource: music.source,
        musicMemoryStarts: music.memoryStarts,
        musicRendered: [...pieces.values()].filter((entry) => entry.state === "ready").length,
        // The soundfonts loaded into the live synthesiser, in order.
        musicFonts: liveFonts.slice(),
        // Where the piece playing from memory is reported ended, in seconds from its start.
        musicPassSeconds: music.piece && music.piece.state === "ready"
          ? music.piece.end / music.piece.rate : 0,
      };
    },
  };
}
