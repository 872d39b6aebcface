// The game's windows in HTML: each is put up over the field and holds the game (which waits for
// its answer) until the player closes it, as the desktop's modal windows do. The game describes
// a window in JSON; what the player does comes back as answers ({action: …}).
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

  const messageTitles = {
    GameOver: () => "pelaryn",
    SaveFailed: () => "pelaryn",
    RankingEntry: () => qsTranslate("Messages", "NAME ENTRY"),
    ReplayDiffers: () => qsTranslate("Messages", "ヴェルガード"),
  };
  // In Japanese the game's own words; otherwise the translation of the same text.
  function messageWords(message) {
    if (pelarynTexts.language() === "ja") return message.words;
    const sources = {
      GameOver: () => qsTranslate("Messages", "おしまい\r\n撃墜率 : %1%"),
      RankingEntry: () => qsTranslate("Messages", "%1位にランクインです！\r\n名前を入力してください\r\n（半角なら６文字程度、全角なら４文字以内にしてください）"),
      SaveFailed: () => qsTranslate("Messages", "保存できませんでした: %1"),
      ReplayDiffers: () => qsTranslate("Messages", "このリプレイは %1 フレーム目で記録と食い違いました（記録したバージョン %2）"),
    };
    const number = message.number;
    const source = sources[message.id];
    if (!source) return message.words;
    return message.id === "SaveFailed" ? withArgs(source(), message.text)
                                       : withArgs(source(), number, message.text);
  }

  function messageWindow(request) {
    const ok = () => answer({ action: "ok" });
    show(frame(messageTitles[request.message.id]?.() || "pelaryn",
               element("p", { className: "text", textContent: messageWords(request.message) }),
               [button("OK", ok, { className: "default" })], { cancel: ok, warning: request.warning }));
  }

  function inputWindow(request) {
    const field = element("input", { type: "text", autocomplete: "off", spellcheck: false });
    const ok = () => answer({ action: "ok", text: field.value });
    const cancel = () => answer({ action: "cancel" });
    show(frame(messageTitles[request.message.id]?.() || "pelaryn",
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
    const logo = pictureCanvas("RankLogo");
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
      answer({ action: "ok" });
    };
    const reset = () => {
      confirmBox(qsTranslate("pelaryn::FrmRanking", "ランキング初期化"),
                 qsTranslate("pelaryn::FrmRanking", "ランキングを初期化します。\nよろしいですか？")).then((ok) => {
        if (!ok) return;
        clearInterval(blink);
        answer({ action: "reset" });
      });
    };
    show(frame(qsTranslate("pelaryn::FrmRanking", "ヴェルガード"),
               element("div", { className: "panel" }, [logo, table]),
               [button("OK", close, { className: "default" }),
                button(qsTranslate("pelaryn::FrmRanking", "初期化"), reset)],
               { cancel: close }));
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

  // ---- the settings ----

  // Where the window puts each setting of the game's table, with the desktop window's captions.
  // The fields themselves (type, range, default, value) come from the table; a setting placed
  // nowhere here still gets a field of its type under その他.
  const settingsLayout = () => [
    { caption: qsTranslate("FrmConfig", "背景の設定"), rows: [
      { file: "BackSetting.BackImagePath", caption: qsTranslate("FrmConfig", "背景画像"), kind: "picture" },
      { checks: [["BackSetting.Kansei", qsTranslate("FrmConfig", "慣性")], ["BackSetting.Guriguri", qsTranslate("FrmConfig", "ぐりぐり")]], caption: qsTranslate("FrmConfig", "スクロール速度") },
      { slider: "BackSetting.ScrollYoko", caption: qsTranslate("FrmConfig", "横") },
      { slider: "BackSetting.ScrollTate", caption: qsTranslate("FrmConfig", "縦") },
      { buttons: ["none", "background"] },
    ] },
    { caption: qsTranslate("FrmConfig", "BGMの設定"), rows: [
      { file: "TitleBgm.Path", check: "TitleBgm.Enabled", caption: qsTranslate("FrmConfig", "タイトル"), kind: "music" },
      { file: "Bgm(0).Path", check: "Bgm(0).Enabled", caption: qsTranslate("FrmConfig", "BGM1"), kind: "music" },
      { file: "Bgm(1).Path", check: "Bgm(1).Enabled", caption: qsTranslate("FrmConfig", "BGM2"), kind: "music" },
      { file: "BossBgm(0).Path", check: "BossBgm(0).Enabled", caption: qsTranslate("FrmConfig", "ボス(太陽)"), kind: "music" },
      { file: "BossBgm(1).Path", check: "BossBgm(1).Enabled", caption: qsTranslate("FrmConfig", "ボス(月)"), kind: "music" },
      { buttons: ["music"] },
    ] },
    { caption: qsTranslate("FrmConfig", "難易度設定"), rows: [
      { slider: "InitialDifficulty", caption: qsTranslate("FrmConfig", "初期難易度") },
      { slider: "DifficultySkip", caption: qsTranslate("FrmConfig", "難易度スキップ") },
      { buttons: ["difficulty"] },
    ] },
    { caption: qsTranslate("FrmConfig", "その他"), rows: [
      { checks: [["TitleAnimation", qsTranslate("FrmConfig", "タイトルアニメ")]] },
      { checks: [["UseJoystick", qsTranslate("FrmConfig", "ジョイスティックを使う")]] },
      { slider: "JoySensitivity", caption: qsTranslate("FrmConfig", "感度"), ends: [qsTranslate("FrmConfig", "高"), qsTranslate("FrmConfig", "低")] },
    ] },
  ];

  // Set by the menu's check marks (効果音, オートショット), not in this window.
  const menuSettings = ["SoundEffectsOn", "AutoShot"];

  function settingsWindow(request) {
    const table = new Map(request.settings.map((setting) => [setting.name, setting]));
    const values = new Map(request.settings.map((setting) => [setting.name, setting.value]));
    const controls = new Map();  // name → { set(value), enable(on) }
    let apply;  // the 更新 button
    const edited = () => { apply.disabled = false; };
    const set = (name, value) => {
      values.set(name, value);
      controls.get(name)?.set(value);
    };
    const placed = new Set();

    function check(name, caption) {
      placed.add(name);
      const box = element("input", { type: "checkbox", checked: values.get(name) });
      box.dataset.setting = name;
      box.addEventListener("change", () => {
        values.set(name, box.checked);
        rules(name);
        edited();
      });
      controls.set(name, { set: (value) => { box.checked = value; }, enable: (on) => { box.disabled = !on; } });
      return element("label", { className: "check" }, [box, caption]);
    }

    // A number outside the slider's range (from a hand-edited file) stays, and shows, until the
    // player moves the slider.
    function slider(name) {
      placed.add(name);
      const setting = table.get(name);
      const bar = element("input", { type: "range", min: setting.min, max: setting.max, step: 1,
                                     value: values.get(name) });
      bar.dataset.setting = name;
      const shown = element("output", { textContent: String(values.get(name)) });
      bar.addEventListener("input", () => {
        values.set(name, Number(bar.value));
        shown.textContent = bar.value;
        edited();
      });
      controls.set(name, {
        set: (value) => { bar.value = value; shown.textContent = String(value); },
        enable: (on) => { bar.disabled = !on; },
      });
      return [bar, shown];
    }

    // A file the player picks is kept in the page's storage and named by its place there; the
    // game checks it, as any file it is given, before it uses it.
    function fileField(name, kind) {
      placed.add(name);
      const text = element("input", { type: "text", value: values.get(name), spellcheck: false });
      text.dataset.setting = name;
      text.addEventListener("input", () => { values.set(name, text.value); edited(); });
      const picker = element("input", { type: "file", hidden: true,
                                        accept: kind === "picture" ? ".bmp,.jpg,.jpeg,.gif,.png" : ".mid,.midi" });
      picker.addEventListener("change", () => {
        const file = picker.files[0];
        picker.value = "";
        if (!file) return;
        services.keepPlayerFile(file).then((place) => {
          if (!place) {
            confirmBox(qsTranslate("FrmConfig", "設定"), qsTranslate("Page", "このファイルはブラウザーに保存できません（大きすぎるか、保存がいっぱいです）。"));
            return;
          }
          set(name, place);
          edited();
        });
      });
      const browse = button("..", () => picker.click(), { className: "browse",
        title: kind === "picture" ? qsTranslate("FrmConfig", "背景のオープン") : qsTranslate("FrmConfig", "BGMのオープン") });
      controls.set(name, { set: (value) => { text.value = value; },
                           enable: (on) => { text.disabled = !on; } });
      return [text, picker, browse];
    }

    // The scroll options drive the speeds themselves: they exclude each other and lock the
    // sliders; a piece turned off greys its file; the sensitivity needs the joystick.
    function rules(changed) {
      if (changed === "BackSetting.Kansei" && values.get(changed)) set("BackSetting.Guriguri", false);
      if (changed === "BackSetting.Guriguri" && values.get(changed)) set("BackSetting.Kansei", false);
      const locked = values.get("BackSetting.Kansei") || values.get("BackSetting.Guriguri");
      controls.get("BackSetting.ScrollYoko")?.enable(!locked);
      controls.get("BackSetting.ScrollTate")?.enable(!locked);
      for (const setting of request.settings) {
        if (setting.name.endsWith(".Enabled")) {
          controls.get(setting.name.replace(/\.Enabled$/, ".Path"))?.enable(values.get(setting.name));
        }
      }
      controls.get("JoySensitivity")?.enable(values.get("UseJoystick"));
    }

    const resets = {
      none: [qsTranslate("FrmConfig", "背景なし"), () => { set("BackSetting.BackImagePath", ""); set("BackSetting.Guriguri", false); }],
      background: [qsTranslate("FrmConfig", "リセット"), () => {
        for (const name of ["BackSetting.ScrollYoko", "BackSetting.ScrollTate", "BackSetting.BackImagePath"]) {
          set(name, table.get(name).default);
        }
        set("BackSetting.Guriguri", false);
        set("BackSetting.Kansei", false);
      }],
      music: [qsTranslate("FrmConfig", "リセット"), () => {
        for (const setting of request.settings) {
          if (/Bgm/.test(setting.name)) set(setting.name, setting.name.endsWith(".Enabled") ? true : setting.default);
        }
      }],
      difficulty: [qsTranslate("FrmConfig", "リセット"), () => {
        set("InitialDifficulty", table.get("InitialDifficulty").default);
        set("DifficultySkip", table.get("DifficultySkip").default);
      }],
    };

    function group(caption, rows) {
      const grid = element("div", { className: "grid" });
      for (const row of rows) {
        if (row.file && !table.has(row.file)) continue;
        if (row.slider && !table.has(row.slider)) continue;
        const cells = [];
        if (row.file) {
          cells.push(...fileField(row.file, row.kind));
          if (row.check && table.has(row.check)) cells.splice(1, 0, check(row.check, ""));
        } else if (row.slider) {
          const [bar, shown] = slider(row.slider);
          cells.push(row.ends ? element("span", { className: "ends" }, [row.ends[0], bar, row.ends[1]]) : bar);
          if (!row.ends) cells.push(shown);
        } else if (row.checks) {
          cells.push(element("span", {}, row.checks.filter(([name]) => table.has(name))
                                                   .map(([name, text]) => check(name, text))));
        } else if (row.buttons) {
          cells.push(element("span", { className: "resets" }, row.buttons.map((which) => {
            const [text, reset] = resets[which];
            return button(text, () => { reset(); rules(); edited(); });
          })));
        }
        grid.append(element("div", { className: "row" },
                            [element("span", { className: "caption", textContent: row.caption || "" }),
                             ...cells]));
      }
      return element("fieldset", {}, [element("legend", { textContent: caption }), grid]);
    }

    const groups = settingsLayout().map((part) => group(part.caption, part.rows));
    // Whatever the table holds beyond the layout and the menu, by its own name and type.
    const rest = request.settings.filter((setting) => !placed.has(setting.name) &&
                                                     !menuSettings.includes(setting.name)).map((setting) =>
      setting.type === "bool" ? { checks: [[setting.name, setting.name]] }
        : setting.type === "int" ? { slider: setting.name, caption: setting.name }
        : { file: setting.name, caption: setting.name });
    if (rest.length > 0) groups[groups.length - 1].querySelector(".grid").append(...group("", rest).querySelector(".grid").children);

    const answerValues = () => Object.fromEntries(values);
    apply = button(qsTranslate("FrmConfig", "更新"), () => { apply.disabled = true; answer({ action: "apply", values: answerValues() }); });
    apply.disabled = true;
    const cancel = () => answer({ action: "cancel" });
    show(frame(qsTranslate("FrmConfig", "設定"), element("div", { className: "settings" }, groups),
               [button("OK", () => answer({ action: "ok", values: answerValues() }), { className: "default" }),
                apply, button(qsTranslate("FrmConfig", "取り消し"), cancel)],
               { cancel }));
    rules();
  }

  // ---- controls and sound ----

  // `editing`: what the window shows instead of the kept choices (after 初期値に戻す).
  function controlsWindow(request, editing) {
    const before = services.prefs();
    const edited = JSON.parse(JSON.stringify(editing || before));
    const keyBoxes = [];
    let listening = null;
    const hint = element("p", { className: "hint", textContent: qsTranslate("pelaryn::FrmControls", "枠をクリックしてキーかボタンを押します。Esc: そのまま　Backspace: 解除") });
    function refreshKeys() {
      for (const box of keyBoxes) {
        box.textContent = listening === box ? qsTranslate("pelaryn::FrmControls", "キーを押してください")
                                            : pelarynPrefs.keyName(edited.keys[box.dataset.action][box.dataset.slot]);
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
          } else if (pelarynPrefs.reserved(event.code)) {
            hint.textContent = withArgs(qsTranslate("pelaryn::FrmControls", "%1 はメニューのキーなので割り当てられません"), event.code);
            return;
          } else {
            pelarynPrefs.bind(edited.keys, action.name, slot, event.code);
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

    function volume(name, caption) {
      const bar = element("input", { type: "range", min: 0, max: 100, step: 1, value: edited[name] });
      const shown = element("output", { textContent: String(edited[name]) });
      bar.addEventListener("input", () => {
        edited[name] = Number(bar.value);
        shown.textContent = bar.value;
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

    const close = (value) => {
      services.applyPrefs(value, false);
      answer({ action: "ok", gentleFlash: value.gentleFlash, english: pelarynTexts.language() === "en" });
    };
    show(frame(qsTranslate("pelaryn::FrmControls", "操作とサウンド"), element("div", { className: "settings" }, [
      element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "キー") }), keyTable, hint]),
      element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "サウンド") }),
        element("div", { className: "grid" }, [volume("musicVolume", qsTranslate("pelaryn::FrmControls", "ミュージック")),
                                                volume("effectVolume", qsTranslate("pelaryn::FrmControls", "効果音")),
                                                toggle("muted", qsTranslate("pelaryn::FrmControls", "ミュート (M)"))])]),
      element("fieldset", {}, [element("legend", { textContent: qsTranslate("pelaryn::FrmControls", "ウィンドウ") }),
        element("div", { className: "grid" }, [toggle("pauseOnBlur", qsTranslate("pelaryn::FrmControls", "フォーカスを失ったら一時停止")),
                                                toggle("gentleFlash", qsTranslate("pelaryn::FrmControls", "画面のフラッシュを弱める")),
                                                element("div", { className: "row" }, [element("span", { className: "caption", textContent: qsTranslate("pelaryn::FrmControls", "言語") }), language])])]),
    ]), [
      button("OK", () => close(edited), { className: "default" }),
      button(qsTranslate("pelaryn::FrmControls", "初期値に戻す"), () => {
        const fresh = pelarynPrefs.defaults();
        fresh.language = edited.language;
        services.applyPrefs(fresh, true);
        controlsWindow(request, fresh);
      }),
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
    function select(i) {
      chosen = i;
      rows.forEach((row, j) => row.classList.toggle("chosen", j === i));
    }
    select(chosen);
    const key = () => (chosen >= 0 ? request.replays[chosen].key : "");
    const play = () => { if (chosen >= 0) answer({ action: "play", key: key() }); };
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
      button(qsTranslate("pelaryn::FrmReplay", "ファイルを開く…"), () => picker.click()),
      button(qsTranslate("pelaryn::FrmReplay", "閉じる"), close),
    ], { cancel: close }));
  }
  // The name of the file last opened, for the window to say which one cannot be played.
  let opened = "";

  function endGameForReplay() {
    const cancel = () => answer({ action: "cancel" });
    show(frame(qsTranslate("DesktopMain", "リプレイ"),
               element("p", { className: "text", textContent: qsTranslate("DesktopMain", "ゲームを終了してリプレイを再生しますか？") }),
               [button("OK", () => answer({ action: "ok" }), { className: "default" }),
                button(qsTranslate("DesktopDialogs", "キャンセル"), cancel)], { cancel }));
  }

  const kinds = { replays: replaysWindow, endGameForReplay, message: messageWindow, input: inputWindow, ranking: rankingWindow,
                  settings: settingsWindow, about: aboutWindow, controls: controlsWindow,
                  files: filesWindow };

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
