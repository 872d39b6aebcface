// The score board, the page's side: a game over's replay sent when the player asked for it, an
// outbox in the page's storage for what could not be sent yet, and the board's rankings read for
// the ranking window. No request goes anywhere until the player has given a board's address.
"use strict";

function pelarynBoard({ prefs, readStored, store, forget, storedNames, notify }) {
  const outboxPrefix = "pelaryn/outbox/";
  const ownRunsName = "pelaryn/online-runs";
  // Ids the board gave this browser's submissions, per board address; the oldest go first.
  const ownRunsKept = 1000;
  // After a failed send, the next try; doubled while the board stays away.
  const firstRetryMs = 15000;
  const lastRetryMs = 5 * 60000;

  let sending = false;
  let retryTimer = null;
  let retryMs = firstRetryMs;
  // Said once a series of failures, not at every retry.
  let saidAway = false;
  let serial = 0;

  // The address without its trailing slashes, or "" when it is none a page may call.
  function normalised(text) {
    const trimmed = String(text || "").trim().replace(/\/+$/, "");
    if (!trimmed) return "";
    try {
      const url = new URL(trimmed);
      return url.protocol === "http:" || url.protocol === "https:" ? trimmed : "";
    } catch (error) {
      return "";
    }
  }
  const address = () => normalised(prefs().boardAddress);

  // ---- the player's own runs ----

  function ownRunsTable() {
    try {
      const bytes = readStored(ownRunsName);
      const table = JSON.parse(bytes ? new TextDecoder().decode(bytes) : "{}");
      return table && typeof table === "object" && !Array.isArray(table) ? table : {};
    } catch (error) {
      return {};
    }
  }
  function ownRuns(board = address()) {
    const ids = ownRunsTable()[board];
    return new Set(Array.isArray(ids) ? ids.filter(Number.isInteger) : []);
  }
  function keepOwnRun(board, id) {
    if (!Number.isInteger(id)) return;
    const table = ownRunsTable();
    const ids = Array.isArray(table[board]) ? table[board].filter((kept) => kept !== id) : [];
    ids.push(id);
    table[board] = ids.slice(-ownRunsKept);
    // Failing, only the marks in the online ranking are lost.
    store(ownRunsName, new TextEncoder().encode(JSON.stringify(table)));
  }

  // ---- sending ----

  // The answer's reason as the board words it, or its status.
  async function reason(response) {
    try {
      const body = await response.json();
      if (body && typeof body.error === "string") return body.error;
    } catch (error) {
      // no JSON: the status says it
    }
    return "HTTP " + response.status;
  }

  // A game over's replay, when the player chose to send every one.
  function gameOver(bytes) {
    if (prefs().submitRuns) submit(bytes);
  }
  // Into the outbox first, so that a closed tab loses nothing, then sent.
  function submit(bytes) {
    if (!address() || !bytes) return;
    const key = outboxPrefix + Date.now() + "-" + String(++serial).padStart(4, "0");
    if (!store(key, bytes)) {
      notify(pageWords.boardNotKept());
      return;
    }
    send();
  }

  function waiting() {
    return storedNames(outboxPrefix).sort();
  }

  function retryLater(afterMs) {
    if (retryTimer) clearTimeout(retryTimer);
    const delay = Math.max(afterMs || 0, retryMs);
    retryMs = Math.min(retryMs * 2, lastRetryMs);
    retryTimer = setTimeout(() => {
      retryTimer = null;
      send();
    }, delay);
  }

  // Sends what waits, oldest first, one at a time; stops at the first run the board cannot take
  // now (away, busy, or too many from here) and tries again later. Never awaited by the game.
  async function send() {
    if (sending) return;
    sending = true;
    try {
      for (const name of waiting()) {
        const board = address();
        // What waits was asked to be sent, after a game over or by hand: it goes even if the
        // player has since turned sending after each game off.
        if (!board) return;
        const bytes = readStored(outboxPrefix + name);
        if (!bytes) continue;
        let response;
        try {
          response = await fetch(board + "/api/v1/runs?name=" + encodeURIComponent(prefs().onlineName || ""),
                                 { method: "POST", body: bytes });
        } catch (error) {
          response = null;
        }
        if (!response || response.status >= 500 || response.status === 429) {
          if (!saidAway) notify(pageWords.boardAway(response ? await reason(response) : pageWords.boardUnreachable()));
          saidAway = true;
          const after = response ? Number(response.headers.get("Retry-After")) * 1000 : 0;
          retryLater(Number.isFinite(after) ? after : 0);
          return;
        }
        saidAway = false;
        retryMs = firstRetryMs;
        forget(outboxPrefix + name);
        if (response.status === 201) {
          const run = await response.json().catch(() => null);
          if (run && Number.isInteger(run.id)) {
            keepOwnRun(board, run.id);
            notify(pageWords.boardRank(run.rank, run.board));
          }
        } else {
          // Refused for good: it would be refused again. 409 names the run already there.
          const body = await response.json().catch(() => null);
          if (response.status === 409 && body && Number.isInteger(body.id)) keepOwnRun(board, body.id);
          notify(pageWords.boardRefused(body && typeof body.error === "string" ? body.error
                                                                              : "HTTP " + response.status));
        }
      }
    } finally {
      sending = false;
    }
  }

  // ---- reading the board ----

  // The answer's JSON, or a thrown Error whose message is the reason to show.
  async function read(path) {
    const board = address();
    if (!board) throw new Error(pageWords.boardNoAddress());
    let response;
    try {
      response = await fetch(board + path);
    } catch (error) {
      throw new Error(pageWords.boardUnreachable());
    }
    if (!response.ok) throw new Error(await reason(response));
    // The board answers again: whatever waits goes now.
    if (waiting().length > 0 && !retryTimer) send();
    else if (retryTimer) {
      clearTimeout(retryTimer);
      retryTimer = null;
      retryMs = firstRetryMs;
      send();
    }
    return response;
  }

  return {
    address,
    normalised,
    gameOver,
    submit,
    send,
    waiting,
    ownRuns,
    async boards() {
      const body = await (await read("/api/v1/boards")).json();
      return Array.isArray(body.boards) ? body.boards : [];
    },
    async rows(board, offset) {
      return (await read("/api/v1/boards/" + encodeURIComponent(board) + "?offset=" + offset + "&limit=100")).json();
    },
    async replay(id) {
      return new Uint8Array(await (await read("/api/v1/runs/" + id + "/replay")).arrayBuffer());
    },
  };
}
