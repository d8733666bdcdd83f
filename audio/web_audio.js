// Browsers keep a page's sound off until the player has done something on
// it: every AudioContext starts suspended. Each one the sound device opens
// is resumed on the first click, touch or key, and again on any later one
// should the browser have suspended it meanwhile.
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
  function resume() {
    contexts.forEach(function(context) {
      if (context.state != 'running' && context.state != 'closed') context.resume();
    });
  }
  ['pointerdown', 'pointerup', 'mousedown', 'touchend', 'keydown', 'click'].forEach(function(type) {
    window.addEventListener(type, resume, true);
  });
})();
