// The Chromium the page's tests drive, and the page served on the loopback for it.
import { after, before } from "node:test";
import puppeteer from "puppeteer-core";
import { serve } from "../../app/web/serve.mjs";

// Headless; PELARYN_CHROMIUM names another build than Debian's.
export function launchChromium(args = []) {
  return puppeteer.launch({
    executablePath: process.env.PELARYN_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", ...args],
  });
}

// The page from `site` on a free loopback port, and a browser for it; the caller closes both.
export async function startPageAndBrowser(site, args = []) {
  const server = await serve(site);
  const browser = await launchChromium(args);
  return { server, browser, origin: `http://127.0.0.1:${server.address().port}` };
}

// The same for a whole test file: started before its tests and stopped after them; `take` is
// handed { server, browser, origin } once they run.
export function pageAndBrowserForTests(site, args, take) {
  let started = null;
  before(async () => {
    started = await startPageAndBrowser(site, args);
    take(started);
  });
  after(async () => {
    await started?.browser.close();
    started?.server.close();
  });
}
