// The settings window of the page: built from the game's one settings table (each field's type,
// range, default and value), laid out as the desktop's window with its captions. Part of the
// page's windows (windows.js), drawn with their kit.
"use strict";

function pelarynSettingsWindows(kit) {
  const { element, button, frame, show, answer, confirmBox, services } = kit;

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

  return { settings: settingsWindow };
}
