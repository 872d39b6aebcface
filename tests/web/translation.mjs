// The desktop's English as the page should find it: "context\u0004source" → translation, read
// from translations/pelaryn_en.ts on its own (a character XML cannot hold, such as the carriage
// return, stands there as <byte value="x…"/>).
import { readFileSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");

function text(xml) {
  return xml.replace(/<byte value="x([0-9a-f]+)"\/>/gi, (_, hex) => String.fromCharCode(parseInt(hex, 16)))
    .replace(/&#x([0-9a-f]+);/gi, (_, hex) => String.fromCharCode(parseInt(hex, 16)))
    .replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, '"').replace(/&apos;/g, "'")
    .replace(/&amp;/g, "&");
}

export function english() {
  const file = readFileSync(path.join(root, "translations/pelaryn_en.ts"), "utf8");
  const table = new Map();
  for (const [, context] of file.matchAll(/<context>([\s\S]*?)<\/context>/g)) {
    const name = /<name>(.*?)<\/name>/.exec(context)[1];
    const messages = /<source>([\s\S]*?)<\/source>\s*<translation[^>]*>([\s\S]*?)<\/translation>/g;
    for (const [, source, translation] of context.matchAll(messages)) {
      table.set(name + "\u0004" + text(source), text(translation));
    }
  }
  return table;
}

// "%1" and so on replaced, as Qt's arg() does.
export function withArgs(words, ...args) {
  return words.replace(/%(\d)/g, (whole, n) => (n >= 1 && n <= args.length ? String(args[n - 1]) : whole));
}
