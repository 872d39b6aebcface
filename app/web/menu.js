// The page's menu bar, built from the game's menu table: the same items, function keys, check
// marks and enabled states as the desktop's, and the page's own items beside them. A click on a
// game's item goes to the game as a command, which runs at its next yield if the item is enabled.
"use strict";

// host: held() (a window holds the game), clicked() (a click counts as the player's first
// gesture), command(code) (into the game's queue), muted() and toggleMute().
function pelarynMenuBar(host) {
  const menuBar = document.getElementById("menubar");
  const menu = { items: [], enabled: 0, checked: 0, watching: false, open: null };
  // Items of the page's own beside the game's: where they go, and what a click does.
  const extras = [
    { before: "mnuExit", parent: "mnuGame", caption: pageWords.replays, key: "F7", code: "Window:replays", id: "replays" },
    { parent: "mnuConfig", caption: pageWords.controls, code: "Window:controls", id: "controls" },
    { parent: "mnuConfig", caption: pageWords.mute, key: "M", id: "mute", checked: host.muted, act: host.toggleMute },
    { parent: "mnuConfig", caption: pageWords.files, code: "Window:files", id: "files" },
  ];
  // "終了(&X)": the mnemonic's letter stays in its brackets, without the marker.
  function caption(text) {
    return text.replace(/&(.)/, "$1");
  }
  function closeMenu() {
    if (!menu.open) return;
    menu.open.classList.remove("open");
    menu.open = null;
  }
  function renderMenu() {
    if (menu.items.length === 0) return;
    closeMenu();
    menuBar.replaceChildren();
    for (const top of menu.items.filter((item) => item.parent === item.name)) {
      const holder = document.createElement("div");
      holder.className = "menu";
      const title = document.createElement("button");
      title.type = "button";
      title.textContent = caption(qsTranslate("Menu", top.caption));
      title.addEventListener("click", () => {
        if (host.held()) return;
        const wasOpen = menu.open === holder;
        closeMenu();
        if (!wasOpen) {
          holder.classList.add("open");
          menu.open = holder;
        }
      });
      title.addEventListener("pointerenter", () => {
        if (menu.open && menu.open !== holder) {
          closeMenu();
          holder.classList.add("open");
          menu.open = holder;
        }
      });
      const list = document.createElement("ul");
      list.setAttribute("role", "menu");
      const entries = [];
      for (const item of menu.items.filter((item) => item.parent === top.name && item !== top)) {
        for (const extra of extras.filter((extra) => extra.parent === top.name && extra.before === item.name)) {
          entries.push(extra);
        }
        entries.push(item);
      }
      entries.push(...extras.filter((extra) => extra.parent === top.name && !extra.before));
      for (const entry of entries) {
        const line = document.createElement("li");
        const itemButton = document.createElement("button");
        itemButton.type = "button";
        itemButton.setAttribute("role", entry.checkable || entry.checked ? "menuitemcheckbox" : "menuitem");
        itemButton.dataset.item = entry.name || entry.id;
        const mark = document.createElement("span");
        mark.className = "mark";
        const words = document.createElement("span");
        words.textContent = caption(entry.name ? qsTranslate("Menu", entry.caption) : entry.caption());
        const shortcut = document.createElement("span");
        shortcut.className = "shortcut";
        shortcut.textContent = entry.name ? (entry.key > 0 ? "F" + entry.key : "") : entry.key || "";
        itemButton.append(mark, words, shortcut);
        itemButton.addEventListener("click", () => {
          closeMenu();
          // A window holds the game, and its menu with it, until it is closed.
          if (itemButton.disabled || host.held()) return;
          host.clicked();
          if (entry.act) entry.act();
          else host.command(entry.name ? "Menu:" + entry.name : entry.code);
        });
        line.append(itemButton);
        list.append(line);
      }
      holder.append(title, list);
      menuBar.append(holder);
    }
    syncMenu();
  }
  // The game's check marks and enabled states on its items; the page's own follow the page.
  function syncMenu() {
    menu.items.forEach((item, index) => {
      const itemButton = menuBar.querySelector(`[data-item="${item.name}"]`);
      if (!itemButton) return;
      itemButton.disabled = (menu.enabled & (1 << index)) === 0;
      const on = (menu.checked & (1 << index)) !== 0;
      itemButton.querySelector(".mark").textContent = on ? "✓" : "";
      if (item.checkable) itemButton.setAttribute("aria-checked", String(on));
    });
    for (const extra of extras) {
      const itemButton = menuBar.querySelector(`[data-item="${extra.id}"]`);
      if (!itemButton) continue;
      if (extra.checked) itemButton.querySelector(".mark").textContent = extra.checked() ? "✓" : "";
      itemButton.disabled = extra.id === "replays" && menu.watching;
    }
  }
  document.addEventListener("pointerdown", (event) => {
    if (menu.open && !menu.open.contains(event.target)) closeMenu();
  });

  return {
    // The game's items, once.
    build(items) {
      menu.items = items;
      renderMenu();
    },
    // The game's enabled states and check marks by item.
    sync(enabled, checked) {
      menu.enabled = enabled;
      menu.checked = checked;
      syncMenu();
    },
    // Whether a replay plays: the page's replay item is for the player, not the watcher.
    watch(watching) {
      menu.watching = watching;
      syncMenu();
    },
    render: renderMenu,
    close: closeMenu,
  };
}
