// The game's screen as the browser tests and benchmarks read it: where its
// points are on the page, and the title's level grid from a screenshot.

// Where a point of the game's 640 x 480 screen is on the page.
export async function screenPoint(page, x, y) {
  const r = await page.evaluate(`(() => { const r = document.getElementById('canvas')
      .getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()`);
  return [r[0] + (x * r[2]) / 640, r[1] + (y * r[3]) / 480];
}

// The title as a screenshot shows it: null when the title is not on screen
// (its dark blue sky in the top left corner), otherwise whether each level
// button shows it open (a play mark, or a star once finished: a bright
// button) rather than a lock (dim), from the mean green around its centre.
export async function titleLevels(page) {
  const [x, y, width, height] = await page.evaluate(`(() => { const r = document
      .getElementById('canvas').getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()`);
  const shot = await page.screenshot({ x, y, width, height });
  const mean = async (vx, vy) => {
    const scale = shot.width / 640, half = Math.round(10 * scale);
    const sum = [0, 0, 0];
    let count = 0;
    for (let dy = -half; dy <= half; ++dy) {
      for (let dx = -half; dx <= half; ++dx) {
        shot.at(vx * scale + dx, vy * scale + dy).forEach((v, i) => { sum[i] += v; });
        ++count;
      }
    }
    return sum.map((v) => v / count);
  };
  const [r, g, b] = await mean(16, 16);
  if (!(b > 60 && r < 40 && g < 40)) return null;
  const open = [];
  for (let n = 1; n <= 16; ++n) {
    const [, green] = await mean(180 + ((n - 1) % 8) * 40, 100 + Math.floor((n - 1) / 8) * 40);
    open[n] = green > 145;
  }
  return open;
}

// Waits for the title showing levels 1 to 3 open and, with `progress`, the
// neighbours that finishing level 1 opens (2 and 9).
export async function waitForTitle(page, { progress = false, timeout = 60000 } = {}) {
  await page.waitFor(async () => {
    const open = await titleLevels(page);
    return open && open[1] && open[3] && !open[4] && open[9] === progress;
  }, { what: progress ? 'the title with level 9 open' : 'the title with levels 1 to 3 open',
       timeout });
}
