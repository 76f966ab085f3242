// pre.js - set-up the program needs before it runs in a page: the settings
// folder ($HOME/.config, where the settings store lives) is kept by the
// browser (IndexedDB) and read back before the page may press Play.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var config = '/home/web_user/.config';
  FS.mkdirTree(config);
  FS.mount(IDBFS, {}, config);
  addRunDependency('stored settings');
  FS.syncfs(true, function (err) {
    if (err)
      out('stored settings not read: ' + err);
    removeRunDependency('stored settings');
  });
});

// SDL2's audio code calls this helper of later emscripten releases: a context
// the browser made suspended (no click yet) resumes at the page's next click
// or key press.
var autoResumeAudioContext = function (context, elements) {
  if (!elements)
    elements = [document, document.getElementById('canvas')];
  ['keydown', 'mousedown', 'touchstart'].forEach(function (event) {
    elements.forEach(function (element) {
      if (element) {
        element.addEventListener(event, function () {
          if (context.state === 'suspended')
            context.resume();
        }, { once: true });
      }
    });
  });
};
