// Figures for the browser build in Debian's headless chromium (bench-web.sh):
// the time from navigation to the title, and the renderer's benchmark
// frames as the page makes them.
//   node bench_web.mjs GAME_FOLDER BENCH_FOLDER
import path from 'node:path';
import { serve } from '../../scripts/serve-web.mjs';
import { launchBrowser } from './browser.mjs';
import { waitForTitle } from './game_page.mjs';

const [game, bench] = process.argv.slice(2).map((folder) => path.resolve(folder));
const runs = Number(process.env.TRIPATH_BENCH_RUNS || 5);
const browser = await launchBrowser();

// Each run a new visitor: nothing cached, nothing stored. The title is seen
// in a screenshot, polled as fast as they come (some tens of milliseconds).
const { server: gameServer, port: gamePort } = await serve(game);
const times = [];
for (let run = 0; run < runs; ++run) {
  const page = await browser.newPage({ width: 800, height: 600 });
  const start = Date.now();
  await page.goto(`http://127.0.0.1:${gamePort}/`);
  await waitForTitle(page);
  times.push(Date.now() - start);
  await page.close();
}
gameServer.close();
times.sort((a, b) => a - b);
console.log(`navigation to title: median ${times[Math.floor(times.length / 2)]} ms ` +
            `(${runs} runs, ${times[0]} to ${times[times.length - 1]} ms)`);

// The benchmark page at the native window's size, 640 x 480.
const { server: benchServer, port: benchPort } = await serve(bench);
const page = await browser.newPage({ width: 640, height: 480 });
await page.goto(`http://127.0.0.1:${benchPort}/`);
await page.waitForLine('bench: done', { timeout: 300000 });
for (const line of page.lines) if (line.startsWith('bench: ') && line !== 'bench: done') console.log(line);
benchServer.close();
await browser.close();
