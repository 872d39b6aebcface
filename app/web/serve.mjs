// A static server for the page, on this machine only (a free port unless one is named): compressed
// where the request accepts it, versioned addresses kept by caches for good, the rest asked again.
import { readdirSync, readFileSync, statSync } from "node:fs";
import { createServer } from "node:http";
import path from "node:path";
import zlib from "node:zlib";

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
  ".wav": "audio/wav",
  ".webmanifest": "application/manifest+json",
};
// Worth compressing: everything but the pictures, which are compressed already.
const compressible = new Set([".html", ".js", ".mjs", ".css", ".wasm", ".data", ".sf2", ".ts", ".wav",
                              ".webmanifest"]);

// What the request accepts, best first: brotli where node has it, then gzip, else as it is.
export function chooseEncoding(accepted) {
  const weights = new Map();
  for (const part of (accepted || "").split(",")) {
    const [name, ...parameters] = part.trim().toLowerCase().split(";");
    const q = parameters.map((p) => p.trim()).find((p) => p.startsWith("q="));
    weights.set(name, q ? Number(q.slice(2)) : 1);
  }
  const weight = (name) => weights.get(name) ?? weights.get("*") ?? 0;
  if (zlib.brotliCompressSync && weight("br") > 0) return "br";
  if (weight("gzip") > 0) return "gzip";
  return null;
}

const compressors = {
  br: (bytes) => zlib.brotliCompressSync(bytes, {
    params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 9, [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length },
  }),
  gzip: (bytes) => zlib.gzipSync(bytes, { level: 9 }),
};

// With `precompress`, every file is compressed before the first request, as a host that keeps
// compressed copies beside the files would serve them: the first visit then waits for no
// compressor (scripts/measure-web, scripts/web --serve).
export function serve(folder, port = 0, { precompress = false } = {}) {
  const root = path.resolve(folder);
  // Each file compressed once for as long as it stays as it is.
  const compressed = new Map();
  if (precompress) {
    for (const name of readdirSync(root)) {
      const file = path.join(root, name);
      const stat = statSync(file);
      if (!stat.isFile() || !compressible.has(path.extname(name))) continue;
      for (const encoding of Object.keys(compressors)) body(file, stat, encoding);
    }
  }
  function body(file, stat, encoding) {
    const bytes = readFileSync(file);
    if (!encoding) return bytes;
    const key = encoding + " " + file;
    const known = compressed.get(key);
    if (known && known.mtimeMs === stat.mtimeMs && known.size === stat.size) return known.bytes;
    const made = { mtimeMs: stat.mtimeMs, size: stat.size, bytes: compressors[encoding](bytes) };
    compressed.set(key, made);
    return made.bytes;
  }
  const server = createServer((request, response) => {
    const url = new URL(request.url, "http://localhost");
    const file = path.join(root, path.normalize(decodeURIComponent(url.pathname)));
    let stat = null;
    try {
      stat = file.startsWith(root + path.sep) ? statSync(file) : null;
    } catch {
      stat = null;
    }
    if (!stat || !stat.isFile()) {
      response.writeHead(404).end();
      return;
    }
    const extension = path.extname(file);
    const headers = {
      "Content-Type": types[extension] || "application/octet-stream",
      // A versioned address always names the same bytes; anything else is asked again each time.
      "Cache-Control": url.searchParams.has("v") ? "public, max-age=31536000, immutable" : "no-cache",
    };
    // Asked again, an unchanged file is answered with its date alone.
    const modified = new Date(Math.floor(stat.mtimeMs / 1000) * 1000);
    headers["Last-Modified"] = modified.toUTCString();
    const since = Date.parse(request.headers["if-modified-since"] || "");
    if (!Number.isNaN(since) && modified.getTime() <= since) {
      response.writeHead(304, headers).end();
      return;
    }
    let encoding = null;
    if (compressible.has(extension)) {
      headers.Vary = "Accept-Encoding";
      encoding = chooseEncoding(request.headers["accept-encoding"]);
      if (encoding) headers["Content-Encoding"] = encoding;
    }
    let bytes;
    try {
      bytes = body(file, stat, encoding);
    } catch {
      response.writeHead(500).end();
      return;
    }
    headers["Content-Length"] = bytes.length;
    response.writeHead(200, headers);
    response.end(request.method === "HEAD" ? undefined : bytes);
  });
  return new Promise((resolve) => server.listen(port, "127.0.0.1", () => resolve(server)));
}

// `node app/web/serve.mjs FOLDER [PORT]`: serves FOLDER until stopped.
if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  const [folder = ".", port = "8000"] = process.argv.slice(2);
  const server = await serve(folder, Number(port), { precompress: true });
  console.log(`http://127.0.0.1:${server.address().port}/ (Ctrl+C ends it)`);
}
