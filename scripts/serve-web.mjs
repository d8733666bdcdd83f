// A static web server on 127.0.0.1 for the browser build: play-web.sh
// serves dist/tripath-web/ with it, and the browser tests serve their own
// copies. Run as a program: node scripts/serve-web.mjs FOLDER [PORT].
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.png': 'image/png',
  '.php': 'text/plain; charset=utf-8', '.txt': 'text/plain; charset=utf-8',
  '.webmanifest': 'application/manifest+json',
};

// Served as a host should serve the game: files named by their contents
// never change, so browsers keep them; anything else is asked about again.
// Where the client takes gzip and a gzipped copy lies beside a file, that
// copy goes.

// Serves `folder`; `requests` (if given) collects each request's path.
export function serve(folder, { port = 0, requests = null } = {}) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    if (requests) requests.push(url.pathname + url.search);
    const file = path.join(root, decodeURIComponent(url.pathname));
    const inside = file === root || file.startsWith(root + path.sep);
    const target = inside && fs.existsSync(file) && fs.statSync(file).isDirectory()
      ? path.join(file, 'index.html') : file;
    if (!inside || !fs.existsSync(target) || !fs.statSync(target).isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    const gzipped = /\bgzip\b/.test(request.headers['accept-encoding'] || '') &&
      fs.existsSync(target + '.gz') ? target + '.gz' : null;
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(target)] || 'application/octet-stream',
      'Content-Length': fs.statSync(gzipped || target).size,
      'Cache-Control': /\.[0-9a-f]{12}\.\w+$/.test(target)
        ? 'public, max-age=31536000, immutable' : 'no-cache',
      ...(gzipped ? { 'Content-Encoding': 'gzip' } : {}),
    });
    fs.createReadStream(gzipped || target).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(port, '127.0.0.1', () => resolve({ server, port: server.address().port }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2];
  const { port } = await serve(folder, { port: Number(process.argv[3] || 8000) });
  console.log(`Tripath is served from ${folder}`);
  console.log(`Open http://127.0.0.1:${port}/ in a browser; Ctrl+C stops the server.`);
}
