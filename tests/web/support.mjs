// What the browser tests share: the site served from a folder on a free port, Debian's
// Chromium driven by puppeteer-core (headless, WebGL through SwiftShader, a fresh profile),
// a page that records its console errors and the AudioContexts it makes, and the readers
// that take a frame from the engine right after it is drawn.
//
// CTest passes the paths: TAVLEN_WEB_SITE (build-web/site), TAVLEN_NATIVE_BUILD (the native
// build folder, for the reference frames).
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

export const SITE = process.env.TAVLEN_WEB_SITE;
export const NATIVE_BUILD = process.env.TAVLEN_NATIVE_BUILD;

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
};

// A plain static server, as any host would be: files as they are, 404 for the rest.
export async function serve(siteFolder) {
  const folder = resolve(siteFolder);
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(folder, path.endsWith('/') ? `${path}index.html` : path);
    let body;
    try {
      body = statSync(file).isFile() ? readFileSync(file) : null;
    } catch (e) {
      body = null;
    }
    if (!body || !file.startsWith(folder)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' });
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// Root needs --no-sandbox; SwiftShader gives WebGL without a GPU (--use-gl=swiftshader
// would give none); without the background-networking switches Chromium keeps trying to
// reach its services through the closed network and fills the log.
export async function launchChromium(extraArgs = []) {
  const profile = mkdtempSync(join(tmpdir(), 'tavlen-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', `--user-data-dir=${profile}`, ...extraArgs],
    protocolTimeout: 240000,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// A page at the given viewport (device pixel ratio 1) that keeps every console error, page
// error and failed request in `problems`, and every AudioContext the site makes in
// window.audioContexts; it has loaded when the Play button shows, unless told not to wait.
export async function openPage(browser, url, width, height, { waitForPlay = true, beforeLoading } = {}) {
  const page = await browser.newPage();
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error')
      problems.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  await page.evaluateOnNewDocument(() => {
    window.audioContexts = [];
    const Original = window.AudioContext;
    window.AudioContext = class extends Original {
      constructor(...args) {
        super(...args);
        window.audioContexts.push(this);
      }
    };
  });
  await page.setViewport({ width, height, deviceScaleFactor: 1 });
  await beforeLoading?.(page);
  await page.goto(url);
  if (waitForPlay)
    await page.waitForSelector('#play:not([hidden])', { timeout: 120000 });
  return { page, problems };
}

// Waits for the next frame the engine draws and returns what measure(rgba, width, height,
// demoMs) makes of it, evaluated in the page (rgba: the drawing buffer, bottom row first).
export async function measureNextFrame(page, measure) {
  return page.evaluate((source) => new Promise((resolve) => {
    const measureFrame = eval(`(${source})`);
    window.tavlenPage.afterFrame = (demoMs) => {
      window.tavlenPage.afterFrame = null;
      const canvas = document.getElementById('canvas');
      const pointer = Module._tavlen_read_frame();
      const rgba = Module.HEAPU8.subarray(pointer, pointer + canvas.width * canvas.height * 4);
      resolve(measureFrame(rgba, canvas.width, canvas.height, demoMs));
    };
  }), measure.toString());
}

export async function demoTimeMs(page) {
  return page.evaluate(() => Module._tavlen_demo_time_ms());
}

export async function waitForDemoTime(page, demoMs, timeoutMs) {
  await page.waitForFunction((ms) => Module._tavlen_demo_time_ms() >= ms, { timeout: timeoutMs, polling: 100 }, demoMs);
}

// The native deterministic player's frames at the given demo times, as { ms: PNG bytes },
// rendered on an Xvfb of its own (its display number chosen by the server itself).
export async function nativeFrames(frameMs, widthPx, heightPx, timesMs) {
  const folder = mkdtempSync(join(tmpdir(), 'tavlen-frames-'));
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  try {
    const display = await new Promise((resolve, reject) => {
      xvfb.stdio[3].once('data', (text) => resolve(`:${String(text).trim()}`));
      xvfb.once('exit', () => reject(new Error('Xvfb did not start')));
    });
    const tool = join(NATIVE_BUILD, 'tools/frames/tavlen_frames');
    const player = spawn(tool, ['--frame-ms', String(frameMs), '--size', `${widthPx}x${heightPx}`, folder,
      ...timesMs.map(String)], { cwd: NATIVE_BUILD, env: { ...process.env, DISPLAY: display }, stdio: 'inherit' });
    const status = await new Promise((resolve) => player.once('exit', resolve));
    if (status !== 0)
      throw new Error(`tavlen_frames failed with status ${status}`);
    return Object.fromEntries(timesMs.map((ms) => [ms, readFileSync(join(folder, `${ms}.png`))]));
  } finally {
    xvfb.kill();
    rmSync(folder, { recursive: true, force: true });
  }
}
