// The browser build played in Debian's headless chromium, the way players
// use it: the page served from 127.0.0.1, driven with mouse, touch and
// window changes through the DevTools protocol, judged by the game's
// console lines and by pixels of its screen.
//   node web_test.mjs FOLDER    (FOLDER: the built page, dist/tripath-web)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../../scripts/serve-web.mjs';
import { launchBrowser, sleep } from './browser.mjs';
import { screenPoint, waitForTitle } from './game_page.mjs';
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

// Level 1 and its stored solution, from the level source.
const level = fs.readFileSync(path.join(here, '../../levels/01.txt'), 'utf8');
const moves = /^solution:(.*)$/m.exec(level)[1].split(',').map((m) => m.trim().split(' '));
const steps = { U: [0, -1], D: [0, 1], L: [-1, 0], R: [1, 0] };

// Plays level 1 by its stored solution: `press`, `move` and `release` act
// at page points. A step needs the pointer over the next cell for a frame
// and the slide there to end.
async function playLevelOne(page, { press, move, release }) {
  const from = page.lines.length;
  const [bx, by] = await screenPoint(page, 180, 100);
  await press(bx, by);
  await sleep(60);
  await release(bx, by);
  await page.waitForLine('Level Loaded', { from });
  await sleep(1500);  // the board zooms in and the view settles on Pim
  let x = 0, y = 0;   // cells from Pim's start, which the view centres on
  const at = (cx, cy) => screenPoint(page, 320 + cx * 48, 240 + cy * 48);
  await press(...(await at(x, y)));
  await sleep(300);
  for (const [, direction] of moves) {
    x += steps[direction][0];
    y += steps[direction][1];
    await move(...(await at(x, y)));
    await sleep(350);
  }
  await release(...(await at(x, y)));
  // The level-end banner, then the title again, with level 9 opened.
  await waitForTitle(page, { progress: true, timeout: 20000 });
}

// Waits (a while at most) for the saved state to reach the page's
// IndexedDB, where the page keeps its persistent folder.
async function waitForSaved(page) {
  const stored = `new Promise((resolve) => {
    const open = indexedDB.open('/tripath');
    open.onerror = () => resolve(false);
    open.onsuccess = () => {
      const db = open.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) { db.close(); resolve(false); return; }
      const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/tripath/.quarrystate');
      get.onsuccess = () => { db.close(); resolve(!!get.result); };
      get.onerror = () => { db.close(); resolve(false); };
    };
  })`;
  try {
    await page.waitFor(() => page.evaluate(stored), { timeout: 10000 });
  } catch {
    // Judged by what the reload shows.
  }
}

const checks = [];
const check = (name, body) => checks.push({ name, body });
let desk;  // the desktop-sized page, shared by the checks that follow each other

check('the page loads without console errors and reaches the title', async (browser) => {
  desk = await browser.newPage({ width: 800, height: 600 });
  await desk.goto(pageUrl);
  await waitForTitle(desk);
  if (desk.errors.length) throw new Error(`console errors: ${desk.errors.join(' | ')}`);
  const title = await desk.evaluate('document.title');
  if (title !== 'Tripath') throw new Error(`page title "${title}"`);
});

check('level 1 is played to its end with the mouse', async () => {
  let down = false;
  await playLevelOne(desk, {
    press: async (x, y) => { await desk.mouse('mouseMoved', x, y); await desk.mouse('mousePressed', x, y, 1); down = true; },
    move: (x, y) => desk.mouse('mouseMoved', x, y, down ? 1 : 0),
    release: async (x, y) => { await desk.mouse('mouseReleased', x, y); down = false; },
  });
});

check('a reload keeps the progress', async () => {
  await waitForSaved(desk);
  const from = desk.lines.length;
  await desk.reload();
  await desk.waitForLine('Settings Loaded', { from });
  await waitForTitle(desk, { progress: true });
});

check('the news line comes from MOTD.php beside the page', async () => {
  const from = desk.lines.length;
  await desk.mouse('mouseMoved', ...(await screenPoint(desk, 20, 468)));
  await desk.mouse('mousePressed', ...(await screenPoint(desk, 20, 468)), 1);
  await sleep(60);
  await desk.mouse('mouseReleased', ...(await screenPoint(desk, 20, 468)));
  const at = await desk.waitForLine('Http GET complete!', { from });
  if (!desk.lines[at].endsWith(' 200')) throw new Error(desk.lines[at]);
  if (!requests.includes('/games/tripath/MOTD.php')) throw new Error(`requests: ${requests}`);
});

check('the canvas follows a window resize', async () => {
  await desk.resize(1000, 500);
  await desk.waitFor(async () => {
    const [w, h, cw, ch] = await desk.evaluate(`(() => { const c = document.getElementById('canvas');
        const r = c.getBoundingClientRect(); return [c.width, c.height, r.width, r.height]; })()`);
    return Math.abs(ch - 500) < 1 && Math.abs(cw - 500 * 4 / 3) < 1 && Math.abs(w - cw) <= 1 &&
           h === 500;
  }, { what: 'a 667 x 500 canvas' });
  // The game draws to the new size: its level grid sits where it belongs.
  await waitForTitle(desk, { progress: true, timeout: 10000 });
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

check('level 1 is played with touches on a phone held upright', async (browser) => {
  if (desk) await desk.close();
  const phone = await browser.newPage({ width: 390, height: 844, mobile: true, scale: 3 });
  await phone.goto(pageUrl);
  // Letterboxed: the whole width, three quarters of it high, centred.
  const [w, h, top] = await phone.evaluate(`(() => { const c = document.getElementById('canvas');
      const r = c.getBoundingClientRect(); return [c.width, r.height, r.top]; })()`);
  if (w !== 1170 || Math.abs(h - 292.5) > 1 || Math.abs(top - (844 - 292.5) / 2) > 1)
    throw new Error(`canvas ${w} pixels wide, ${h} high at ${top}`);
  await waitForTitle(phone);
  await playLevelOne(phone, {
    press: (x, y) => phone.touch('touchStart', [[x, y]]),
    move: (x, y) => phone.touch('touchMove', [[x, y]]),
    release: () => phone.touch('touchEnd', []),
  });
  if (phone.errors.length) throw new Error(`console errors: ${phone.errors.join(' | ')}`);
});

workshopChecks(check, pageUrl);

const browser = await launchBrowser();
let passed = 0, failed = 0;
for (const { name, body } of checks) {
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
