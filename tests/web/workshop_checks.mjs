// The workshop in the browser: a board drawn by touch and proven in slices
// between frames, its level code, and that code opened from the page's
// address straight into play, played by touch.
import { sleep } from './browser.mjs';
import { screenPoint } from './game_page.mjs';

// Where the workshop puts things on the 640 x 480 screen (LayOutWorkshop
// for an 8 x 8 board): cells of 44 from (52, 43); the palette's columns of
// 44 from (456, 42), Pim's start second row first, his exit second row last.
const cell = (x, y) => [52 + (x + 0.5) * 44, 43 + (y + 0.5) * 44];
const pimStart = [478, 108];
const pimExit = [610, 108];

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
}
