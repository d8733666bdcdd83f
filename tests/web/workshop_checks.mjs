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
  let code = '';
  check('the workshop draws a board by touch, proves it and gives its level code', async (browser) => {
    const page = await browser.newPage({ width: 800, height: 600, mobile: true });
    try {
      await page.goto(`${pageUrl}?workshop`);
      await page.waitForLine('Workshop', { timeout: 60000 });
      await sleep(500);
      await tap(page, ...pimStart);
      await tap(page, ...cell(3, 3));
      await tap(page, ...pimExit);
      await tap(page, ...cell(4, 3));
      await page.waitForLine('Proven solvable, par 1');
      const from = page.lines.length;
      await page.key('keyDown', 'KeyC', 'c', 67);
      await sleep(60);
      await page.key('keyUp', 'KeyC', 'c', 67);
      const at = await page.waitForLine('Level code: ', { from });
      code = page.lines[at].slice(page.lines[at].indexOf('Level code: ') + 12).trim();
      if (page.errors.length) throw new Error(`console errors: ${page.errors.join(' | ')}`);
    } finally {
      await page.close();
    }
  });

  check('a link with a level code opens it in play, and touch plays it', async (browser) => {
    if (!code) throw new Error('no level code from the workshop');
    const phone = await browser.newPage({ width: 390, height: 844, mobile: true, scale: 3 });
    try {
      await phone.goto(`${pageUrl}?level=${code}`);
      await phone.waitForLine('Level Loaded', { timeout: 60000 });
      await sleep(1500);  // the board zooms in; the view centres on Pim
      // Pim's exit is the cell to his right.
      const [fromX, fromY] = await screenPoint(phone, 320, 240);
      const [toX, toY] = await screenPoint(phone, 368, 240);
      await phone.touch('touchStart', [[fromX, fromY]]);
      await sleep(300);
      await phone.touch('touchMove', [[toX, toY]]);
      await sleep(400);
      await phone.touch('touchEnd', []);
      await phone.waitForLine('Beaten at par');
      if (phone.errors.length) throw new Error(`console errors: ${phone.errors.join(' | ')}`);
    } finally {
      await phone.close();
    }
  });
}
