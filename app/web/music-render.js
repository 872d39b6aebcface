// The worker that renders each piece once, ahead, with the same synthesiser and settings the
// live one plays with (js-synthesizer's FluidSynth), so that the music plays from memory and
// nothing synthesises on the audio thread. A fresh synthesiser for every piece: what one piece
// leaves in the effects never colours the next.
"use strict";

const fonts = new Map();  // name → the soundfont's bytes
// Rendered and checked for the end in steps of this many frames.
const chunkFrames = 1024;
// A piece rings on after its end for this long: what sounds until the game starts it again.
const tailSeconds = 4;
let ready = null;
let queue = Promise.resolve();

onmessage = (event) => {
  const message = event.data;
  if (message.kind === "scripts") {
    // The synthesiser's scripts, by the addresses the page asks for them by, so that the worker
    // takes the very copies the page has fetched already.
    importScripts(...message.addresses);
    ready = JSSynth.waitForReady();
  } else if (message.kind === "font") {
    fonts.set(message.name, message.bytes);
  } else if (message.kind === "render") {
    queue = queue.then(() => render(message)).catch((error) => {
      postMessage({ kind: "failed", id: message.id, why: String(error) });
    });
  }
};

async function render({ id, piece, rate, font, limitBytes }) {
  await ready;
  const synth = new JSSynth.Synthesizer();
  synth.init(rate, { initialGain: 0.3 });
  try {
    await synth.loadSFont(fonts.get(font).slice(0));
    await synth.addSMFDataToPlayer(piece);
    await synth.playPlayer();
    const left = new Float32Array(chunkFrames);
    const right = new Float32Array(chunkFrames);
    const limitFrames = Math.floor(limitBytes / 4);
    let samples = new Int16Array(2 * rate * 60);
    let frames = 0;
    let end = -1;
    const ticks = [];
    let total = 0;
    while (end < 0 || frames < end + tailSeconds * rate) {
      if (frames + chunkFrames > limitFrames) {
        postMessage({ kind: "too-large", id });
        return;
      }
      synth.render([left, right]);
      if (2 * (frames + chunkFrames) > samples.length) {
        const larger = new Int16Array(samples.length * 2);
        larger.set(samples);
        samples = larger;
      }
      for (let i = 0; i < chunkFrames; ++i) {
        samples[2 * (frames + i)] = toSample(left[i]);
        samples[2 * (frames + i) + 1] = toSample(right[i]);
      }
      frames += chunkFrames;
      if (end < 0) {
        // Ended once the player has passed the piece's last tick, not when its notes ring out.
        const tick = synth.getPlayerCurrentTick();
        ticks.push(tick);
        if (total <= 0) total = synth.getPlayerTotalTicks();
        if (!synth.isPlayerPlaying() || (total > 0 && tick >= total)) end = frames;
      }
    }
    const kept = samples.slice(0, 2 * frames);
    postMessage({ kind: "rendered", id, samples: kept, end, chunkFrames,
                  ticks: Int32Array.from(ticks) }, [kept.buffer]);
  } finally {
    synth.close();
  }
}

function toSample(value) {
  return Math.round(Math.max(-1, Math.min(1, value)) * 32767);
}
