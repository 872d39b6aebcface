// The page's words. Japanese is the game's own language and every text's source; English comes
// from the desktop's translation file (pelaryn_en.ts), looked up by the same context and source
// text as the desktop's windows use. scripts/update-translations reads the qsTranslate calls of
// the page's scripts as well, so one file holds every translation of both front ends.
"use strict";

const pelarynTexts = (() => {
  let english = null;  // "context\u0004source" → translation, once the file is read
  let language = "ja";
  const changed = [];

  // The player's languages in order: the first of English and Japanese wins, as on the desktop.
  function systemLanguage() {
    for (const name of navigator.languages || [navigator.language || ""]) {
      const code = name.split(/[-_]/)[0].toLowerCase();
      if (code === "en" || code === "ja") return code;
    }
    return "ja";
  }

  // A source or translation as Qt reads it: a character XML cannot hold (the carriage return of
  // the game's "\r\n") stands in the file as <byte value="xd"/>, which textContent would drop.
  function entryText(node) {
    let text = "";
    for (const part of node.childNodes) {
      if (part.nodeType === Node.ELEMENT_NODE && part.localName === "byte") {
        const value = part.getAttribute("value") || "";
        const code = value.startsWith("x") ? parseInt(value.slice(1), 16) : parseInt(value, 10);
        if (Number.isInteger(code)) text += String.fromCharCode(code);
      } else if (part.nodeType === Node.TEXT_NODE || part.nodeType === Node.CDATA_SECTION_NODE) {
        text += part.data;
      }
    }
    return text;
  }

  async function readEnglish() {
    const response = await fetch(typeof pelarynFile === "function" ? pelarynFile("pelaryn_en.ts") : "pelaryn_en.ts");
    if (!response.ok) throw new Error("no translation file");
    const file = new DOMParser().parseFromString(await response.text(), "application/xml");
    const table = new Map();
    for (const context of file.querySelectorAll("context")) {
      const name = context.querySelector("name").textContent;
      for (const message of context.querySelectorAll("message")) {
        const source = entryText(message.querySelector("source"));
        const translation = entryText(message.querySelector("translation"));
        if (translation) table.set(name + "\u0004" + source, translation);
      }
    }
    return table;
  }

  return {
    // "system", "ja" or "en". The language is taken at once, so that the game's own words (drawn
    // in its picture) follow it from its first frame; the page's English words are read from the
    // translation file once `ready` settles (the page waits for its first picture: reading them
    // would hold it up) and replace the Japanese then. Without the file, it stays Japanese.
    async use(choice, ready = Promise.resolve()) {
      const wanted = choice === "ja" || choice === "en" ? choice : systemLanguage();
      const show = (chosen) => {
        language = chosen;
        document.documentElement.lang = language;
        changed.forEach((call) => call());
      };
      if (wanted === "en" && !english) {
        show("en");
        try {
          await ready;
          english = await readEnglish();
        } catch (error) {
          console.warn("pelaryn: the English texts could not be read:", error);
        }
      }
      show(wanted === "en" && english ? "en" : "ja");
    },
    language: () => language,
    onChange: (call) => changed.push(call),
    translate(context, source) {
      if (language !== "en" || !english) return source;
      return english.get(context + "\u0004" + source) || source;
    },
  };
})();

// The name lupdate looks for.
function qsTranslate(context, source) {
  return pelarynTexts.translate(context, source);
}

// "%1" and so on replaced, as Qt's arg() does.
function withArgs(text, ...args) {
  return text.replace(/%(\d)/g, (whole, n) => (n >= 1 && n <= args.length ? String(args[n - 1]) : whole));
}
