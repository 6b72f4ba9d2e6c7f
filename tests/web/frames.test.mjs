// The browser draws the native picture: in the deterministic mode (every frame lasts the
// same frame time, and the music clock advances by it), frames at chosen demo times agree
// with the native deterministic player's frames at the same times and size to at least
// 30 dB PSNR. The times are spread over the demo's kinds of drawing.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { SITE, launchChromium, nativeFrames, openPage, serve } from './support.mjs';

const FRAME_MS = 200;
const WIDTH_PX = 400;
const HEIGHT_PX = 300;
// The logo condensing out of blur, the LED figure, a swarm, a cube flight, a radial blur,
// the emblem, the closing: away from section starts, whose white flashes would prove little.
const TIMES_MS = [8000, 19000, 31000, 36400, 45400, 55000, 64000];
const MIN_PSNR_DB = 30;

// Plays the whole run to the last time in the page and returns, per time, the PSNR of the
// browser's frame against the native PNG (given as a data: URL).
async function browserPSNR(page, referencesByMs) {
  return page.evaluate(async (frameMs, references) => {
    const wanted = new Map(Object.keys(references).map((ms) => [Number(ms), null]));
    const canvas = document.getElementById('canvas');
    const done = new Promise((resolve) => {
      window.tavlenPage.afterFrame = (demoMs) => {
        if (!wanted.has(demoMs))
          return;
        const pointer = Module._tavlen_read_frame();
        wanted.set(demoMs, Module.HEAPU8.slice(pointer, pointer + canvas.width * canvas.height * 4));
        if ([...wanted.values()].every((frame) => frame))
          resolve();
      };
    });
    Module._tavlen_set_deterministic(frameMs);
    document.getElementById('play').click();
    await done;

    const psnrByMs = {};
    for (const [ms, rgba] of wanted) {
      const image = new Image();
      image.src = references[ms];
      await image.decode();
      const scratch = document.createElement('canvas');
      scratch.width = image.width;
      scratch.height = image.height;
      const context = scratch.getContext('2d');
      context.drawImage(image, 0, 0);
      const native = context.getImageData(0, 0, image.width, image.height).data;
      let squares = 0;
      for (let y = 0; y < image.height; ++y) {
        const row = (image.height - 1 - y) * image.width;  // the frame is bottom-up
        for (let x = 0; x < image.width * 4; ++x) {
          if (x % 4 === 3)
            continue;
          const difference = rgba[row * 4 + x] - native[y * image.width * 4 + x];
          squares += difference * difference;
        }
      }
      const meanSquare = squares / (image.width * image.height * 3);
      psnrByMs[ms] = meanSquare === 0 ? 99 : 10 * Math.log10(255 * 255 / meanSquare);
    }
    return psnrByMs;
  }, FRAME_MS, referencesByMs);
}

test('frames at chosen demo times match the native player', { timeout: 420000 }, async () => {
  const site = await serve(SITE);
  const browser = await launchChromium();
  const startedMs = Date.now();
  const took = (promise, what) => promise.then((result) => {
    console.log(`${what}: ${((Date.now() - startedMs) / 1000).toFixed(1)} s`);
    return result;
  });
  try {
    const [pngs, { page, problems }] = await Promise.all([
      took(nativeFrames(FRAME_MS, WIDTH_PX, HEIGHT_PX, TIMES_MS), 'native frames'),
      took(openPage(browser, site.url, WIDTH_PX, HEIGHT_PX), 'page loaded'),
    ]);
    const references = Object.fromEntries(Object.entries(pngs).map(([ms, png]) =>
      [ms, `data:image/png;base64,${png.toString('base64')}`]));
    const psnrByMs = await took(browserPSNR(page, references), 'browser frames');
    for (const ms of TIMES_MS)
      console.log(`demo time ${ms} ms: ${psnrByMs[ms].toFixed(1)} dB`);
    for (const ms of TIMES_MS)
      assert.ok(psnrByMs[ms] >= MIN_PSNR_DB, `${ms} ms: ${psnrByMs[ms].toFixed(1)} dB`);
    assert.deepEqual(problems, []);
  } finally {
    await browser.close();
    site.close();
  }
});
