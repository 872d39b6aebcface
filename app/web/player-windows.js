// The page's windows for the player's own business: the controls and sound, the game's files
// and the replays. Part of the page's windows (windows.js), drawn with their kit.
"use strict";

function pelarynPlayerWindows(kit) {
  const { element, button, frame, show, answer, confirmBox, services } = kit;

  // ---- controls and sound ----

  // What a key or button box shows when nothing is bound there, as on the desktop.
  const unbound = "―";

  // `editing`: what the window shows instead of the kept choices (after 初期値に戻す).
  function controlsWindow(request, editing) {
    const before = services.prefs();
    const edited = JSON.parse(JSON.stringify(editing || before));
    const keyBoxes = [];
    let listening = null;
    const hint = element("p", { className: "hint", textContent: qsTranslate("pelaryn::FrmControls", "枠をクリックしてキーかボタンを押します。Esc: そのまま　Backspace: 解除") });
    // Why a key was not taken; gone with the next key that is.
    const note = element("p", { className: "note" });
    function refreshKeys() {
      for (const box of keyBoxes) {
        box.textContent = listening === box ? qsTranslate("pelaryn::FrmControls", "キーを押してください")
                                            : pelarynPrefs.keyName(edited.keys[box.dataset.action][box.dataset.slot]) || unbound;
      }
    }
    const keyTable = element("div", { className: "grid keys" });
    for (const action of pelarynPrefs.actions) {
      const boxes = [0, 1].map((slot) => {
        const box = button("", () => { listening = box; refreshKeys(); });
        box.className = "key";
        box.dataset.action = action.name;
        box.dataset.slot = slot;
        box.addEventListener("keydown", (event) => {
          if (listening !== box) return;
          event.preventDefault();
          event.stopPropagation();
          if (event.code === "Escape") {
            // kept as it was
          } else if (event.code === "Backspace") {
            edited.keys[action.name][slot] = "";
            note.textContent = "";
          } else if (pelarynPrefs.reserved(event.code)) {
            note.textContent = withArgs(qsTranslate("pelaryn::FrmControls", "%1 はメニューのキーなので割り当てられません"),
                                        pelarynPrefs.keyName(event.code));
            return;
          } else {
            pelarynPrefs.bind(edited.keys, action.name, slot, event.code);
            note.textContent = "";
          }
          listening = null;
          refreshKeys();
        });
        box.addEventListener("blur", () => { if (listening === box) { listening = null; refreshKeys(); } });
        keyBoxes.push(box);
        return box;
      });
      keyTable.append(element("div", { className: "row" },
                              [element("span", { className: "caption", textContent: qsTranslate("pelaryn::FrmControls", action.caption) }), ...boxes]));
    }
    refreshKeys();

    // The pad: press a button while its box listens; the page looks at the pad meanwhile.
    const padBoxes = [];
    let padListening = null;
    let padHeld = 0;
    const padState = element("p", { className: "hint" });
    function refreshPad() {
      for (const box of padBoxes) {
        const bound = edited.pad[box.dataset.shot];
        box.textContent = padListening === box ? qsTranslate("pelaryn::FrmControls", "ボタンを押してください")
                                               : pelarynPrefs.padNames[bound] || unbound;
      }
      padState.textContent = services.readPad() ? "" : qsTranslate("pelaryn::FrmControls", "パッドが見つかりません");
    }
    const padWatch = setInterval(() => {
      const pad = services.readPad();
      const buttons = pad ? pad.buttons : 0;
      const pressed = buttons & ~padHeld;
      padHeld = buttons;
      if (padListening && pressed) {
        const index = Math.clz32(pressed & -pressed) ^ 31;
        const name = pelarynPrefs.padButtons[index] || "";
        if (name) {
          pelarynPrefs.bindPad(edited.pad, padListening.dataset.shot, name);
          padListening = null;
        }
      }
      refreshPad();
    }, 50);
    const padTable = element("div", { className: "grid keys" }, [["shot", "ショット"], ["spread", "拡散ショット"]].map(([shot, caption]) => {
      const box = button("", () => { padListening = box; refreshPad(); });
      box.className = "key";
      box.dataset.shot = shot;
      box.addEventListener("keydown", (event) => {
        if (padListening !== box) return;
        if (event.code !== "Escape" && event.code !== "Backspace") return;
        event.preventDefault();
        event.stopPropagation();
        if (event.code === "Backspace") edited.pad[shot] = "";
        padListening = null;
        refreshPad();
      });
      padBoxes.push(box);
      return element("div", { className: "row" }, [element("span", { className: "caption", textContent: qsTranslate("pelaryn::FrmControls", caption) }), box]);
    }));
    refreshPad();

    // The loudness in percent, written as the desktop writes it.
    const percent = (value) => value + " %";
    function volume(name, caption) {
      const bar = element("input", { type: "range", min: 0, max: 100, step: 1, value: edited[name] });
      const shown = element("output", { textContent: percent(edited[name]) });
      bar.addEventListener("input", () => {
        edited[name] = Number(bar.value);
        shown.textContent = percent(bar.value);
        services.applyPrefs(edited, true);
      });
      bar.addEventListener("change", () => { if (name === "effectVolume") services.sampleEffect(); });
      return element("div", { className: "row" }, [element("span", { className: "caption", textContent: caption }), bar, shown]);
    }
    function toggle(name, caption) {
      const box = element("input", { type: "checkbox", checked: edited[name] });
      box.addEventListener("change", () => { edited[name] = box.checked; services.applyPrefs(edited, true); });
      return element("label", { className: "check" }, [box, caption]);
    }
    const language = element("select", {}, [
      element("option", { value: "system", textContent: qsTranslate("pelaryn::FrmControls", "システムに従う") }),
      element("option", { value: "ja", textContent: "日本語" }),
      element("option", { value: "en", textContent: "English" }),
    ]);
    language.value = edited.language;
    language.addEventListener("change", () => { edited.language = language.value; });

    // The score board: where to, under which name, and whether at all; with what leaves the page.
    function textField(name, properties) {
      const field = element("input", Object.assign({ value: edited[name], spellcheck: false }, properties));
      field.addEventListener("input", () => { edited[name] = field.value; });
      return field;
    }
    const online = element("fieldset", { className: "online" }, [
      element("legend", { textContent: qsTranslate("Page", "オンライン") }),
      element("div", { className: "grid" }, [
        element("label", { className: "row" }, [element("span", { className: "caption", textContent: qsTranslate("Page", "スコアボードのアドレス") }),
                                                textField("boardAddress", { type: "url", name: "boardAddress", maxLength: 2000, placeholder: "http://127.0.0.1:8080" })]),
        element("label", { className: "row" }, [element("span", { className: "caption", textContent: qsTranslate("Page", "オンラインで使う名前") }),
                                                textField("onlineName", { name: "onlineName", maxLength: 16 })]),
        toggle("submitRuns", qsTranslate("Page", "ゲームオーバーのたびに送信する")),
      ]),
      element("p", { className: "hint", textContent: qsTranslate("Page", "送信するのはそのゲームのリプレイです。リプレイには、操作の入力、ゲームの設定 (背景や音楽のファイルの場所も)、ローカルのランキングの名前とスコアが含まれ、スコアボードでは誰でもダウンロードできます。アドレスが空のあいだは、どこにも接続しません。") }),
    ]);

    const close = (value) => {
      clearInterval(padWatch);
      services.applyPrefs(value, false);
      // The game asks the page for what it needs of them (Module.page.looks).
      answer({ action: "ok" });
    };
    // Laid out as the desktop's: the keys beside the pad, sound and window; under them the hint,
    // the note and the buttons, 初期値に戻す apart on the left.
    show(frame(qsTranslate("pelaryn::FrmControls", "操作とサウンド"), element("div", { className: "controls" }, [
      element("div", { className: "columns" }, [
        element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "キー") }), keyTable]),
        element("div", { className: "stack" }, [
          element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "パッド") }), padTable, padState]),
          element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "サウンド") }),
            element("div", { className: "grid" }, [volume("musicVolume", qsTranslate("pelaryn::FrmControls", "ミュージック")),
                                                    volume("effectVolume", qsTranslate("pelaryn::FrmControls", "効果音")),
                                                    toggle("muted", qsTranslate("pelaryn::FrmControls", "ミュート (M)"))])]),
          element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "ウィンドウ") }),
            element("div", { className: "grid" }, [toggle("pauseOnBlur", qsTranslate("pelaryn::FrmControls", "フォーカスを失ったら一時停止")),
                                                    toggle("gentleFlash", qsTranslate("pelaryn::FrmControls", "画面のフラッシュを弱める")),
                                                    element("div", { className: "row" }, [element("span", { className: "caption", textContent: qsTranslate("pelaryn::FrmControls", "言語") }), language])])]),
        ]),
      ]),
      online,
      hint, note,
    ]), [
      button(qsTranslate("pelaryn::FrmControls", "初期値に戻す"), () => {
        const fresh = pelarynPrefs.defaults();
        fresh.language = edited.language;
        // The board is the player's choice of where to take part, not a control.
        for (const name of ["boardAddress", "onlineName", "submitRuns"]) fresh[name] = edited[name];
        services.applyPrefs(fresh, true);
        clearInterval(padWatch);
        controlsWindow(request, fresh);
      }, { className: "apart" }),
      button("OK", () => close(edited), { className: "default" }),
      button(qsTranslate("pelaryn::FrmControls", "キャンセル"), () => close(before)),
    ], { cancel: () => close(before) }));
  }

  // ---- the game's files ----

  function filesWindow() {
    const note = element("p", { className: "text", textContent: qsTranslate("Page", "設定 (pelaryn.cfg) とランキング (pelaryn.sco) を、デスクトップのゲームと同じファイルとして書き出したり、読み込んだりします。読み込むと、ページを読み込み直してその内容で始めます。") });
    const picker = element("input", { type: "file", multiple: true, hidden: true, accept: ".cfg,.sco" });
    picker.addEventListener("change", () => {
      const chosen = Array.from(picker.files);
      picker.value = "";
      services.importFiles(chosen).then((result) => {
        note.textContent = result.error ? withArgs(qsTranslate("Page", "読み込めませんでした: %1"), result.error)
                                        : qsTranslate("Page", "読み込みました。ページを読み込み直します…");
        if (!result.error) setTimeout(() => location.reload(), 600);
      });
    });
    const close = () => answer({ action: "ok" });
    show(frame(qsTranslate("Page", "ファイルの書き出し／読み込み"), element("div", {}, [note, picker]), [
      button(qsTranslate("Page", "書き出す"), () => services.exportFiles(), { className: "default" }),
      button(qsTranslate("Page", "読み込む…"), () => picker.click()),
      button(qsTranslate("pelaryn::FrmReplay", "閉じる"), close),
    ], { cancel: close }));
  }

  // ---- the replays ----

  // The kept replays, ranked ones first; one is played, downloaded as its file or deleted, or a
  // replay file from the player's disk is opened (the game checks it before it plays).
  function replaysWindow(request) {
    const table = element("table", { className: "replays" });
    const head = table.createTHead().insertRow();
    for (const caption of [qsTranslate("pelaryn::FrmReplay", "順位"), qsTranslate("pelaryn::FrmReplay", "名前"),
                           qsTranslate("pelaryn::FrmReplay", "スコア"), qsTranslate("pelaryn::FrmReplay", "コンボ"),
                           qsTranslate("pelaryn::FrmReplay", "撃墜率"), qsTranslate("pelaryn::FrmReplay", "長さ"),
                           qsTranslate("pelaryn::FrmReplay", "日時")]) {
      head.append(element("th", { textContent: caption }));
    }
    const body = table.createTBody();
    let chosen = request.replays.length > 0 ? 0 : -1;
    const rows = request.replays.map((replay, i) => {
      const line = body.insertRow();
      const played = new Date(replay.playedAt * 1000);
      const two = (n) => String(n).padStart(2, "0");
      for (const text of [replay.place >= 0 ? withArgs(qsTranslate("pelaryn::FrmReplay", "%1位"), replay.place + 1)
                                            : qsTranslate("pelaryn::FrmReplay", "最近"),
                          replay.name, replay.score, replay.combo,
                          replay.ratio === null ? "—" : replay.ratio + "%", replay.length,
                          played.getFullYear() + "-" + two(played.getMonth() + 1) + "-" + two(played.getDate()) +
                          " " + two(played.getHours()) + ":" + two(played.getMinutes())]) {
        line.append(element("td", { textContent: String(text) }));
      }
      line.tabIndex = 0;
      line.addEventListener("click", () => select(i));
      line.addEventListener("dblclick", () => play());
      return line;
    });
    // A game over can be sent to the score board by hand, whatever the player chose for sending
    // after each game; the answer shows in the title as after a game over.
    const board = services.board();
    const sendable = () => chosen >= 0 && request.replays[chosen].gameOver && board.address() !== "";
    const send = () => {
      if (sendable()) board.submit(services.readStored("pelaryn/replays/" + key()));
    };
    const sendButton = button(qsTranslate("pelaryn::FrmReplay", "送信"), send, { name: "send" });
    function select(i) {
      chosen = i;
      rows.forEach((row, j) => row.classList.toggle("chosen", j === i));
      sendButton.disabled = !sendable();
    }
    const key = () => (chosen >= 0 ? request.replays[chosen].key : "");
    select(chosen);
    const play = () => { if (chosen >= 0) { opened = key(); answer({ action: "play", key: key() }); } };
    const remove = () => {
      if (chosen < 0) return;
      confirmBox(qsTranslate("pelaryn::FrmReplay", "リプレイ"), qsTranslate("pelaryn::FrmReplay", "このリプレイを削除しますか？")).then((ok) => {
        if (ok) answer({ action: "delete", key: key() });
      });
    };
    const picker = element("input", { type: "file", hidden: true, accept: ".pelrpy" });
    picker.addEventListener("change", () => {
      const file = picker.files[0];
      picker.value = "";
      if (!file) return;
      file.arrayBuffer().then((bytes) => {
        opened = file.name;
        if (services.store("pelaryn/opened-replay", new Uint8Array(bytes))) answer({ action: "open" });
      });
    });
    const close = () => answer({ action: "close" });
    const parts = [table, picker];
    if (request.problem) {
      parts.unshift(element("p", { className: "text problem",
        textContent: withArgs(qsTranslate("pelaryn::FrmReplay", "%1 は再生できません。\n%2"), opened,
                              qsTranslate("ReplayFault", request.problem)) }));
    }
    show(frame(qsTranslate("pelaryn::FrmReplay", "リプレイ"), element("div", { className: "list" }, parts), [
      button(qsTranslate("pelaryn::FrmReplay", "再生"), play, { className: "default", disabled: chosen < 0 }),
      button(qsTranslate("Page", "ダウンロード"), () => {
        if (chosen >= 0) services.download(key(), services.readStored("pelaryn/replays/" + key()));
      }, { disabled: chosen < 0 }),
      button(qsTranslate("pelaryn::FrmReplay", "削除"), remove, { disabled: chosen < 0 }),
      sendButton,
      button(qsTranslate("pelaryn::FrmReplay", "ファイルを開く…"), () => picker.click()),
      button(qsTranslate("pelaryn::FrmReplay", "閉じる"), close),
    ], { cancel: close }));
  }
  // The name of the replay last opened or chosen, for the window to say which one cannot be played.
  let opened = "";

  function endGameForReplay() {
    const cancel = () => answer({ action: "cancel" });
    show(frame(qsTranslate("DesktopMain", "リプレイ"),
               element("p", { className: "text", textContent: qsTranslate("DesktopMain", "ゲームを終了してリプレイを再生しますか？") }),
               [button("OK", () => answer({ action: "ok" }), { className: "default" }),
                button(qsTranslate("DesktopDialogs", "キャンセル"), cancel)], { cancel }));
  }

  return { controls: controlsWindow, files: filesWindow, replays: replaysWindow, endGameForReplay };
}
