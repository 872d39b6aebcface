// A static server for the page, on this machine only (a free port unless one is named).
import { createReadStream, statSync } from "node:fs";
import { createServer } from "node:http";
import path from "node:path";

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".mjs": "text/javascript",
  ".css": "text/css",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
  ".sf2": "application/octet-stream",
  ".png": "image/png",
  ".ts": "application/xml; charset=utf-8",
};

export function serve(folder, port = 0) {
  const root = path.resolve(folder);
  const server = createServer((request, response) => {
    const url = new URL(request.url, "http://localhost");
    const file = path.join(root, path.normalize(decodeURIComponent(url.pathname)));
    let ok = file.startsWith(root + path.sep);
    try {
      ok = ok && statSync(file).isFile();
    } catch {
      ok = false;
    }
    if (!ok) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(port, "127.0.0.1", () => resolve(server)));
}

// `node app/web/serve.mjs FOLDER [PORT]`: serves FOLDER until stopped.
if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  const [folder = ".", port = "8000"] = process.argv.slice(2);
  const server = await serve(folder, Number(port));
  console.log(`http://127.0.0.1:${server.address().port}/ (Ctrl+C ends it)`);
}
