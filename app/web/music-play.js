// The audio worklet that plays pieces rendered ahead (music-render.js) from memory: 16-bit
// stereo, interleaved, kept here by name until the page lets them go. A piece is reported ended
// once its last tick has passed; what rings on after it sounds until the next start or stop.
"use strict";

// The live synthesiser (js-synthesizer's processor, added to this scope after this file) renders
// every block and tells the page so, heard or not: while the music comes from memory it rests,
// and neither the audio thread nor the page spends anything on it. The page says when it is
// heard through this file's player.
let liveResting = true;
try {
  const registerEach = registerProcessor;
  globalThis.registerProcessor = (name, processor) => registerEach(name, name !== "js-synthesizer" ? processor
    : class extends processor {
      process(inputs, outputs) {
        return liveResting ? true : super.process(inputs, outputs);
      }
    });
} catch (error) {
  // It renders unheard, as it would without this file.
}

class MusicPlayer extends AudioWorkletProcessor {
  constructor() {
    super();
    this.pieces = new Map();
    this.piece = null;
    this.position = 0;  // in frames
    this.playing = false;
    this.turn = 0;
    this.told = false;  // whether this pass's end has been reported
    this.port.onmessage = (event) => this.take(event.data);
  }

  take(message) {
    if (message.kind === "keep") {
      this.pieces.set(message.id, { samples: message.samples, end: message.end,
                                    frames: message.samples.length / 2 });
    } else if (message.kind === "forget") {
      this.pieces.delete(message.id);
    } else if (message.kind === "play") {
      const piece = this.pieces.get(message.id);
      if (!piece) return;
      if (piece !== this.piece || message.at !== undefined) {
        this.piece = piece;
        this.position = message.at || 0;
        this.told = this.position >= piece.end;
      }
      this.turn = message.turn;
      this.playing = true;
    } else if (message.kind === "stop") {
      this.playing = false;
    } else if (message.kind === "live") {
      liveResting = !message.heard;
    } else if (message.kind === "close") {
      this.playing = false;
      this.piece = null;
    }
  }

  process(inputs, outputs) {
    const out = outputs[0];
    const piece = this.piece;
    if (!this.playing || !piece) return true;
    const left = out[0];
    const right = out[1] || out[0];
    const samples = piece.samples;
    const count = Math.max(0, Math.min(left.length, piece.frames - this.position));
    for (let i = 0; i < count; ++i) {
      const at = 2 * (this.position + i);
      left[i] = samples[at] / 32767;
      right[i] = samples[at + 1] / 32767;
    }
    this.position += left.length;
    if (!this.told && this.position >= piece.end) {
      this.told = true;
      this.port.postMessage({ kind: "ended", turn: this.turn });
    }
    return true;
  }
}

registerProcessor("pelaryn-music", MusicPlayer);
