// Browsers keep a page's sound off until the player has done something on
// it: every AudioContext starts suspended. Each one the sound device opens
// is resumed on the first click, touch or key, and again on any later one
// should the browser have suspended it meanwhile.
// A page embedded in another and scrolled out of view gets no frames, and
// no word that it is hidden: the game stops, but a note it was playing would
// drone on. So sound is suspended while frames stop coming, and resumed
// when they come again.
(function() {
  var Native = typeof AudioContext != 'undefined' ? AudioContext
               : typeof webkitAudioContext != 'undefined' ? webkitAudioContext : null;
  if (!Native) return;
  var contexts = [];
  class GameAudioContext extends Native {
    constructor(options) {
      super(options);
      contexts.push(this);
    }
  }
  window.AudioContext = GameAudioContext;
  if (typeof webkitAudioContext != 'undefined') window.webkitAudioContext = GameAudioContext;
  var stalled = false, lastFrame = 0;
  function resume() {
    if (stalled) return;
    contexts.forEach(function(context) {
      if (context.state != 'running' && context.state != 'closed') {
        var resumed = context.resume();
        if (resumed && resumed.catch) resumed.catch(function() {});
      }
    });
  }
  function frame() {
    lastFrame = performance.now();
    if (stalled) {
      stalled = false;
      resume();
    }
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
  setInterval(function() {
    if (stalled || !lastFrame || performance.now() - lastFrame < 500) return;
    stalled = true;
    contexts.forEach(function(context) {
      if (context.state == 'running') context.suspend();
    });
  }, 250);
  ['pointerdown', 'pointerup', 'mousedown', 'touchend', 'keydown', 'click'].forEach(function(type) {
    window.addEventListener(type, resume, true);
  });
})();
