// Runs inside vx1.js before the program starts (--pre-js).
//
// The archive the page downloaded goes into the in-memory file system as
// "vx-1.lib" in the current folder, where the program looks for it; a
// missing download leaves it absent, and the program reports that itself.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (Module['vx1Archive']) FS.writeFile('/vx-1.lib', Module['vx1Archive']);
  Module['vx1Archive'] = null;
});

// exit() anywhere in the program (its own failure reports end it with
// code 1) reaches the page. The runtime also calls this when main first
// suspends itself: that is no end (asyncify then holds the unwound stack).
Module['quit'] = function(status, toThrow) {
  if (!(typeof Asyncify === 'object' && Asyncify.currData)) Module['vx1Hooks'].finished(status);
  throw toThrow;
};
