// The game's screen as the browser tests and benchmarks read it: where its
// points are on the page, and the title's level grid from a screenshot.

// The canvas on the page and the game's logical screen in it. The game
// fits its screen to the canvas as it does a window: 640 x 480 for a
// landscape canvas, 800 x 600 for a portrait one, zoomed until the canvas
// is covered, so one side is the screen's and the other shorter.
export async function gameScreen(page) {
  const [left, top, width, height, pixelsW, pixelsH] = await page.evaluate(`(() => {
      const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
      return [r.left, r.top, r.width, r.height, c.width, c.height]; })()`);
  const [vw, vh] = pixelsW < pixelsH ? [800, 600] : [640, 480];
  const zoom = Math.max(pixelsW / vw, pixelsH / vh);  // canvas pixels per logical pixel
  return { left, top, width, height, W: pixelsW / zoom, H: pixelsH / zoom, scale: width / pixelsW * zoom };
}

// Where a point of the game's logical screen is on the page.
export async function screenPoint(page, x, y) {
  const s = await gameScreen(page);
  return [s.left + x * s.scale, s.top + y * s.scale];
}

// The mean colour of the square of `half` logical pixels around each
// logical point [x, y, half], from one screenshot of the canvas.
async function meanColours(page, points) {
  const s = await gameScreen(page);
  const shot = await page.screenshot({ x: s.left, y: s.top, width: s.width, height: s.height });
  const perPixel = shot.width / s.width * s.scale;  // screenshot pixels per logical pixel
  return points.map(([vx, vy, half]) => {
    const sum = [0, 0, 0];
    let count = 0;
    const reach = Math.max(1, Math.round(half * perPixel));
    for (let dy = -reach; dy <= reach; ++dy) {
      for (let dx = -reach; dx <= reach; ++dx) {
        shot.at(vx * perPixel + dx, vy * perPixel + dy).forEach((v, i) => { sum[i] += v; });
        ++count;
      }
    }
    return sum.map((v) => v / count);
  });
}

// The title's level buttons: the centre of level n's and the scale of the
// buttons, laid out as the title lays them out for its screen.
export async function levelButton(page, n) {
  const { W, H } = await gameScreen(page);
  let cell = H < 360 ? 0.4 : 0.5;
  if (W < 720 * cell) cell -= 0.1;
  return { x: W / 2 - 280 * cell + 80 * cell * ((n - 1) % 8),
           y: H / 2 - 280 * cell + 80 * cell * Math.floor((n - 1) / 8), cell };
}

// The title as a screenshot shows it: null when the title is not on screen
// (its dark blue sky near the top left corner, beside the sound buttons),
// otherwise whether each level button shows it open (a play mark, or a star
// once finished: a bright button) rather than a lock (dim), from the mean
// green around its centre.
export async function titleLevels(page) {
  const { W, H } = await gameScreen(page);
  const sky = W >= H ? [16, 16] : [8, 76];
  const buttons = [];
  for (let n = 1; n <= 16; ++n) buttons.push(await levelButton(page, n));
  const [[r, g, b], ...colours] = await meanColours(
    page, [[...sky, 4], ...buttons.map((button) => [button.x, button.y, 20 * button.cell])]);
  if (!(b > 60 && r < 40 && g < 40)) return null;
  const open = [];
  for (let n = 1; n <= 16; ++n) open[n] = colours[n - 1][1] > 145;
  return open;
}

// Where the chosen character is on the page, from its white corner brackets
// (with the white arrow above them) in a screenshot: [x, y] of its centre
// and the size of its cell, in page pixels; null if not found. Given the
// last place seen (`near`, with its size), only its row is looked at, a few
// cells either way (the view may have moved); otherwise the middle half of
// the screen's height. Either way the texts above and below the board stay
// out of sight.
export async function findChosen(page, near = null) {
  const s = await gameScreen(page);
  const shot = await page.screenshot({ x: s.left, y: s.top, width: s.width, height: s.height });
  const perPage = shot.width / s.width;  // screenshot pixels per page pixel
  let [x0, x1, y0, y1] = [0, shot.width, shot.height / 4, shot.height * 3 / 4];
  if (near) {
    const [nx, ny, size] = [(near[0] - s.left) * perPage, (near[1] - s.top) * perPage,
                            near[2] * perPage];
    [x0, x1, y0, y1] = [nx - 2.5 * size, nx + 2.5 * size, ny - size, ny + 0.55 * size];
  }
  let minX = Infinity, maxX = -1, maxY = -1;
  for (let y = Math.max(0, Math.round(y0)); y < Math.min(shot.height, y1); ++y) {
    for (let x = Math.max(0, Math.round(x0)); x < Math.min(shot.width, x1); ++x) {
      const [r, g, b] = shot.at(x, y);
      if (r < 245 || g < 245 || b < 245) continue;
      minX = Math.min(minX, x);
      maxX = Math.max(maxX, x);
      maxY = Math.max(maxY, y);
    }
  }
  if (maxX < 0) return null;
  const size = (maxX - minX) / perPage;
  return [s.left + (minX + maxX) / 2 / perPage, s.top + maxY / perPage - size / 2, size];
}

// Whether the title's music button shows music on (green) or off (grey):
// below the speaker at the left of a landscape screen, beside it at the
// top of a portrait one.
export async function musicShownOn(page) {
  const { W, H } = await gameScreen(page);
  const at = W >= H ? [32, Math.floor(H / 2) + 72] : [104, 32];
  const [[r, g]] = await meanColours(page, [[...at, 6]]);
  return g > r + 60;
}

// Whether "Progress could not be saved" shows: its dark red box at the
// bottom of the screen, beside the text.
export async function saveNoticeShown(page) {
  const { W, H } = await gameScreen(page);
  const [[r, g, b]] = await meanColours(page, [[W / 2 - 140, H - 30, 3]]);
  return r > 80 && g < 40 && b < 40;
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
