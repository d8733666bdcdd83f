// The workshop in the browser: a board drawn by touch and proven in slices
// between frames, its level code, and that code opened from the page's
// address straight into play, played by touch; a shipped level opened in
// the workshop and measured in slices, with the longest frame meanwhile.
import { sleep } from './browser.mjs';
import { screenPoint } from './game_page.mjs';

// Where the workshop puts things on the 640 x 480 screen (LayOutWorkshop
// for an 8 x 8 board): cells of 40 from (68, 43); the palette's columns of
// 44 from (456, 42), Pim's start second row first, his exit second row last.
const cell = (x, y) => [68 + (x + 0.5) * 40, 43 + (y + 0.5) * 40];
const pimStart = [478, 108];
const pimExit = [610, 108];

// Level 62, the slowest of the shipped levels to measure (the workshop's
// benchmark), as its level code.
const slowest = 'BMKUyizINkAygw4oB7V-AegAe-2moAZNgOxcagcpNd8pVVWxqkILKQB4IAszMAtvhJ';

// Times every animation frame the page runs (the game's pass and the
// background work after it), and notes when the game's lines reach the
// console (the page passes on a frame's lines just after the frame), so the
// frames from one line to another can be picked out.
const frameTimer = `(() => {
  const raf = window.requestAnimationFrame.bind(window);
  window.tripathFrames = [];
  window.tripathLines = [];
  window.requestAnimationFrame = (callback) => raf((time) => {
    const start = performance.now();
    try { callback(time); } finally { window.tripathFrames.push([start, performance.now()]); }
  });
  const log = console.log.bind(console);
  console.log = (...args) => {
    const now = performance.now();
    for (const line of String(args[0]).split('\\n')) window.tripathLines.push([line, now]);
    log(...args);
  };
})()`;

async function tap(page, x, y) {
  const [px, py] = await screenPoint(page, x, y);
  await page.touch('touchStart', [[px, py]]);
  await sleep(80);
  await page.touch('touchEnd', []);
  await sleep(250);
}

export function workshopChecks(check, pageUrl) {
  check('a board drawn by touch in the workshop is proven, and its code opens it in play', async (browser) => {
    const page = await browser.newPage({ width: 800, height: 600, mobile: true });
    try {
      await page.goto(`${pageUrl}?workshop`);
      await page.waitForLine('Workshop', { timeout: 60000 });
      await tap(page, ...pimStart);
      await tap(page, ...cell(3, 3));
      await tap(page, ...pimExit);
      await tap(page, ...cell(4, 3));
      await page.waitForLine('Proven solvable, par 1');
      let from = page.lines.length;
      await page.key('keyDown', 'KeyC', 'c', 67);
      await sleep(60);
      await page.key('keyUp', 'KeyC', 'c', 67);
      const at = await page.waitForLine('Level code: ', { from });
      const code = page.lines[at].slice(page.lines[at].indexOf('Level code: ') + 12).trim();

      // The link opens the level straight in play; Pim's exit is the cell
      // to his right, and the view centres on him.
      from = page.lines.length;
      await page.goto(`${pageUrl}?level=${code}`);
      await page.waitForLine('Level Loaded', { from, timeout: 60000 });
      await sleep(1000);  // the board zooms in
      await page.touch('touchStart', [await screenPoint(page, 320, 240)]);
      await sleep(300);
      await page.touch('touchMove', [await screenPoint(page, 368, 240)]);
      await sleep(400);
      await page.touch('touchEnd', []);
      await page.waitForLine('Beaten at par', { from });
      if (page.errors.length) throw new Error(`console errors: ${page.errors.join(' | ')}`);
    } finally {
      await page.close();
    }
  });

  check('a shipped level opened in the workshop is measured in slices, no frame waiting long', async (browser) => {
    const page = await browser.newPage({ width: 800, height: 600 });
    try {
      await page.send('Page.addScriptToEvaluateOnNewDocument', { source: frameTimer });
      await page.goto(`${pageUrl}?workshop&level=${slowest}`);
      await page.waitForLine('Proven solvable, par ', { timeout: 60000 });
      await page.waitForLine('Verdict: ', { timeout: 120000 });
      // From the frame that opened the workshop to the one that printed the
      // verdict: the measures ran in every one of them.
      const [longest, frames, seconds] = await page.evaluate(`(() => {
        const at = (text) => window.tripathLines.find(([line]) => line.startsWith(text))[1];
        const from = at('Workshop'), to = at('Verdict: ');
        const last = (time) => window.tripathFrames.findLastIndex(([start]) => start <= time);
        const frames = window.tripathFrames.slice(last(from), last(to) + 1);
        return [Math.max(...frames.map(([start, end]) => end - start)), frames.length,
                (to - from) / 1000];
      })()`);
      // The same board, measured, for as long again: what the page costs
      // here without the measures (a busy machine shows in both).
      await page.evaluate('window.tripathFrames = []');
      await sleep(seconds * 1000);
      const idle = await page.evaluate(
          'Math.max(...window.tripathFrames.map(([start, end]) => end - start))');
      console.log(`    longest frame while measuring: ${longest.toFixed(1)} ms ` +
                  `(${frames} frames, ${seconds.toFixed(1)} s); afterwards ${idle.toFixed(1)} ms`);
      if (page.errors.length) throw new Error(`console errors: ${page.errors.join(' | ')}`);
    } finally {
      await page.close();
    }
  });
}
