// Playing with a finger: a drag on the field steers the ship, buttons start, pause, fire the
// spread shot and open the menu. Everything here becomes the keys the keyboard would press, so
// the game, and its recording, see nothing new. The game tells where the ship is after every
// frame (Module.page.showShip); the keys for the next frame are chosen from that.
"use strict";

// Which way to press along one axis to bring the ship from `at` towards `target`, moving `step`
// a frame: -1, 0 or 1. Held only while a step brings it closer, so it stops at the nearest place
// a whole number of steps can reach instead of trembling around the target.
function pelarynTouchSteer(at, target, step) {
  if (!(step > 0)) return 0;
  const off = target - at;
  if (2 * Math.abs(off) <= step) return 0;
  return off < 0 ? -1 : 1;
}

// Where the finger asks the ship to be along one axis: where the ship stood when the touch
// began, moved as far as the finger has moved since (`scale` CSS pixels to a field pixel), kept
// between 0 and `high`.
function pelarynTouchTarget(shipFrom, fingerFrom, finger, scale, high) {
  return Math.min(Math.max(shipFrom + (finger - fingerFrom) / scale, 0), Math.max(high, 0));
}

// host: push(code, down) into the game's key queue, held() (a window holds the game).
function pelarynTouch(host) {
  const root = document.documentElement;
  const stage = document.getElementById("stage");
  const canvas = document.getElementById("field");
  const panel = document.getElementById("touch");
  const menuButton = document.getElementById("menu-button");
  const menuBar = document.getElementById("menubar");

  const fingers = new Map();  // pointer id → where it is, in CSS pixels
  let steering = null;        // the pointer id of the finger that steers: the first one down
  // That finger's start, the ship's place then and the CSS pixels a field pixel takes on the
  // screen; taken at the first frame it is down.
  const anchor = { taken: false, fingerX: 0, fingerY: 0, shipX: 0, shipY: 0, scale: 1 };
  // The last place the game reported; kept in one object, as it comes every frame.
  const ship = { present: false, x: 0, y: 0, width: 0, height: 0, stepX: 0, stepY: 0 };
  let spreadButton = false;
  // The keys as the game has them from us, so that only a change is pushed.
  const pressed = { ArrowLeft: false, ArrowRight: false, ArrowUp: false, ArrowDown: false,
                    KeyZ: false, KeyX: false };

  // Touch controls only where there is touch: a coarse pointer, or the first touch on a
  // computer whose mouse is its main pointer.
  function useTouch() {
    if (root.classList.contains("touch")) return;
    root.classList.add("touch");
    // The buttons take room from the field: it is fitted again.
    window.dispatchEvent(new Event("resize"));
  }
  if (window.matchMedia("(pointer: coarse)").matches) useTouch();

  function set(code, down) {
    if (pressed[code] === down) return;
    pressed[code] = down;
    host.push(code, down);
  }

  // The keys this moment asks for: fire while a finger is on the field, spread with a second
  // finger or the button, and the arrows towards the finger's target.
  function update() {
    const playing = ship.present && !host.held();
    const steers = playing && steering !== null;
    let dx = 0;
    let dy = 0;
    if (steers) {
      const finger = fingers.get(steering);
      if (!anchor.taken) {
        Object.assign(anchor, { taken: true, fingerX: finger.x, fingerY: finger.y,
                                shipX: ship.x, shipY: ship.y,
                                scale: canvas.getBoundingClientRect().width / canvas.width || 1 });
      }
      const x = pelarynTouchTarget(anchor.shipX, anchor.fingerX, finger.x, anchor.scale,
                                   canvas.width - ship.width);
      const y = pelarynTouchTarget(anchor.shipY, anchor.fingerY, finger.y, anchor.scale,
                                   canvas.height - ship.height);
      dx = pelarynTouchSteer(ship.x, x, ship.stepX);
      dy = pelarynTouchSteer(ship.y, y, ship.stepY);
    } else {
      anchor.taken = false;
    }
    set("ArrowLeft", dx < 0);
    set("ArrowRight", dx > 0);
    set("ArrowUp", dy < 0);
    set("ArrowDown", dy > 0);
    // The straight shot takes the free slot first when both are held, so the spread shot would
    // never leave while the finger fires: it holds the fire instead.
    const spreads = playing && (fingers.size > 1 || spreadButton);
    set("KeyZ", steers && !spreads);
    set("KeyX", spreads);
  }

  function onField(event) {
    return event.pointerType === "touch" && !event.target.closest("#veil");
  }
  stage.addEventListener("pointerdown", (event) => {
    if (event.pointerType === "touch") useTouch();
    if (!onField(event)) return;
    event.preventDefault();
    fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
    if (steering === null) steering = event.pointerId;
    update();
  });
  stage.addEventListener("pointermove", (event) => {
    const finger = fingers.get(event.pointerId);
    if (!finger) return;
    finger.x = event.clientX;
    finger.y = event.clientY;
  });
  for (const type of ["pointerup", "pointercancel"]) {
    stage.addEventListener(type, (event) => {
      if (!fingers.delete(event.pointerId)) return;
      // A finger still down takes over the steering, from where it is now.
      if (steering === event.pointerId) {
        steering = fingers.size > 0 ? fingers.keys().next().value : null;
        anchor.taken = false;
      }
      update();
    });
  }

  // The buttons: the menu's function keys go in as the keyboard's do; the spread button is held.
  for (const button of panel.querySelectorAll("button[data-code]")) {
    button.addEventListener("click", () => {
      if (host.held()) return;
      host.push(button.dataset.code, true);
      host.push(button.dataset.code, false);
    });
  }
  const spread = panel.querySelector("#touch-spread");
  spread.addEventListener("pointerdown", (event) => {
    event.preventDefault();
    spreadButton = true;
    update();
  });
  for (const type of ["pointerup", "pointercancel", "pointerleave"]) {
    spread.addEventListener(type, () => {
      spreadButton = false;
      update();
    });
  }
  // A long press would open the browser's own menu over the buttons and the field.
  for (const element of [stage, panel]) {
    element.addEventListener("contextmenu", (event) => event.preventDefault());
  }

  // On a small screen the menu bar folds into one button; the game's menus open as one list
  // over the page, and close as an item is chosen or the list is left.
  function showMenus(open) {
    root.classList.toggle("menus-open", open);
    menuButton.setAttribute("aria-expanded", String(open));
  }
  menuButton.addEventListener("click", () => showMenus(!root.classList.contains("menus-open")));
  menuBar.addEventListener("click", (event) => {
    if (event.target.closest("li button")) showMenus(false);
  });
  document.addEventListener("pointerdown", (event) => {
    if (root.classList.contains("menus-open") && !menuBar.contains(event.target) &&
        event.target !== menuButton) {
      showMenus(false);
    }
  });

  function setWords() {
    for (const button of panel.querySelectorAll("button[data-words]")) {
      button.textContent = pageWords[button.dataset.words]();
    }
    menuButton.textContent = pageWords.menuButton();
  }
  setWords();

  return {
    // After every frame: where the ship is (width 0: none to steer).
    ship(x, y, width, height, stepX, stepY) {
      ship.present = width > 0;
      ship.x = x;
      ship.y = y;
      ship.width = width;
      ship.height = height;
      ship.stepX = stepX;
      ship.stepY = stepY;
      update();
    },
    // The game let go of every key (a window opened, the page lost the keyboard): so do we,
    // until a finger comes down again.
    letGo() {
      fingers.clear();
      steering = null;
      spreadButton = false;
      anchor.taken = false;
      for (const code of Object.keys(pressed)) pressed[code] = false;
    },
    words: setWords,
  };
}
