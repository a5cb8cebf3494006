// What the page's test and its speed benchmark share: a small static server
// for the page's directory on 127.0.0.1, and Debian's Chromium started headless
// through playwright-core (the callers load playwright-core themselves, each
// with its own word when it is missing).
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.json': 'application/json' };

// Serves `dir`, less the files in `hidden` (paths under it, as the page asks
// for them): "/" is index.html; anything else not there is a 404. Resolves to
// the server, listening on a free port (server.address().port).
function serveDirectory(dir, hidden = []) {
  const root = path.resolve(dir);
  const server = http.createServer((req, res) => {
    const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(root, rel);
    // Inside the root only: not a sibling whose name merely begins the same way.
    if (!file.startsWith(root + path.sep) || hidden.includes(rel) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end('not found');
      return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Debian's Chromium, headless, without its sandbox or GPU and without the
// browser's own traffic (updates, sync), through the caller's playwright-core `chromium`.
function launchBrowser(chromium) {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

module.exports = { serveDirectory, launchBrowser };
