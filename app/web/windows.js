// The game's windows in HTML: each is put up over the field and holds the game (which waits for
// its answer) until the player closes it, as the desktop's modal windows do. The game describes
// a window in JSON; what the player does comes back as answers ({action: …}). Here: the kit the
// windows are drawn with, the boxes the game words, the ranking and the about box; the settings
// window and the player's own windows are in settings-window.js and player-windows.js.
"use strict";

function pelarynWindows(services) {
  const veil = document.getElementById("veil");
  let current = null;  // { answers: [], waiter }

  function element(tag, properties = {}, children = []) {
    const made = document.createElement(tag);
    Object.assign(made, properties);
    for (const child of children) made.append(child);
    return made;
  }
  function button(caption, onClick, properties = {}) {
    return element("button", Object.assign({ type: "button", textContent: caption, onclick: onClick }, properties));
  }

  // A window's frame: title, body, buttons on the right; Enter presses the default button and
  // Esc the cancelling one.
  function frame(title, body, buttons, { cancel, warning = false } = {}) {
    const box = element("section", { className: "window" + (warning ? " warning" : "") });
    box.setAttribute("role", "dialog");
    box.setAttribute("aria-modal", "true");
    box.append(element("h2", { textContent: title }), body,
               element("div", { className: "buttons" }, buttons));
    box.addEventListener("keydown", (event) => {
      event.stopPropagation();
      if (event.key === "Escape" && cancel) {
        event.preventDefault();
        cancel();
      } else if (event.key === "Enter" && event.target.tagName !== "BUTTON" &&
                 event.target.tagName !== "TEXTAREA") {
        const chosen = box.querySelector(".buttons button.default");
        if (chosen) {
          event.preventDefault();
          chosen.click();
        }
      }
    });
    return box;
  }

  function show(box) {
    veil.replaceChildren(box);
    veil.hidden = false;
    // The box takes the keys even where nothing in it can (Esc, Enter).
    box.tabIndex = -1;
    const first = box.querySelector("input[type=text], .buttons button.default:not(:disabled)");
    (first || box).focus();
  }

  function answer(value) {
    if (!current) return;
    if (current.waiter) {
      const resolve = current.waiter;
      current.waiter = null;
      resolve(JSON.stringify(value));
    } else {
      current.answers.push(value);
    }
  }

  // A question inside a window (ランキング初期化): true when the player says OK.
  function confirmBox(title, text) {
    return new Promise((resolve) => {
      const before = veil.firstChild;
      const done = (ok) => {
        veil.replaceChildren(before);
        veil.querySelector(".buttons button")?.focus();
        resolve(ok);
      };
      show(frame(title, element("p", { className: "text", textContent: text }),
                 [button("OK", () => done(true), { className: "default" }),
                  button(qsTranslate("DesktopDialogs", "キャンセル"), () => done(false))],
                 { cancel: () => done(false) }));
    });
  }

  // ---- the boxes the game words ----

  // A box's title: the game's own, translated as the desktop translates it ("pelaryn" stays).
  const messageTitle = (message) => qsTranslate("Messages", message.title || "pelaryn");
  // The desktop's source text of each box the game words (CoreTexts), for its translation: %1 is
  // the message's number and %2 its text, or %1 the text where the box has no number.
  const messageSources = {
    GameOver: () => qsTranslate("Messages", "おしまい\r\n撃墜率 : %1%"),
    RankingEntry: () => qsTranslate("Messages", "%1位にランクインです！\r\n名前を入力してください\r\n（半角なら６文字程度、全角なら４文字以内にしてください）"),
    SaveFailed: () => qsTranslate("Messages", "保存できませんでした: %1"),
    ReplayDiffers: () => qsTranslate("Messages", "このリプレイは %1 フレーム目で記録と食い違いました（記録したバージョン %2）"),
    ReplayOtherVersion: () => qsTranslate("Messages", "このリプレイは別のバージョン（%2）で記録されたため再生できません"),
    ReplayEndingClaimed: () => qsTranslate("Messages", "このリプレイに記録された終わり方は、再生したゲームの終わり方と違います"),
    ReplayScoreClaimed: () => qsTranslate("Messages", "このリプレイはスコア %1 と記録していますが、再生したゲームのスコアは %2 でした"),
    ReplayComboClaimed: () => qsTranslate("Messages", "このリプレイは最大コンボ %1 と記録していますが、再生したゲームでは %2 でした"),
    ReplayRatioClaimed: () => qsTranslate("Messages", "このリプレイは撃墜率 %1% と記録していますが、再生したゲームでは %2% でした"),
    ReplayLevelClaimed: () => qsTranslate("Messages", "このリプレイはレベル %1 と記録していますが、再生したゲームでは %2 でした"),
  };
  // In Japanese the game's own words; otherwise the translation of the same text.
  function messageWords(message) {
    const source = messageSources[message.id];
    if (pelarynTexts.language() === "ja" || !source) return message.words;
    return message.id === "SaveFailed" ? withArgs(source(), message.text)
                                       : withArgs(source(), message.number, message.text);
  }

  function messageWindow(request) {
    const ok = () => answer({ action: "ok" });
    show(frame(messageTitle(request.message),
               element("p", { className: "text", textContent: messageWords(request.message) }),
               [button("OK", ok, { className: "default" })], { cancel: ok, warning: request.warning }));
  }

  function inputWindow(request) {
    const field = element("input", { type: "text", autocomplete: "off", spellcheck: false });
    const ok = () => answer({ action: "ok", text: field.value });
    const cancel = () => answer({ action: "cancel" });
    show(frame(messageTitle(request.message),
               element("div", {}, [element("p", { className: "text", textContent: messageWords(request.message) }),
                                   field]),
               [button(qsTranslate("DesktopDialogs", "OK"), ok, { className: "default" }),
                button(qsTranslate("DesktopDialogs", "キャンセル"), cancel)],
               { cancel }));
  }

  // ---- the ranking ----

  function pictureCanvas(name) {
    const picture = services.pictures.get(name);
    const canvas = element("canvas", { className: "picture" });
    if (!picture) return canvas;
    canvas.width = picture.width;
    canvas.height = picture.height;
    canvas.getContext("2d").putImageData(
      new ImageData(new Uint8ClampedArray(picture.rgba), picture.width, picture.height), 0, 0);
    return canvas;
  }

  function rankingWindow(request) {
    // The heading's words are drawn: the picture in the player's language.
    const logo = pictureCanvas(pelarynTexts.language() === "en" ? "EnglishRankLogo" : "RankLogo");
    const blink = setInterval(() => { logo.style.visibility = logo.style.visibility ? "" : "hidden"; }, 500);
    const table = element("table", { className: "ranking" });
    const head = table.createTHead().insertRow();
    for (const caption of ["", qsTranslate("pelaryn::FrmRanking", "名前"), qsTranslate("pelaryn::FrmRanking", "得点"),
                           qsTranslate("pelaryn::FrmRanking", "コンボ"), qsTranslate("pelaryn::FrmRanking", "％")]) {
      head.append(element("th", { textContent: caption }));
    }
    const body = table.createTBody();
    request.rows.forEach((row, i) => {
      const line = body.insertRow();
      for (const text of [i + 1, row.name, row.score, row.combo, row.ratio]) {
        line.append(element("td", { textContent: String(text), title: String(text) }));
      }
    });
    const close = () => {
      clearInterval(blink);
      online.stop();
      answer({ action: "ok" });
    };
    const reset = () => {
      confirmBox(qsTranslate("pelaryn::FrmRanking", "ランキング初期化"),
                 qsTranslate("pelaryn::FrmRanking", "ランキングを初期化します。\nよろしいですか？")).then((ok) => {
        if (!ok) return;
        clearInterval(blink);
        online.stop();
        answer({ action: "reset" });
      });
    };
    const local = element("div", { className: "panel" }, [logo, table]);
    const online = onlineRanking(close);
    const resetButton = button(qsTranslate("pelaryn::FrmRanking", "初期化"), reset);
    const tabs = [[qsTranslate("Page", "ローカル"), local], [qsTranslate("Page", "オンライン"), online.panel]].map(([caption, panel]) => {
      const tab = button(caption, () => choose(tab));
      tab.className = "tab";
      tab.setAttribute("role", "tab");
      tab.panel = panel;
      return tab;
    });
    function choose(chosen) {
      for (const tab of tabs) {
        tab.setAttribute("aria-selected", String(tab === chosen));
        tab.panel.hidden = tab !== chosen;
      }
      resetButton.hidden = chosen.panel !== local;
      if (chosen.panel === online.panel) online.first();
    }
    choose(tabs[0]);
    show(frame(qsTranslate("pelaryn::FrmRanking", "ヴェルガード"),
               element("div", {}, [element("div", { className: "tabs", role: "tablist" }, tabs), local, online.panel]),
               [button("OK", close, { className: "default" }), resetButton],
               { cancel: close }));
  }

  // The score board's rankings, a hundred rows a page, read when the tab is first shown. Names
  // are the players' own text and are only ever set as text.
  function onlineRanking(closeRanking) {
    const board = services.board();
    const state = element("p", { className: "state" });
    const boards = element("select", { name: "board" });
    const table = element("table", { className: "replays online-ranking" });
    const head = table.createTHead().insertRow();
    for (const caption of [qsTranslate("pelaryn::FrmReplay", "順位"), qsTranslate("pelaryn::FrmReplay", "名前"),
                           qsTranslate("pelaryn::FrmReplay", "スコア"), qsTranslate("pelaryn::FrmReplay", "コンボ"),
                           qsTranslate("pelaryn::FrmReplay", "撃墜率"), qsTranslate("Page", "レベル"),
                           qsTranslate("pelaryn::FrmReplay", "長さ"), qsTranslate("pelaryn::FrmReplay", "日時")]) {
      head.append(element("th", { textContent: caption }));
    }
    const body = table.createTBody();
    let offset = 0;
    let total = 0;
    let rows = [];
    let chosen = -1;
    let started = false;
    // Each load counts; an answer to an older one is dropped.
    let turn = 0;
    const two = (n) => String(n).padStart(2, "0");
    // A frame is 45 ms.
    const length = (frames) => {
      const seconds = Math.floor(frames * 45 / 1000);
      return Math.floor(seconds / 60) + ":" + two(seconds % 60);
    };
    const date = (played) => {
      const at = new Date(played * 1000);
      return at.getFullYear() + "-" + two(at.getMonth() + 1) + "-" + two(at.getDate()) + " " + two(at.getHours()) + ":" + two(at.getMinutes());
    };
    function busy(loading, text) {
      state.classList.toggle("busy", loading);
      state.classList.toggle("problem", !loading && Boolean(text));
      state.textContent = text;
    }
    const failed = (error) => busy(false, error.message || String(error));
    function select(i) {
      chosen = i;
      Array.from(body.rows).forEach((row, j) => row.classList.toggle("chosen", j === i));
      playButton.disabled = i < 0;
    }
    function fill(page) {
      const own = board.ownRuns();
      rows = Array.isArray(page.rows) ? page.rows : [];
      total = Number(page.total) || 0;
      body.replaceChildren();
      rows.forEach((row, i) => {
        const line = body.insertRow();
        for (const text of [row.rank, row.name, row.score, row.combo, row.ratio + "%", row.level, length(row.frames), date(row.played)]) {
          line.append(element("td", { textContent: String(text) }));
        }
        if (own.has(row.id)) {
          line.classList.add("own");
          line.title = qsTranslate("Page", "あなたが送信したゲーム");
        }
        line.tabIndex = 0;
        line.addEventListener("click", () => select(i));
        line.addEventListener("dblclick", () => play());
      });
      select(rows.length > 0 ? 0 : -1);
      previous.disabled = offset <= 0;
      next.disabled = offset + rows.length >= total;
      busy(false, rows.length > 0 ? withArgs(qsTranslate("Page", "%1〜%2位 (全 %3 件)"), offset + 1, offset + rows.length, total)
                                  : qsTranslate("Page", "このボードにはまだ記録がありません"));
    }
    function loadPage(at) {
      const mine = ++turn;
      busy(true, qsTranslate("Page", "読み込んでいます…"));
      board.rows(boards.value, at).then((page) => {
        if (mine !== turn) return;
        offset = at;
        fill(page);
      }).catch((error) => { if (mine === turn) failed(error); });
    }
    function reload() {
      const mine = ++turn;
      const wanted = boards.value;
      busy(true, qsTranslate("Page", "読み込んでいます…"));
      board.boards().then((listed) => {
        if (mine !== turn) return;
        boards.replaceChildren(...listed.map((entry) => element("option", { value: entry.board, textContent: withArgs(qsTranslate("Page", "%1 (%2 件)"), entry.board, entry.runs) })));
        if (listed.length === 0) {
          body.replaceChildren();
          select(-1);
          busy(false, qsTranslate("Page", "このボードにはまだ記録がありません"));
          return;
        }
        // The board shown before stays, where the server still lists it; else the first (standard).
        boards.value = listed.some((entry) => entry.board === wanted) ? wanted : listed[0].board;
        loadPage(boards.value === wanted ? offset : 0);
      }).catch((error) => { if (mine === turn) failed(error); });
    }
    function play() {
      if (chosen < 0) return;
      const run = Object.assign({}, rows[chosen], { board: boards.value });
      const mine = ++turn;
      busy(true, qsTranslate("Page", "ダウンロードしています…"));
      board.replay(run.id).then((bytes) => {
        if (mine !== turn) return;
        if (!services.playOnline(bytes, run)) throw new Error(pageWords.notStored());
        closeRanking();
      }).catch((error) => { if (mine === turn) failed(error); });
    }
    boards.addEventListener("change", () => loadPage(0));
    const previous = button(qsTranslate("Page", "前の100件"), () => loadPage(Math.max(0, offset - 100)), { disabled: true });
    const next = button(qsTranslate("Page", "次の100件"), () => loadPage(offset + 100), { disabled: true });
    const playButton = button(qsTranslate("pelaryn::FrmReplay", "再生"), play, { disabled: true, name: "play" });
    const panel = element("div", { className: "list online" }, [
      element("div", { className: "row" }, [boards, button(qsTranslate("Page", "更新"), reload, { name: "reload" })]),
      state, table,
      element("div", { className: "row" }, [previous, next, playButton]),
    ]);
    return {
      panel,
      // Read once, when first shown; 更新 reads again.
      first() {
        if (started) return;
        started = true;
        if (!board.address()) {
          busy(false, pageWords.boardNoAddress());
          return;
        }
        reload();
      },
      // Answers still on their way are for a window that is gone.
      stop() { ++turn; },
    };
  }

  // ---- the about box ----

  function aboutWindow(request) {
    services.beep();
    const ok = () => answer({ action: "ok" });
    show(frame(qsTranslate("pelaryn::FrmVersion", "バージョン情報"),
               element("div", { className: "about" }, [
                 pictureCanvas("About"),
                 element("div", {}, [
                   element("p", { className: "name", textContent: qsTranslate("pelaryn::FrmVersion", "ヴェルガード") }),
                   element("p", { textContent: request.version }),
                   element("p", { textContent: qsTranslate("pelaryn::FrmVersion", "プログラム・絵・音楽　pelaryn 開発チーム") }),
                 ]),
               ]),
               [button("OK", ok, { className: "default" })], { cancel: ok }));
  }

  const kit = { element, button, frame, show, answer, confirmBox, services };
  const kinds = Object.assign({ message: messageWindow, input: inputWindow, ranking: rankingWindow,
                                about: aboutWindow },
                              pelarynSettingsWindows(kit), pelarynPlayerWindows(kit));

  return {
    isOpen: () => current !== null,
    open(request) {
      if (!current) current = { answers: [], waiter: null };
      current.answers.length = 0;
      const kind = kinds[request.kind];
      if (kind) {
        kind(request);
      } else {
        answer({ action: "cancel" });
      }
      return this.next();
    },
    next() {
      if (!current) return Promise.resolve(JSON.stringify({ action: "cancel" }));
      if (current.answers.length > 0) return Promise.resolve(JSON.stringify(current.answers.shift()));
      return new Promise((resolve) => { current.waiter = resolve; });
    },
    close() {
      current = null;
      veil.hidden = true;
      veil.replaceChildren();
      document.getElementById("field").focus();
    },
    // Test hook: the window up now.
    shown: () => veil.firstChild,
  };
}
