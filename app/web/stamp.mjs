// Gives every file of the built page a version taken from its contents: the page asks for each
// file as NAME?v=VERSION, so no cache between the host and the player can hand out an old one
// with a new page, and the service worker keeps them under the build's version. Run by the build
// once everything else is in the page's folder (it rewrites index.html, with the list of versions
// the page's scripts ask by, the manifest and sw.js there in place, and running it again changes
// nothing).
//
//   node app/web/stamp.mjs FOLDER
import { createHash } from "node:crypto";
import { readdirSync, readFileSync, statSync, writeFileSync } from "node:fs";
import path from "node:path";

export function stamp(folder) {
  const at = (name) => path.join(folder, name);
  const version = (bytes) => createHash("sha256").update(bytes).digest("hex").slice(0, 16);
  // Named by others, they are stamped after what they name, in this order; the service worker
  // is not one of the page's files but the keeper of their list.
  const naming = ["manifest.webmanifest", "index.html"];
  const worker = "sw.js";
  const versions = new Map();
  for (const name of readdirSync(folder).sort()) {
    if (name.startsWith(".") || naming.includes(name) || name === worker || !statSync(at(name)).isFile()) {
      continue;
    }
    versions.set(name, version(readFileSync(at(name))));
  }
  const reference = /((?:src|href)=")([^"?#]+)(?:\?v=[0-9a-f]*)?(")/g;
  const rewrite = {
    "manifest.webmanifest": (text) => text.replace(/("src": ")([^"?#]+)(?:\?v=[0-9a-f]*)?(")/g, versionedReference),
    "index.html": (text) => {
      const list = /^const pelarynVersions = .*;$/m;
      if (!list.test(text)) throw new Error("index.html has no line for the list of versions");
      const listed = "const pelarynVersions = " + JSON.stringify(Object.fromEntries(versions)) + ";";
      return text.replace(reference, versionedReference).replace(list, () => listed);
    },
  };
  function versionedReference(whole, before, name, after) {
    return versions.has(name) ? before + name + "?v=" + versions.get(name) + after : whole;
  }
  for (const name of naming) {
    if (!readdirSync(folder).includes(name)) continue;
    const text = rewrite[name](readFileSync(at(name), "utf8"));
    writeFileSync(at(name), text);
    versions.set(name, version(text));
  }
  const files = Object.fromEntries([...versions].sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0)));
  const build = version(JSON.stringify(files));
  const workerText = readFileSync(at(worker), "utf8");
  const placeholder = /^const build = .*;$/m;
  if (!placeholder.test(workerText)) throw new Error(`${worker} has no line for the build's list`);
  writeFileSync(at(worker), workerText.replace(placeholder, () => "const build = " + JSON.stringify({ version: build, files }) + ";"));
  return build;
}

if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  if (process.argv.length !== 3) {
    console.error("usage: node stamp.mjs FOLDER");
    process.exit(2);
  }
  stamp(path.resolve(process.argv[2]));
}
