// The page around the engine: the start screen, the downloads with their progress bar, the
// canvas size, full screen, and the frame loop that drives the engine one step per animation
// frame. The engine itself (tavlen.js + tavlen.wasm, built from the same sources as the
// desktop program) draws on #canvas and handles Escape; its C entry points are the
// _tavlen_* functions of the global Module.
//
// The page downloads tavlen.wasm and tavlen.data itself, so it can show their progress and
// say plainly when one fails, and hands them to tavlen.js through Module.wasmBinary and the
// file packager's getPreloadedPackage hook.
//
// States: loading -> ready -> playing -> ended -> playing ...; failed is final and shows one
// sentence instead of the button. Performance marks "tavlen-ready" (the Play button shows),
// "tavlen-play" and "tavlen-first-frame" time the start-up. window.tavlenPage lets tests and
// tools watch: afterFrame(demoMs), when set, is called right after each engine step, while
// the frame can still be read back.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const progress = document.getElementById('progress');
  const playButton = document.getElementById('play');
  const message = document.getElementById('message');

  const DOWNLOADS = ['tavlen.wasm', 'tavlen.data'];

  let state = 'loading';
  let firstFrameToMark = false;

  const page = {
    afterFrame: null,
    get state() { return state; },
  };
  window.tavlenPage = page;

  function fail(sentence) {
    state = 'failed';
    document.body.classList.remove('playing');
    progress.hidden = true;
    playButton.hidden = true;
    message.textContent = sentence;
    message.hidden = false;
  }

  // A context on a canvas of its own: the engine's canvas must stay free for the engine's
  // context and its attributes.
  function webGLAvailable() {
    try {
      const gl = document.createElement('canvas').getContext('webgl');
      if (!gl)
        return false;
      const loseContext = gl.getExtension('WEBGL_lose_context');
      if (loseContext)
        loseContext.loseContext();
      return true;
    } catch (e) {
      return false;
    }
  }

  // The canvas's drawing buffer in device pixels, so the picture is sharp on dense screens;
  // the engine fits its 4:3 frame into whatever size it is told.
  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const rect = canvas.getBoundingClientRect();
    const widthPx = Math.max(1, Math.round(rect.width * ratio));
    const heightPx = Math.max(1, Math.round(rect.height * ratio));
    if (canvas.width !== widthPx || canvas.height !== heightPx) {
      canvas.width = widthPx;
      canvas.height = heightPx;
    }
    if (state !== 'loading' && state !== 'failed')
      Module._tavlen_resize(widthPx, heightPx);
  }

  // A change of the pixel ratio alone (a window dragged to another screen, a zoom) fires no
  // resize event everywhere; a media query on the current ratio notices it.
  function watchPixelRatio() {
    const query = window.matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
    query.addEventListener('change', () => {
      fitCanvas();
      watchPixelRatio();
    }, { once: true });
  }

  function toggleFullScreen() {
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    else if (document.documentElement.requestFullscreen)
      document.documentElement.requestFullscreen().catch(() => {});
  }

  function showButton(label) {
    progress.hidden = true;
    playButton.textContent = label;
    playButton.hidden = false;
    document.body.classList.remove('playing');
    playButton.focus();
  }

  function frame() {
    if (state !== 'playing')
      return;
    let running;
    try {
      running = Module._tavlen_frame();
    } catch (e) {
      fail('The demo stopped because of an internal error.');
      return;
    }
    if (firstFrameToMark) {
      performance.mark('tavlen-first-frame');
      firstFrameToMark = false;
    }
    if (page.afterFrame)
      page.afterFrame(Module._tavlen_demo_time_ms());
    if (running) {
      requestAnimationFrame(frame);
    } else {
      state = 'ended';
      showButton('Play again');
    }
  }

  // Runs inside the click or key handler: browsers let the AudioContext start only there.
  function play() {
    if (state !== 'ready' && state !== 'ended')
      return;
    performance.mark('tavlen-play');
    let status;
    try {
      status = Module._tavlen_start();
    } catch (e) {
      status = -1;
    }
    if (status !== 0) {
      const reason = status === -1 ? '' : Module.ccall('tavlen_error', 'string', [], []);
      fail(reason || 'The demo could not start.');
      return;
    }
    state = 'playing';
    firstFrameToMark = true;
    playButton.hidden = true;
    document.body.classList.add('playing');
    canvas.focus();
    requestAnimationFrame(frame);
  }

  // Reads one file with progress; rejects with the file's name and what went wrong.
  async function download(name, onProgress) {
    let response;
    try {
      response = await fetch(name);
    } catch (e) {
      throw new Error(`${name}: no answer from the server`);
    }
    if (!response.ok)
      throw new Error(`${name}: HTTP ${response.status}`);
    // A compressed transfer announces its compressed length; the count below is of the
    // decompressed bytes, so it is then only an estimate, and the bar is held below full.
    onProgress(0, Number(response.headers.get('Content-Length')) || 0);
    const reader = response.body.getReader();
    const chunks = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done)
        break;
      chunks.push(value);
      received += value.length;
      onProgress(received, -1);
    }
    const bytes = new Uint8Array(received);
    let offset = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, offset);
      offset += chunk.length;
    }
    return bytes.buffer;
  }

  async function downloadAll() {
    const received = DOWNLOADS.map(() => 0);
    const expected = DOWNLOADS.map(() => 0);
    const show = () => {
      const total = expected.reduce((a, b) => a + b, 0);
      if (expected.includes(0) || total === 0)
        progress.removeAttribute('value');
      else
        progress.value = Math.min(0.99, received.reduce((a, b) => a + b, 0) / total);
    };
    return Promise.all(DOWNLOADS.map((name, i) => download(name, (bytes, length) => {
      received[i] = bytes;
      if (length >= 0)
        expected[i] = length;
      show();
    })));
  }

  function startEngineScript(wasm, data) {
    window.Module = {
      canvas,
      wasmBinary: wasm,
      getPreloadedPackage: () => data,
      print: (text) => console.log(text),
      // The engine's stderr carries notes such as a missing sound device, not page errors.
      printErr: (text) => console.warn(text),
      onAbort: () => fail('The demo stopped because of an internal error.'),
      onRuntimeInitialized: () => {
        state = 'ready';
        fitCanvas();
        showButton('Play');
        performance.mark('tavlen-ready');
      },
    };
    const script = document.createElement('script');
    script.src = 'tavlen.js';
    script.onerror = () => fail('The demo could not be downloaded (tavlen.js); reload the page to try again.');
    document.body.appendChild(script);
  }

  async function load() {
    if (!webGLAvailable()) {
      fail('This browser cannot show the demo because WebGL is not available in it.');
      return;
    }
    let files;
    try {
      files = await downloadAll();
    } catch (e) {
      fail(`The demo could not be downloaded (${e.message}); reload the page to try again.`);
      return;
    }
    startEngineScript(files[0], files[1]);
  }

  playButton.addEventListener('click', play);
  document.addEventListener('keydown', (event) => {
    if (event.repeat || event.ctrlKey || event.altKey || event.metaKey)
      return;
    if (event.key === 'Enter' || event.key === ' ') {
      if (state === 'ready' || state === 'ended') {
        event.preventDefault();  // the focused button would start it a second time
        play();
      }
    } else if (event.key === 'f' || event.key === 'F') {
      toggleFullScreen();
    }
  });
  document.addEventListener('dblclick', (event) => {
    if (event.target !== playButton)
      toggleFullScreen();
  });
  window.addEventListener('resize', fitCanvas);
  // A hidden tab gets no frames and no resize events; the size may have changed meanwhile.
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden)
      fitCanvas();
  });
  watchPixelRatio();
  fitCanvas();
  load();
})();
