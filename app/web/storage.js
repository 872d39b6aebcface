// The player's files (the game's pelaryn.cfg and pelaryn.sco, replays, the player's own pictures
// and pieces, the outbox) as bytes in IndexedDB. The game reads and writes them synchronously, so
// all of them are read into memory before it starts; every write goes to memory at once and
// through to the database in the order it was made.
"use strict";

// The database was opened as the page began to load (index.html): pelarynDatabase.

function pelarynStorage({ failed }) {
  const table = "files";
  // What the page kept in localStorage before, one character a byte: everything under this
  // prefix but the preferences, which stay there.
  const legacyPrefix = "pelaryn/";
  const legacyKept = new Set(["pelaryn/preferences"]);
  const files = new Map();
  let database = null;
  let pending = Promise.resolve();
  let failures = 0;
  let askedToPersist = false;
  // Other tabs of the page hear of every write, so that what they show stays current.
  const others = typeof BroadcastChannel === "function" ? new BroadcastChannel("pelaryn-files") : null;

  function request(wrapped) {
    return new Promise((resolve, reject) => {
      wrapped.onsuccess = () => resolve(wrapped.result);
      wrapped.onerror = () => reject(wrapped.error);
    });
  }
  function finished(transaction) {
    return new Promise((resolve, reject) => {
      transaction.oncomplete = () => resolve();
      transaction.onerror = transaction.onabort = () => reject(transaction.error || new Error("aborted"));
    });
  }
  // A stored string back into bytes: one character a byte as the page wrote them; a string with
  // wider characters was text an older page kept as it was, and becomes its UTF-8.
  function legacyBytes(text) {
    let wide = false;
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) {
      const code = text.charCodeAt(i);
      if (code > 0xff) wide = true;
      bytes[i] = code;
    }
    return wide ? new TextEncoder().encode(text) : bytes;
  }
  function legacyNames() {
    const names = [];
    for (let i = 0; i < localStorage.length; ++i) {
      const name = localStorage.key(i);
      if (name.startsWith(legacyPrefix) && !legacyKept.has(name)) names.push(name);
    }
    return names;
  }
  function dropLegacy(name, text) {
    try {
      if (!legacyKept.has(name) && localStorage.getItem(name) === text) localStorage.removeItem(name);
    } catch (error) {
      // Left behind, it is moved again at the next start; the database keeps the newer copy.
    }
  }

  // Moved in one transaction: all of them or none. Only once the database holds them are they
  // removed from localStorage, and only those no other tab changed in the meantime.
  async function moveLegacy() {
    const moving = legacyNames().map((name) => [name, localStorage.getItem(name)]);
    if (moving.length === 0) return;
    const transaction = database.transaction(table, "readwrite");
    const done = finished(transaction);
    try {
      for (const [name, text] of moving) transaction.objectStore(table).put(legacyBytes(text), name);
    } catch (error) {
      transaction.abort();
      done.catch(() => {});
      throw error;
    }
    await done;
    for (const [name, text] of moving) dropLegacy(name, text);
  }

  async function readAll() {
    const transaction = database.transaction(table, "readonly");
    const store = transaction.objectStore(table);
    const [names, values] = await Promise.all([request(store.getAllKeys()), request(store.getAll())]);
    names.forEach((name, i) => files.set(name, new Uint8Array(values[i])));
  }

  // What localStorage still holds (a move that failed, a write an older page in another tab made
  // since, or a browser with no database) is read from there: it is the latest of that file.
  // Without a database, nothing is taken out of it, and writes fail as a full storage does.
  function readLegacy() {
    for (const name of legacyNames()) {
      files.set(name, legacyBytes(localStorage.getItem(name)));
    }
  }

  function persist() {
    if (askedToPersist || !navigator.storage || !navigator.storage.persist) return;
    askedToPersist = true;
    navigator.storage.persist().catch(() => {});
  }

  const ready = (async () => {
    try {
      database = await pelarynDatabase;
      try {
        await moveLegacy();
      } catch (error) {
        console.warn("pelaryn: the files stay in localStorage for now:", error);
      }
      await readAll();
    } catch (error) {
      database = null;
      console.warn("pelaryn: no IndexedDB, the files cannot be kept:", error);
    }
    // Whatever could not be moved yet is read from where it is.
    try {
      readLegacy();
    } catch (error) {
      // No localStorage either.
    }
    if (files.size > 0) persist();
  })();

  // One transaction a write, made at once: the database carries them out in the order made.
  function write(name, bytes) {
    const transaction = database.transaction(table, "readwrite");
    const store = transaction.objectStore(table);
    if (bytes) {
      store.put(bytes, name);
    } else {
      store.delete(name);
    }
    if (transaction.commit) transaction.commit();
    const done = finished(transaction).then(() => {
      // Newer than anything left in localStorage under that name.
      try {
        const text = localStorage.getItem(name);
        if (text !== null) dropLegacy(name, text);
      } catch (error) {
        // Moved and dropped at the next start.
      }
    }, (error) => {
      console.warn("pelaryn: not kept:", name, error);
      failures += 1;
      failed(name);
    });
    pending = pending.then(() => done);
    if (others) others.postMessage({ name, bytes });
  }

  if (others) {
    others.onmessage = (event) => {
      const { name, bytes } = event.data;
      if (bytes) {
        files.set(name, bytes);
      } else {
        files.delete(name);
      }
    };
  }

  return {
    ready,
    // Once every write made so far is in the database or has failed: how many failed since the
    // page started.
    flushed: () => pending.then(() => failures),
    read(name) {
      const bytes = files.get(name);
      return bytes ? bytes.slice() : null;
    },
    write(name, bytes) {
      if (!database) return false;
      const copy = new Uint8Array(bytes);
      try {
        write(name, copy);
      } catch (error) {
        return false;
      }
      files.set(name, copy);
      persist();
      return true;
    },
    names(prefix) {
      const names = [];
      for (const name of files.keys()) {
        if (name.startsWith(prefix)) names.push(name.slice(prefix.length));
      }
      return names.sort();
    },
    remove(name) {
      files.delete(name);
      if (!database) {
        try {
          if (!legacyKept.has(name)) localStorage.removeItem(name);
        } catch (error) {
          // Nothing to remove it from.
        }
        return;
      }
      try {
        write(name, null);
      } catch (error) {
        console.warn("pelaryn: not removed:", name, error);
      }
    },
  };
}
