// page.js - the browser build's launcher: the toggles of the desktop
// launcher, kept by the browser across visits in the game's own settings
// store, and Play, which starts the game with the page address's switches
// (index.html?args=-360%20-seed%207). The game's log goes to the console
// and under the canvas; screenshots arrive as downloads.
//
// What tests drive: window.tarnwick.ready (resolves when Play can be
// pressed), tarnwick.play(extraArgs), tarnwick.FS (the program's files),
// tarnwick.storing() (settings still being written to the browser's store),
// and the console line "game ended with code N" when the program ends.
'use strict';

(function () {
  var logBox = document.getElementById('log');
  var playButton = document.getElementById('play');
  var statusLine = document.getElementById('status');
  var toggles = Array.prototype.slice.call(document.querySelectorAll('.toggle'));
  // Bits of the stored "flags" when nothing is stored yet: vertical sync on,
  // the rest off, as the desktop launcher starts.
  var DEFAULT_FLAGS = 4;
  var flags = DEFAULT_FLAGS;
  var started = false;
  var readyResolve;

  // Lines kept under the canvas; the console gets them all.
  var LOG_LINES = 200;
  function log(text) {
    console.log(text);
    var lines = (logBox.textContent + text + '\n').split('\n');
    if (lines.length > LOG_LINES + 1)
      lines = lines.slice(lines.length - LOG_LINES - 1);
    logBox.textContent = lines.join('\n');
    logBox.scrollTop = logBox.scrollHeight;
  }

  // The switches in the page address's "args", split at white space.
  function addressArgs() {
    var text = new URLSearchParams(window.location.search).get('args');
    return text ? text.trim().split(/\s+/).filter(function (a) { return a.length > 0; }) : [];
  }

  function isOn(button) {
    var set = (flags & Number(button.dataset.bit)) !== 0;
    return button.dataset.inverted ? !set : set;
  }

  function showToggles() {
    toggles.forEach(function (button) {
      var on = isOn(button);
      button.textContent = on ? button.dataset.on : button.dataset.off;
      button.setAttribute('aria-pressed', on ? 'true' : 'false');
    });
  }

  function storeFlags() {
    if (!Module.ccall('web_store_flags', 'number', ['number'], [flags]))
      statusLine.textContent = 'The settings could not be kept: see the log.';
  }

  toggles.forEach(function (button) {
    button.addEventListener('click', function () {
      flags ^= Number(button.dataset.bit);
      showToggles();
      storeFlags();
    });
  });

  function play(extra) {
    if (started)
      return;
    started = true;
    document.getElementById('launcher').hidden = true;
    document.getElementById('stage').hidden = false;
    var canvas = document.getElementById('canvas');
    canvas.focus();
    var args = addressArgs().concat(extra || []);
    log('starting the game' + (args.length ? ' with ' + args.join(' ') : ''));
    Module.callMain(args);
  }

  playButton.addEventListener('click', function () { play([]); });

  // Offers a file the game wrote (a screenshot) as a download.
  function offerDownload(name, data) {
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], { type: 'image/png' }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
  }

  var ready = new Promise(function (resolve) { readyResolve = resolve; });

  window.Module = {
    canvas: document.getElementById('canvas'),
    print: log,
    printErr: log,
    offerDownload: offerDownload,
    onRuntimeInitialized: function () {
      var stored = Module.ccall('web_stored_flags', 'number', [], []);
      flags = stored >= 0 ? stored : DEFAULT_FLAGS;
      showToggles();
      playButton.disabled = false;
      playButton.textContent = 'Play';
      var args = addressArgs();
      statusLine.textContent = args.length ? 'Switches from the address: ' + args.join(' ') : '';
      readyResolve();
    },
    onExit: function (code) {
      log('game ended with code ' + code);
      document.getElementById('stage').hidden = true;
      var launcher = document.getElementById('launcher');
      launcher.hidden = false;
      playButton.disabled = true;
      playButton.textContent = 'Game over';
      statusLine.textContent = code === 0 ? 'Reload the page to play again.'
                                          : 'The game stopped (code ' + code + '): see the log below.';
    },
    onAbort: function (what) {
      log('game ended with code 101 (' + what + ')');
      statusLine.textContent = 'The game failed: see the log below.';
    },
  };

  window.tarnwick = {
    ready: ready,
    play: play,
    storing: function () { return (Module.storesPending || 0) > 0; },
    get FS() { return Module.FS; },
  };

  var script = document.createElement('script');
  script.src = 'tarnwick.js';
  script.onerror = function () { statusLine.textContent = 'tarnwick.js could not be loaded.'; };
  document.body.appendChild(script);
})();
