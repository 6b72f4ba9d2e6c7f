// The page as a viewer meets it, in real time: it loads without a console error, Play starts
// the frames and a running AudioContext, the picture stays 4:3 between black bars through a
// resize from wide to tall, Escape ends the run with "Play again", which plays it again
// from the start.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { SITE, launchChromium, measureNextFrame, openPage, serve, waitForDemoTime, demoTimeMs } from './support.mjs';

let site;
let browser;
let page;
let problems;

before(async () => {
  site = await serve(SITE);
  browser = await launchChromium();
  ({ page, problems } = await openPage(browser, site.url, 1280, 720));
});

after(async () => {
  await browser?.close();
  site?.close();
});

// Where the non-black pixels of a frame are, and whether anything outside the 4:3 picture
// that fits the frame is not black. Runs in the page.
function pictureAndBars(rgba, widthPx, heightPx) {
  const pictureWidth = Math.min(widthPx, Math.floor(heightPx * 4 / 3));
  const pictureHeight = Math.min(heightPx, Math.floor(widthPx * 3 / 4));
  const left = Math.floor((widthPx - pictureWidth) / 2);
  const bottom = Math.floor((heightPx - pictureHeight) / 2);
  let litInside = 0;
  let litOutside = 0;
  for (let y = 0; y < heightPx; ++y) {
    for (let x = 0; x < widthPx; ++x) {
      const i = (y * widthPx + x) * 4;
      if (rgba[i] + rgba[i + 1] + rgba[i + 2] === 0)
        continue;
      if (x >= left && x < left + pictureWidth && y >= bottom && y < bottom + pictureHeight)
        ++litInside;
      else
        ++litOutside;
    }
  }
  return { widthPx, heightPx, left, bottom, litOutside, litShare: litInside / (pictureWidth * pictureHeight) };
}

// Frames until one with a picture that fills a good part of the 4:3 area (the demo has
// black moments); every frame on the way must have black bars.
async function checkBars(widthPx, heightPx, barLeftPx, barBottomPx) {
  for (let tries = 0; tries < 40; ++tries) {
    const frame = await measureNextFrame(page, pictureAndBars);
    assert.equal(frame.widthPx, widthPx, 'drawing buffer width');
    assert.equal(frame.heightPx, heightPx, 'drawing buffer height');
    assert.equal(frame.left, barLeftPx);
    assert.equal(frame.bottom, barBottomPx);
    assert.equal(frame.litOutside, 0, `pixels drawn on the bars at ${widthPx}x${heightPx}`);
    if (frame.litShare > 0.2)
      return;
  }
  assert.fail(`no frame at ${widthPx}x${heightPx} showed a picture`);
}

test('the start screen comes up without a console error', async () => {
  assert.equal(await page.$eval('#play', (button) => button.textContent), 'Play');
  assert.equal(await page.title(), 'Tavlen');
  assert.ok(await page.$eval('#notice', (notice) => /flash/.test(notice.textContent)));
  assert.deepEqual(problems, []);
  const readyMs = await page.evaluate(() => performance.getEntriesByName('tavlen-ready')[0].startTime);
  console.log(`Play button ${readyMs.toFixed(0)} ms after opening the page`);
});

test('Play starts the frames and a running AudioContext', async () => {
  await page.click('#play');
  await waitForDemoTime(page, 7000, 60000);  // the music has started
  assert.equal(await page.$eval('#screen', (screen) => getComputedStyle(screen).display), 'none');
  const audio = await page.evaluate(async () => {
    const context = window.audioContexts[0];
    const before = context?.currentTime;
    await new Promise((resolve) => setTimeout(resolve, 500));
    return { count: window.audioContexts.length, state: context?.state, advancedS: context?.currentTime - before };
  });
  const firstFrameMs = await page.evaluate(() => performance.getEntriesByName('tavlen-first-frame')[0].startTime
    - performance.getEntriesByName('tavlen-play')[0].startTime);
  console.log(`first frame ${firstFrameMs.toFixed(0)} ms after Play`);
  assert.ok(audio.count >= 1, 'no AudioContext');
  assert.equal(audio.state, 'running');
  assert.ok(audio.advancedS > 0.2, `the audio clock advanced ${audio.advancedS} s in 0.5 s`);
});

test('the picture stays 4:3 between black bars, wide and tall', async () => {
  await checkBars(1280, 720, 160, 0);
  await page.setViewport({ width: 720, height: 1280, deviceScaleFactor: 1 });
  await checkBars(720, 1280, 0, 370);
});

test('Escape ends the run with Play again, which plays from the start', async () => {
  await page.keyboard.press('Escape');
  // The key is handled by the next frame, which may come a while later on a busy machine.
  await page.waitForFunction(() => window.tavlenPage.state === 'ended', { timeout: 10000 });
  assert.equal(await page.$eval('#play', (button) => button.hidden), false);
  assert.equal(await page.$eval('#play', (button) => button.textContent), 'Play again');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.tavlenPage.state === 'playing', { timeout: 10000 });
  const restartMs = await measureNextFrame(page, (rgba, width, height, demoMs) => demoMs);
  assert.ok(restartMs < 3000, `the second run starts at ${restartMs} ms`);
  await waitForDemoTime(page, restartMs + 500, 30000);
  assert.ok(await demoTimeMs(page) > restartMs);
});

test('no console error through the whole session', () => {
  assert.deepEqual(problems, []);
});
