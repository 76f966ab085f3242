// browserTest.mjs - the browser build in Debian's headless Chromium, against
// the desktop build on the same machine:
//  - the page loads, its toggles are kept across visits, and Play with the
//    address's switches (-360 -seed 7) makes the level the desktop game makes
//    of that seed (the log's "final path:" map) and shows a picture that is
//    not black; Print Screen downloads a PNG of it;
//  - every golden recording replays to all its checkpoints and ends on the
//    state hash the desktop replay ends on;
//  - the reference pictures' test, built for the browser, draws its views
//    through WebGL 2 and matches the stored pictures.
// Chromium draws WebGL through ANGLE on Mesa's llvmpipe, the rasteriser the
// reference pictures were made with. Served from 127.0.0.1 only.
//   node browserTest.mjs SITE_DIR DESKTOP_GAME RECORDINGS_DIR OUT_DIR
// Exits non-zero when anything fails; pictures and logs go to OUT_DIR.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { chromium } from 'playwright-core';

const [site, desktopGame, recordings, out] = process.argv.slice(2);
if (!out) {
  console.error('usage: node browserTest.mjs SITE_DIR DESKTOP_GAME RECORDINGS_DIR OUT_DIR');
  process.exit(2);
}
fs.mkdirSync(out, { recursive: true });

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_FLAGS = ['--use-gl=angle', '--use-angle=gl-egl', '--ignore-gpu-blocklist', '--autoplay-policy=no-user-gesture-required'];
// Software WebGL is slow: a replay of 1,400 updates may take minutes.
const GAME_TIMEOUT_MS = 15 * 60 * 1000;

let failures = 0;
function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok)
    failures++;
}

// A static server for the site, on the loopback interface only.
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
function serve(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = path.normalize(decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname));
    const file = path.join(root, name);
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Runs the desktop game headless until `done` says its log is complete;
// its log lines.
function desktopRun(args, done) {
  return new Promise((resolve, reject) => {
    const env = { ...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy', TARNWICK_NO_MSGBOX: '1' };
    const game = spawn(desktopGame, args, { env, stdio: ['ignore', 'pipe', 'pipe'] });
    let text = '';
    const timer = setTimeout(() => game.kill('SIGKILL'), GAME_TIMEOUT_MS);
    game.stdout.on('data', (chunk) => {
      text += chunk;
      if (done(text.split('\n')))
        game.kill('SIGINT');
    });
    game.on('error', reject);
    game.on('close', () => {
      clearTimeout(timer);
      resolve(text.split('\n'));
    });
  });
}

// The "final path:" map of a log: the line and the map lines after it.
function finalPath(lines) {
  const at = lines.indexOf('final path:');
  if (at < 0)
    return null;
  const map = [];
  for (let i = at + 1; i < lines.length && /^[-+#]+$/.test(lines[i]); i++)
    map.push(lines[i]);
  return map.join('\n');
}

// A page of the site whose console lines are collected; `waitFor` resolves
// with the lines once one matches.
async function openPage(browser, url) {
  const page = await browser.newPage({ viewport: { width: 960, height: 720 }, acceptDownloads: true });
  const lines = [];
  const waiters = [];
  page.on('console', (message) => {
    lines.push(message.text());
    for (const w of waiters.slice())
      if (w.pattern.test(message.text())) {
        waiters.splice(waiters.indexOf(w), 1);
        w.resolve(message.text());
      }
  });
  page.on('pageerror', (error) => lines.push('page error: ' + error.message));
  await page.goto(url);
  const waitFor = (pattern, ms = GAME_TIMEOUT_MS) => {
    const found = lines.find((l) => pattern.test(l));
    if (found)
      return Promise.resolve(found);
    return new Promise((resolve, reject) => {
      const w = { pattern, resolve };
      waiters.push(w);
      setTimeout(() => reject(new Error('no line matching ' + pattern + ' within ' + ms + ' ms')), ms);
    });
  };
  return { page, lines, waitFor };
}

// The share of pixels of a PNG that are not black, decoded by the page.
async function litShare(page, png) {
  return page.evaluate(async (base64) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + base64;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let lit = 0;
    for (let i = 0; i < pixels.length; i += 4)
      if (pixels[i] + pixels[i + 1] + pixels[i + 2] > 24)
        lit++;
    return lit / (pixels.length / 4);
  }, png.toString('base64'));
}

async function playTest(browser, base) {
  const desktop = await desktopRun(['-360', '-seed', '7', '-mute'], (l) => l.some((x) => x.startsWith('total start-up time')));
  const expectedMap = finalPath(desktop);
  check(expectedMap !== null, 'the desktop game logs the level of seed 7');

  const { page, lines, waitFor } = await openPage(browser, base + '/index.html?args=-360%20-seed%207');
  await page.evaluate(() => window.tarnwick.ready);
  await page.screenshot({ path: path.join(out, 'page.png') });
  // A toggle is kept across visits, in the game's own settings store.
  const toggle = page.locator('.toggle[data-bit="2"]');
  const before = await toggle.textContent();
  await toggle.click();
  await page.waitForFunction(() => !window.tarnwick.storing());
  await page.reload();
  await page.evaluate(() => window.tarnwick.ready);
  check((await toggle.textContent()) !== before, 'a toggle is kept across visits (' + before + ' -> ' + (await toggle.textContent()) + ')');
  await toggle.click();
  await page.waitForFunction(() => !window.tarnwick.storing());
  await page.reload();
  await page.evaluate(() => window.tarnwick.ready);
  check((await toggle.textContent()) === before, 'and set back');

  await page.click('#play', { noWaitAfter: true, timeout: GAME_TIMEOUT_MS });
  await waitFor(/^total start-up time/);
  check(lines.includes('random seed: 7'), 'the page passes its address\'s switches: "random seed: 7"');
  check(finalPath(lines) === expectedMap, 'the level of seed 7 is the desktop game\'s ("final path:" map)');
  // Some frames of play, then the game's own screenshot as a download.
  await page.waitForTimeout(3000);
  await page.screenshot({ path: path.join(out, 'game.png') });
  const download = page.waitForEvent('download', { timeout: 60000 });
  await page.keyboard.press('PrintScreen');
  const file = await download;
  const shot = path.join(out, 'screenshot-' + file.suggestedFilename());
  await file.saveAs(shot);
  check(/\.png$/.test(file.suggestedFilename()), 'Print Screen downloads ' + file.suggestedFilename());
  const lit = await litShare(page, fs.readFileSync(shot));
  check(lit > 0.2, 'the game shows a picture: ' + Math.round(lit * 100) + '% of the screenshot is not black');
  fs.writeFileSync(path.join(out, 'play.log'), lines.join('\n') + '\n');
  await page.close();
}

async function replayTest(browser, base, recording) {
  const name = path.basename(recording);
  const desktop = await desktopRun(['-360', '-mute', '-replay', recording], () => false);
  const expected = desktop.find((l) => l.startsWith('state hash:'));
  const expectedEnd = desktop.find((l) => l.startsWith('replay ended after'));
  check(expected !== undefined && expectedEnd !== undefined, name + ': the desktop replay ends with ' + expected);

  const { page, lines, waitFor } = await openPage(browser, base + '/index.html?args=-360%20-mute');
  await page.evaluate(() => window.tarnwick.ready);
  const bytes = [...fs.readFileSync(recording)];
  await page.evaluate(({ name, bytes }) => {
    window.tarnwick.FS.writeFile('/' + name, new Uint8Array(bytes));
    window.tarnwick.play(['-replay', '/' + name]);
  }, { name, bytes });
  const started = Date.now();
  const ended = await waitFor(/^game ended with code/);
  fs.writeFileSync(path.join(out, name + '.log'), lines.join('\n') + '\n');
  const seconds = ((Date.now() - started) / 1000).toFixed(1);
  check(ended === 'game ended with code 0', name + ': ' + ended + ' after ' + seconds + ' s');
  check(lines.includes(expectedEnd), name + ': "' + expectedEnd + '"');
  check(lines.includes(expected), name + ': every checkpoint matched and the replay ends on the desktop\'s "' + expected + '"');
  await page.close();
}

async function referenceTest(browser, base) {
  const filter = '*640x360_normal*:*640x360_fast_noaa*';
  const { page, lines, waitFor } = await openPage(browser, base + '/tests/index.html?program=reference_test&args=--gtest_filter=' + filter);
  const ended = await waitFor(/^program ended with code/);
  fs.writeFileSync(path.join(out, 'reference_test.log'), lines.join('\n') + '\n');
  check(ended === 'program ended with code 0', 'the reference pictures drawn in the browser match the stored ones (' + ended + ')');
  for (const l of lines.filter((x) => /^\[ +(OK|FAILED) +\]/.test(x)))
    console.log('     ' + l);
  await page.close();
}

const server = await serve(site);
const base = 'http://127.0.0.1:' + server.address().port;
const browser = await chromium.launch({ executablePath: CHROMIUM, args: CHROMIUM_FLAGS, headless: true });
try {
  await playTest(browser, base);
  for (const name of fs.readdirSync(recordings).filter((n) => n.endsWith('.rec')).sort())
    await replayTest(browser, base, path.join(recordings, name));
  await referenceTest(browser, base);
} catch (error) {
  check(false, String(error));
} finally {
  await browser.close();
  server.close();
}
console.log(failures ? failures + ' browser checks failed' : 'all browser checks passed');
process.exit(failures ? 1 : 0);
