// Keeps every file of the page, so that once the page has been opened it starts with no network.
// A build's files are kept together under its version; the next build's service worker fetches
// its own as it installs, takes over at once and drops the older ones.
"use strict";

// Written by the build (stamp.mjs): the build's version and each file's version.
const build = { version: "", files: {} };

const cacheName = "pelaryn-" + build.version;
// Fetched only for a player's piece that needs it, and kept from then on, not before: the first
// visit does not download it. The smaller soundfonts (the title's, the game's pieces') are kept
// with everything else, so that all the game's own music plays with no network.
const onDemand = new Set(["TimGM6mb.sf2"]);
const base = new URL(self.registration.scope);

function versioned(name) {
  return new URL(name + "?v=" + build.files[name], base).href;
}

function kept(name) {
  return openCache().then((cache) => cache.match(versioned(name)));
}

// Opened once for every request the worker answers while it runs.
let opened = null;
function openCache() {
  if (!opened) opened = caches.open(cacheName);
  return opened;
}

// A file of this build not kept yet (or dropped by the browser): from the network, and kept.
async function keptOrFetched(name, request) {
  const cache = await openCache();
  const known = await cache.match(versioned(name));
  if (known) return known;
  const response = await fetch(versioned(name));
  if (response.ok) await cache.put(versioned(name), response.clone());
  return response.ok ? response : fetch(request);
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(cacheName);
    // Past any cache on the way: a name with its version is the file it was built as.
    await cache.addAll(Object.keys(build.files).filter((name) => !onDemand.has(name))
      .map((name) => new Request(versioned(name), { cache: "no-cache" })));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith("pelaryn-") && name !== cacheName) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== "GET" || url.origin !== base.origin || !url.pathname.startsWith(base.pathname)) {
    return;
  }
  const name = url.pathname.slice(base.pathname.length) || "index.html";
  if (!(name in build.files)) return;
  // The page itself from the network while there is one, so that a new build is taken at once;
  // without a network, the kept one.
  if (request.mode === "navigate") {
    event.respondWith(fetch(request).catch(() => kept(name).then((response) => response || Response.error())));
    return;
  }
  // A file of a newer build than this one (a page fetched since): only the network has it.
  const version = url.searchParams.get("v");
  if (version && version !== build.files[name]) return;
  event.respondWith(keptOrFetched(name, request));
});
