// sdlShims.js - what SDL2 2.26 expects of emscripten's JavaScript and Debian's
// emscripten 3.1.6 lacks.

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
