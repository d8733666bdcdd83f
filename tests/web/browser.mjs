// Debian's chromium, headless, driven over the DevTools protocol: one page
// with its console, screenshots as pixels, and mouse, touch and key input.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import WebSocket from 'ws';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tripath-chromium-'));
  const args = [
    '--headless', '--no-sandbox', '--disable-gpu',
    // WebGL in software: ANGLE on SwiftShader, which headless chromium picks
    // by itself today but will offer only when asked for explicitly (the
    // older --use-gl=swiftshader turns WebGL off instead).
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    // The machine has no network but the loopback: nothing else is tried.
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--no-default-browser-check', '--disable-extensions',
    // Frames keep coming however long a test leaves the page alone.
    '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
    '--disable-backgrounding-occluded-windows',
    '--autoplay-policy=user-gesture-required',
    `--user-data-dir=${profile}`, '--remote-debugging-port=0', 'about:blank',
  ];
  const child = spawn(process.env.TRIPATH_CHROMIUM || '/usr/bin/chromium', args,
                      { stdio: ['ignore', 'ignore', 'pipe'] });
  child.stderr.resume();
  // However the test ends (a failure thrown, a timeout's SIGTERM, Ctrl+C),
  // the browser goes with it rather than running on, orphaned, at full CPU.
  process.once('exit', () => child.kill('SIGKILL'));
  for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
    process.once(signal, () => process.exit(128 + os.constants.signals[signal]));
  }
  const portFile = path.join(profile, 'DevToolsActivePort');
  for (let i = 0; i < 300 && !fs.existsSync(portFile); ++i) await sleep(100);
  if (!fs.existsSync(portFile)) throw new Error('chromium did not start');
  const [port, browserPath] = fs.readFileSync(portFile, 'utf8').trim().split('\n');
  const socket = new WebSocket(`ws://127.0.0.1:${port}${browserPath}`, { perMessageDeflate: false });
  await new Promise((resolve, reject) => { socket.once('open', resolve); socket.once('error', reject); });
  return new Browser(child, socket, profile);
}

class Browser {
  constructor(child, socket, profile) {
    this.child = child;
    this.socket = socket;
    this.profile = profile;
    this.nextId = 1;
    this.waiting = new Map();
    this.sessions = new Map();
    socket.on('message', (data) => {
      const message = JSON.parse(data);
      if (message.id && this.waiting.has(message.id)) {
        const { resolve, reject } = this.waiting.get(message.id);
        this.waiting.delete(message.id);
        if (message.error) reject(new Error(JSON.stringify(message.error)));
        else resolve(message.result);
      } else if (message.method) {
        const page = this.sessions.get(message.sessionId);
        if (page) page.handle(message.method, message.params);
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    this.socket.send(JSON.stringify({ id, method, params, sessionId }));
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }

  // A browser context: one profile's storage, as one visitor's.
  async newContext() {
    return (await this.send('Target.createBrowserContext')).browserContextId;
  }

  // A page of its own browser context (a new visitor), or of `context` (a
  // further tab of that visitor's). `init` runs in the page before its own
  // scripts, at every load.
  async newPage({ width = 800, height = 600, mobile = false, scale = 1, context = null,
                  init = null } = {}) {
    const browserContextId = context || await this.newContext();
    const { targetId } = await this.send('Target.createTarget',
                                         { url: 'about:blank', browserContextId });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId, targetId, context ? null : browserContextId);
    this.sessions.set(sessionId, page);
    await page.send('Runtime.enable');
    await page.send('Page.enable');
    await page.send('Log.enable');
    if (init) await page.send('Page.addScriptToEvaluateOnNewDocument', { source: init });
    await page.resize(width, height, { mobile, scale });
    return page;
  }

  async close() {
    try { await this.send('Browser.close'); } catch { /* already gone */ }
    this.socket.close();
    await new Promise((resolve) => {
      if (this.child.exitCode !== null) resolve();
      else this.child.once('exit', resolve);
      setTimeout(() => { this.child.kill('SIGKILL'); resolve(); }, 5000);
    });
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

class Page {
  constructor(browser, sessionId, targetId, contextId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.targetId = targetId;
    this.contextId = contextId;
    this.lines = [];   // console output, in order
    this.errors = [];  // console errors and uncaught exceptions
    this.listeners = [];
  }

  send(method, params = {}) { return this.browser.send(method, params, this.sessionId); }

  // Closes the page, as a player closes a tab (with the browser context it
  // made for itself): its game stops running. A browser tells a page that
  // is closed by its pagehide event, which headless chromium leaves out
  // when a target closes, so it is sent first.
  async close() {
    try {
      await this.evaluate(`window.dispatchEvent(new PageTransitionEvent('pagehide', { persisted: false }))`);
    } catch { /* no page to tell */ }
    await this.browser.send('Target.closeTarget', { targetId: this.targetId });
    // Chromium closes the page a while after it says so. A page left
    // running would share the machine with the checks after it.
    const started = Date.now();
    while (Date.now() - started < 30000) {
      const { targetInfos } = await this.browser.send('Target.getTargets');
      if (!targetInfos.some((t) => t.targetId === this.targetId)) break;
      await sleep(100);
    }
    if (this.contextId)
      await this.browser.send('Target.disposeBrowserContext', { browserContextId: this.contextId });
    this.browser.sessions.delete(this.sessionId);
  }

  // Hides or shows the page as a switch of tabs does. A page is shown by
  // bringing it to the front (only the page in front gets frames); hiding it
  // is told to the page alone, the others staying behind.
  async setHidden(hidden) {
    if (!hidden) await this.send('Page.bringToFront');
    await this.evaluate(`(() => {
      for (const [name, value] of [['hidden', ${hidden}], ['visibilityState', '${hidden ? 'hidden' : 'visible'}']])
        Object.defineProperty(document, name, { value, configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    })()`);
  }

  handle(method, params) {
    if (method === 'Runtime.consoleAPICalled') {
      const text = params.args.map((a) => (a.value !== undefined ? String(a.value) : a.description || '')).join(' ');
      this.lines.push(...text.split('\n'));
      if (params.type === 'error' || params.type === 'assert') this.errors.push(text);
    } else if (method === 'Runtime.exceptionThrown') {
      const d = params.exceptionDetails;
      this.errors.push((d.exception && d.exception.description) || d.text);
    } else if (method === 'Log.entryAdded' && params.entry.level === 'error') {
      this.errors.push(`${params.entry.text} ${params.entry.url || ''}`.trim());
    }
    for (const listener of this.listeners) listener(method, params);
  }

  async resize(width, height, { mobile = false, scale = 1 } = {}) {
    await this.send('Emulation.setDeviceMetricsOverride',
                    { width, height, deviceScaleFactor: scale, mobile });
    await this.send('Emulation.setTouchEmulationEnabled', { enabled: mobile, maxTouchPoints: 5 });
    this.width = width;
    this.height = height;
  }

  // Runs `action` (a navigation) and waits for the page's load event.
  async load(action) {
    const loaded = new Promise((resolve) => {
      const listener = (method) => {
        if (method === 'Page.loadEventFired') {
          this.listeners.splice(this.listeners.indexOf(listener), 1);
          resolve();
        }
      };
      this.listeners.push(listener);
    });
    await action();
    await loaded;
  }

  goto(url) { return this.load(() => this.send('Page.navigate', { url })); }
  reload() { return this.load(() => this.send('Page.reload', { ignoreCache: false })); }

  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate',
                                   { expression, awaitPromise: true, returnByValue: true });
    if (result.exceptionDetails) throw new Error(result.exceptionDetails.text);
    return result.result.value;
  }

  // Waits for a console line that contains `text`, counting from line `from`.
  async waitForLine(text, { from = 0, timeout = 30000 } = {}) {
    const end = Date.now() + timeout;
    for (;;) {
      const at = this.lines.findIndex((line, i) => i >= from && line.includes(text));
      if (at >= 0) return at;
      if (Date.now() > end) throw new Error(`no console line "${text}" within ${timeout} ms`);
      await sleep(50);
    }
  }

  // Waits for the page to have shown `count` more frames (a page behind
  // another gets none: then it fails after 30 s).
  frames(count) {
    return this.evaluate(`new Promise((resolve, reject) => {
      let left = ${count};
      const frame = () => (--left > 0 ? requestAnimationFrame(frame) : resolve());
      requestAnimationFrame(frame);
      setTimeout(() => reject(new Error('no frames')), 30000);
    })`);
  }

  async waitFor(condition, { timeout = 30000, what = 'condition' } = {}) {
    const end = Date.now() + timeout;
    for (;;) {
      if (await condition()) return;
      if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
      await sleep(100);
    }
  }

  // The page, or the part of it in `clip` (page pixels), in page pixels
  // whatever the screen's density.
  async screenshot(clip = { x: 0, y: 0, width: this.width, height: this.height }) {
    const scale = await this.evaluate('devicePixelRatio');
    const { data } = await this.send('Page.captureScreenshot',
                                     { format: 'png', clip: { ...clip, scale: 1 / scale } });
    return decodePng(Buffer.from(data, 'base64'));
  }

  // Mouse: page (CSS) pixels.
  mouse(type, x, y, buttons = 0) {
    return this.send('Input.dispatchMouseEvent', {
      type, x, y, button: type === 'mouseMoved' ? (buttons ? 'left' : 'none') : 'left',
      buttons, clickCount: type === 'mouseMoved' ? 0 : 1,
    });
  }

  // Touch: `points` is a list of [x, y] in page pixels, one per finger.
  touch(type, points) {
    return this.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y], id) => ({ x, y, id, radiusX: 4, radiusY: 4, force: 1 })),
    });
  }

  key(type, code, key, keyCode) {
    return this.send('Input.dispatchKeyEvent', {
      type, code, key, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode,
      text: type === 'keyDown' && key.length === 1 ? key : undefined,
    });
  }
}

// PNG (8-bit RGB or RGBA, not interlaced) to { width, height, rgba }.
export function decodePng(buffer) {
  let offset = 8;
  let width = 0, height = 0, channels = 4;
  const idat = [];
  while (offset < buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const type = buffer.toString('ascii', offset + 4, offset + 8);
    const body = buffer.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = body[9] === 6 ? 4 : 3;
      if (body[8] !== 8 || (body[9] !== 6 && body[9] !== 2) || body[12] !== 0)
        throw new Error('unsupported PNG');
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const value = raw[y * (stride + 1) + 1 + x];
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = (value + predicted) & 255;
    }
  }
  const rgba = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    for (let k = 0; k < 3; ++k) rgba[i * 4 + k] = pixels[i * channels + k];
    rgba[i * 4 + 3] = channels === 4 ? pixels[i * channels + 3] : 255;
  }
  return { width, height, rgba, at(x, y) {
    const i = (Math.round(y) * width + Math.round(x)) * 4;
    return [rgba[i], rgba[i + 1], rgba[i + 2]];
  } };
}

export { sleep };
