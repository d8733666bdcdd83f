// The browser build played in Debian's headless chromium, the way players
// use it: the page served from 127.0.0.1, driven with mouse, touch, keys and
// window changes through the DevTools protocol, with tabs of one player side
// by side and storage and graphics made to fail, judged by the game's
// console lines, by pixels of its screen and by what the site stores.
//   node web_test.mjs FOLDER    (FOLDER: the built page, dist/tripath-web)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../../scripts/serve-web.mjs';
import { launchBrowser, sleep } from './browser.mjs';
import { findChosen, gameScreen, levelButton, musicShownOn, saveNoticeShown, screenPoint,
  waitForTitle } from './game_page.mjs';
import { workshopChecks } from './workshop_checks.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const built = path.resolve(process.argv[2] || path.join(here, '../../dist/tripath-web'));

// The page is served from a sub-folder, with a news file beside it.
const site = fs.mkdtempSync(path.join(os.tmpdir(), 'tripath-site-'));
fs.cpSync(built, path.join(site, 'games', 'tripath'), { recursive: true });
fs.writeFileSync(path.join(site, 'games', 'tripath', 'MOTD.php'), 'Fresh from the web!');
const requests = [];
const { server, port } = await serve(site, { requests });
const pageUrl = `http://127.0.0.1:${port}/games/tripath/`;

// Level 1, its board and its stored solution, from the level source.
const level = fs.readFileSync(path.join(here, '../../levels/01.txt'), 'utf8');
const moves = /^solution:(.*)$/m.exec(level)[1].split(',').map((m) => m.trim().split(' '));
const steps = { U: [0, -1], D: [0, 1], L: [-1, 0], R: [1, 0] };
// Opens level 1 from the title with `press` and `release` at a page point.
async function openLevelOne(page, { press, release }) {
  const from = page.lines.length;
  const button = await levelButton(page, 1);
  const [bx, by] = await screenPoint(page, button.x, button.y);
  await press(bx, by);
  await sleep(60);
  await release(bx, by);
  await page.waitForLine('Level Loaded', { from });
}

// Where Pim is once he and the view have come to rest (the view follows
// him on a small screen), looked for around `near` (see findChosen): seen at
// one place eight frames apart.
async function restingPim(page, near = null) {
  let last = null;
  for (let tries = 0; tries < 30; ++tries) {
    await page.frames(8);
    const pim = await findChosen(page, near);
    if (pim && last && Math.hypot(pim[0] - last[0], pim[1] - last[1]) < 1) return pim;
    last = pim;
  }
  throw new Error('Pim is not to be seen at rest');
}

// Plays level 1 by its stored solution: `press`, `move` and `release` act
// at page points. Each step is a drag of its own: Pim is held where he is
// seen and, once the view has moved to follow him (on a small screen it
// does), the pointer is moved to the next cell. A step needs the pointer
// over the next cell for a frame, and the slide there to end.
async function playLevelOne(page, input) {
  await openLevelOne(page, input);
  let pim = await restingPim(page);
  for (const [n, [, direction]] of moves.entries()) {
    const [dx, dy] = steps[direction];
    await input.press(pim[0], pim[1]);
    const held = await restingPim(page, pim);
    const to = [held[0] + dx * held[2], held[1] + dy * held[2], held[2]];
    await input.move(to[0], to[1]);
    await page.frames(3);
    await input.release(to[0], to[1]);
    if (n + 1 < moves.length) pim = await restingPim(page, to);
  }
  // The level-end banner, then the title again, with level 9 opened.
  await waitForTitle(page, { progress: true });
}

const mouseOf = (page) => {
  let down = false;
  return {
    press: async (x, y) => { await page.mouse('mouseMoved', x, y); await page.mouse('mousePressed', x, y, 1); down = true; },
    move: (x, y) => page.mouse('mouseMoved', x, y, down ? 1 : 0),
    release: async (x, y) => { await page.mouse('mouseReleased', x, y); down = false; },
  };
};
const touchOf = (page) => ({
  press: (x, y) => page.touch('touchStart', [[x, y]]),
  move: (x, y) => page.touch('touchMove', [[x, y]]),
  release: () => page.touch('touchEnd', []),
});

async function tapKey(page, code, keyCode) {
  await page.key('keyDown', code, code, keyCode);
  await sleep(60);
  await page.key('keyUp', code, code, keyCode);
  await sleep(400);
}

// The saved state as the page's site stores it: the IndexedDB record and
// the localStorage copy beside it.
const STATE = '/tripath/.quarrystate';
function stored(page) {
  return page.evaluate(`new Promise((resolve) => {
    let local = null;
    try { local = localStorage.getItem('tripath:${STATE}'); } catch {}
    const open = indexedDB.open('/tripath');
    open.onerror = () => resolve({ local, record: null });
    open.onsuccess = () => {
      const db = open.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) { db.close(); resolve({ local, record: null }); return; }
      const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('${STATE}');
      get.onsuccess = () => {
        db.close();
        const r = get.result;
        resolve({ local, record: r && r.contents ? new TextDecoder().decode(r.contents) : null });
      };
      get.onerror = () => { db.close(); resolve({ local, record: null }); };
    };
  })`);
}

// Waits (a while at most) for the saved state to reach the page's
// IndexedDB.
async function waitForSaved(page) {
  try {
    await page.waitFor(async () => (await stored(page)).record !== null, { timeout: 10000 });
  } catch {
    // Judged by what the reload shows.
  }
}

// The canvas covers the page along its long side, in whole device pixels.
async function expectFilled(page) {
  const [w, h, cw, ch, scale] = await page.evaluate(`(() => { const c = document.getElementById('canvas');
      const r = c.getBoundingClientRect(); return [c.width, c.height, r.width, r.height, devicePixelRatio]; })()`);
  const covered = page.width >= page.height ? cw / page.width : ch / page.height;
  console.log(`      ${page.width} x ${page.height} page: the canvas covers ${(covered * 100).toFixed(1)} % of its long side`);
  if (covered < 0.95) throw new Error(`the canvas covers ${(covered * 100).toFixed(0)} % of the page`);
  if (Math.abs(w - cw * scale) > 0.01 || Math.abs(h - ch * scale) > 0.01)
    throw new Error(`a canvas of ${w} x ${h} pixels shown at ${cw} x ${ch}`);
}

const checks = [];
const check = (name, body) => checks.push({ name, body });
let player;  // the browser context (storage) of the one player the checks below share
let desk;    // that player's 1280 x 720 page, shared by the checks that follow each other

check('a 1280 x 720 page: the canvas fills it, no console errors, the title', async (browser) => {
  player = await browser.newContext();
  desk = await browser.newPage({ width: 1280, height: 720, context: player });
  const navigated = Date.now();
  await desk.goto(pageUrl);
  await expectFilled(desk);
  await waitForTitle(desk);
  console.log(`      the title shows ${((Date.now() - navigated) / 1000).toFixed(1)} s after navigation`);
  if (desk.errors.length) throw new Error(`console errors: ${desk.errors.join(' | ')}`);
  const title = await desk.evaluate('document.title');
  if (title !== 'Tripath') throw new Error(`page title "${title}"`);
});

check('level 1 is played to its end with the mouse', async () => {
  await playLevelOne(desk, mouseOf(desk));
});

check('a reload keeps the progress', async () => {
  await waitForSaved(desk);
  const from = desk.lines.length;
  await desk.reload();
  await desk.waitForLine('Settings Loaded', { from });
  await waitForTitle(desk, { progress: true });
});

check('a reload right after switching the music off keeps it off', async () => {
  // The title's buttons may still be fading in just after a reload.
  await desk.waitFor(() => musicShownOn(desk), { what: 'the music button showing music on' });
  const { W, H } = await gameScreen(desk);
  const [x, y] = await screenPoint(desk, W >= H ? 32 : 104, W >= H ? Math.floor(H / 2) + 72 : 32);
  await mouseOf(desk).press(x, y);
  await desk.mouse('mouseReleased', x, y);
  await desk.waitFor(async () => !(await musicShownOn(desk)), { what: 'the music shown off' });
  const from = desk.lines.length;
  await desk.reload();
  await desk.waitForLine('Settings Loaded', { from });
  await waitForTitle(desk, { progress: true });
  if (await musicShownOn(desk)) throw new Error('the music is on again after the reload');
});

check('the news line comes from MOTD.php beside the page', async () => {
  const from = desk.lines.length;
  const { H } = await gameScreen(desk);
  const [x, y] = await screenPoint(desk, 20, H - 12);
  await mouseOf(desk).press(x, y);
  await sleep(60);
  await desk.mouse('mouseReleased', x, y);
  const at = await desk.waitForLine('Http GET complete!', { from });
  if (!desk.lines[at].endsWith(' 200')) throw new Error(desk.lines[at]);
  if (!requests.includes('/games/tripath/MOTD.php')) throw new Error(`requests: ${requests}`);
});

check('the canvas follows a window resize', async () => {
  await desk.resize(1000, 500);
  await desk.waitFor(async () => {
    const [w, h, cw, ch] = await desk.evaluate(`(() => { const c = document.getElementById('canvas');
        const r = c.getBoundingClientRect(); return [c.width, c.height, r.width, r.height]; })()`);
    return w === 1000 && h === 500 && cw === 1000 && ch === 500;
  }, { what: 'a 1000 x 500 canvas' });
  // The game draws to the new size: its level grid sits where it belongs.
  await waitForTitle(desk, { progress: true, timeout: 10000 });
});

check('an arrow held while the page loses the keyboard stops with it', async () => {
  await openLevelOne(desk, mouseOf(desk));
  // Right walks Pim to the end of the top row, where the path turns down.
  await desk.key('keyDown', 'ArrowRight', 'ArrowRight', 39);
  await sleep(1500);
  await desk.evaluate(`window.dispatchEvent(new Event('blur'))`);
  // Down twice, to the bottom row: right from there leads to the exit, and
  // an arrow still held would take him there.
  const before = (await stored(desk)).local;
  await tapKey(desk, 'ArrowDown', 40);
  await tapKey(desk, 'ArrowDown', 40);
  await sleep(2500);
  if ((await stored(desk)).local !== before) throw new Error('the level ended: Pim kept walking');
  await desk.key('keyUp', 'ArrowRight', 'ArrowRight', 39);
  await tapKey(desk, 'ArrowRight', 39);
  await tapKey(desk, 'ArrowRight', 39);
  await desk.waitFor(async () => (await stored(desk)).local !== before,
                     { what: 'the level finished by two taps to the right', timeout: 10000 });
  await waitForTitle(desk, { progress: true, timeout: 20000 });
});

check('the cursor keys on the title pick a level and Enter opens it', async () => {
  const press = async (code, key, keyCode) => {
    await desk.key('keyDown', code, key, keyCode);
    await sleep(60);
    await desk.key('keyUp', code, key, keyCode);
    await sleep(120);
  };
  const from = desk.lines.length;
  // Three to the right from level 1 is level 4, still locked: Enter opens
  // nothing. One back to the left, level 3 opens.
  for (let i = 0; i < 3; ++i) await press('ArrowRight', 'ArrowRight', 39);
  await press('Enter', 'Enter', 13);
  await sleep(1000);
  if (desk.lines.slice(from).includes('Level Loaded')) throw new Error('a locked level opened');
  await press('ArrowLeft', 'ArrowLeft', 37);
  await press('Enter', 'Enter', 13);
  await desk.waitForLine('Level Loaded', { from });
});

check('lost graphics: a message, then play again once they are back', async () => {
  await desk.evaluate(`(() => { window.lose = document.getElementById('canvas').getContext('webgl')
      .getExtension('WEBGL_lose_context'); window.lose.loseContext(); })()`);
  await desk.waitFor(() => desk.evaluate(`!document.getElementById('overlay').hidden &&
      /graphics were lost/.test(document.getElementById('message').textContent)`),
  { what: 'the message about the lost graphics' });
  const from = desk.lines.length;
  await desk.evaluate('window.lose.restoreContext()');
  await desk.waitForLine('Settings Loaded', { from });
  await waitForTitle(desk, { progress: true });
  const loaded = desk.lines.length;
  await openLevelOne(desk, mouseOf(desk));
  if (!desk.lines.slice(loaded).includes('Level Loaded')) throw new Error('no level');
});

check('storage that cannot be read: the page says so and the save stays as it was', async (browser) => {
  const page = await browser.newPage({
    width: 800, height: 600, context: player,
    init: `indexedDB.open = () => { throw new DOMException('Internal error', 'UnknownError'); };` });
  await page.goto(pageUrl);
  // The copy beside it still gives the progress to play on with.
  await waitForTitle(page, { progress: true });
  const before = await stored(desk);
  if (!before.record || !before.local) throw new Error('nothing stored to begin with');
  const notice = await page.evaluate(`(() => { const n = document.getElementById('notice');
      return n.hidden ? '' : n.textContent; })()`);
  if (!/progress will not be kept/.test(notice)) throw new Error(`notice: "${notice}"`);
  await page.setHidden(true);  // the game saves as it goes to the background
  await sleep(500);
  await page.setHidden(false);
  await page.close();  // and as it closes
  await sleep(500);
  const after = await stored(desk);
  if (after.record !== before.record || after.local !== before.local)
    throw new Error(`the stored progress was written over: ${JSON.stringify([before, after])}`);
});

check('a write the storage turns down shows "Progress could not be saved"', async (browser) => {
  const page = await browser.newPage({
    width: 800, height: 600, context: player,
    init: `IDBObjectStore.prototype.put = function () {
             throw new DOMException('The quota has been exceeded.', 'QuotaExceededError'); };` });
  await page.goto(pageUrl);
  await waitForTitle(page, { progress: true });
  await page.setHidden(true);
  await sleep(1000);
  await page.setHidden(false);
  await page.waitFor(() => saveNoticeShown(page), { what: 'the notice', timeout: 10000 });
  await page.close();
});

check('two pages of one player: the progress of the second survives the first', async (browser) => {
  const visitor = await browser.newContext();
  const first = await browser.newPage({ width: 800, height: 600, context: visitor });
  await first.goto(pageUrl);
  await waitForTitle(first);
  const second = await browser.newPage({ width: 800, height: 600, context: visitor });
  await second.goto(pageUrl);
  await waitForTitle(second);
  await playLevelOne(second, mouseOf(second));
  // The first page goes to the background and comes back, then both close,
  // the first one last: hidden first, it saves what it holds, and that
  // reaches the storage before it goes.
  await first.setHidden(true);
  await sleep(500);
  await first.setHidden(false);
  await first.frames(10);
  await second.close();
  await first.setHidden(true);
  await first.evaluate('new Promise((resolve) => Module.tripathStore.whenIdle(resolve))');
  await first.close();
  const again = await browser.newPage({ width: 800, height: 600, context: visitor });
  await again.goto(pageUrl);
  await waitForTitle(again, { progress: true });
  await again.close();
});

check('a 390 x 844 phone: the canvas fills it and level 1 is played with touches', async (browser) => {
  if (desk) await desk.close();
  const phone = await browser.newPage({ width: 390, height: 844, mobile: true, scale: 2 });
  try {
    await phone.goto(pageUrl);
    await expectFilled(phone);
    await waitForTitle(phone);
    await playLevelOne(phone, touchOf(phone));
    if (phone.errors.length) throw new Error(`console errors: ${phone.errors.join(' | ')}`);
  } finally {
    // A page left open goes on drawing, which the checks after it would
    // share the machine with.
    await phone.close();
  }
});

workshopChecks(check, pageUrl);

const browser = await launchBrowser();
let passed = 0, failed = 0;
// TRIPATH_WEB_ONLY picks checks by a pattern of their names (the first few
// set up the page the ones after them share).
const only = process.env.TRIPATH_WEB_ONLY && new RegExp(process.env.TRIPATH_WEB_ONLY);
for (const { name, body } of checks.filter((c) => !only || only.test(c.name))) {
  const started = Date.now();
  try {
    await body(browser);
    ++passed;
    console.log(`ok    ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
  } catch (error) {
    ++failed;
    console.log(`FAIL  ${name}: ${error.message}`);
  }
}
await browser.close();
server.close();
fs.rmSync(site, { recursive: true, force: true });
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
