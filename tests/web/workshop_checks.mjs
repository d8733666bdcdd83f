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

// Level 37, the slowest of the shipped levels to measure (the workshop's
// benchmark), as its level code.
const slowest = 'BIHeipSalSZFAIqUmJHi0_ffBrrp6DU9Zi4euRHrnmq79GoWVXvpuzZvw3uZc';

// Times every animation frame the page runs (the game's pass and the
// background work after it, which the game times itself), and notes when
// the game's lines reach the console (the page passes on a frame's lines
// just after the frame), so the frames from one line to another can be
// picked out.
const frameTimer = `(() => {
  const raf = window.requestAnimationFrame.bind(window);
  window.tripathFrames = [];
  window.tripathLines = [];
  window.requestAnimationFrame = (callback) => raf((time) => {
    const start = performance.now();
    try {
      callback(time);
    } finally {
      const work = window.Module && Module.calledRun ? Module._tripath_last_work_ms() : 0;
      window.tripathFrames.push([start, performance.now(), work]);
    }
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
      // The longest frame, the longest share of one the measures took, the
      // longest rest of one, and how many frames ran over 20 ms.
      const figures = (frames) => `[
        Math.max(...${frames}.map(([start, end]) => end - start)),
        Math.max(...${frames}.map((f) => f[2])),
        Math.max(...${frames}.map(([start, end, work]) => end - start - work)),
        ${frames}.filter(([start, end]) => end - start > 20).length, ${frames}.length]`;
      const [measuring, seconds] = await page.evaluate(`(() => {
        const at = (text) => window.tripathLines.find(([line]) => line.startsWith(text))[1];
        const from = at('Workshop'), to = at('Verdict: ');
        const last = (time) => window.tripathFrames.findLastIndex(([start]) => start <= time);
        const frames = window.tripathFrames.slice(last(from), last(to) + 1);
        return [${figures('frames')}, (to - from) / 1000];
      })()`);
      // The same board, measured, for a few seconds: what the page costs
      // here without the measures. This machine's other processes take the
      // page's core now and then, which shows in both.
      await page.evaluate('window.tripathFrames = []');
      await sleep(5000);
      const idle = await page.evaluate(figures('window.tripathFrames'));
      const say = ([longest, work, rest, over, count]) =>
        `longest frame ${longest.toFixed(1)} ms (the measures' share ${work.toFixed(1)} ms at ` +
        `most, the rest ${rest.toFixed(1)} ms at most), ${over} of ${count} frames over 20 ms`;
      console.log(`    while measuring (${seconds.toFixed(1)} s): ${say(measuring)}`);
      console.log(`    afterwards: ${say(idle)}`);
      if (page.errors.length) throw new Error(`console errors: ${page.errors.join(' | ')}`);
    } finally {
      await page.close();
    }
  });
}
