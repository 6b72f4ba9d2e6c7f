// Failures show one plain sentence where the Play button would be, never a blank canvas.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { SITE, launchChromium, openPage, serve } from './support.mjs';

let site;
before(async () => {
  site = await serve(SITE);
});
after(() => site?.close());

async function sentenceOn(browser, beforeLoading) {
  const { page } = await openPage(browser, site.url, 800, 600, { waitForPlay: false, beforeLoading });
  await page.waitForSelector('#message:not([hidden])', { timeout: 60000 });
  return page.evaluate(() => ({
    message: document.getElementById('message').textContent,
    playShown: !document.getElementById('play').hidden,
    progressShown: !document.getElementById('progress').hidden,
  }));
}

test('a failed download is named in one sentence', async () => {
  const browser = await launchChromium();
  try {
    const shown = await sentenceOn(browser, async (page) => {
      await page.setRequestInterception(true);
      page.on('request', (request) => (request.url().endsWith('/tavlen.data')
        ? request.respond({ status: 404, body: '' }) : request.continue()));
    });
    assert.match(shown.message, /^The demo could not be downloaded \(tavlen\.data: HTTP 404\)[^.]*\.$/);
    assert.equal(shown.playShown, false);
    assert.equal(shown.progressShown, false);
  } finally {
    await browser.close();
  }
});

test('a browser without WebGL is told so in one sentence', async () => {
  const browser = await launchChromium(['--disable-3d-apis']);
  try {
    const shown = await sentenceOn(browser);
    assert.match(shown.message, /WebGL is not available/);
    assert.equal(shown.playShown, false);
  } finally {
    await browser.close();
  }
});
