// Runs inside vx1.js before the program starts (--pre-js).
//
// The archives the page downloaded (vx1Archives: file name to bytes, the
// names as the page fetched them) go into the in-memory file system in the
// current folder, where the program looks for them; a missing download
// leaves its file absent, and the program reports a missing vx-1.lib itself
// (a missing sharp one only leaves the sharp show on the classic data).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  var archives = Module['vx1Archives'] || {};
  Object.keys(archives).forEach(function(name) {
    if (archives[name]) FS.writeFile('/' + name, archives[name]);
  });
  Module['vx1Archives'] = null;
});

// The sharp archive downloaded while the classic show plays: written beside
// the classic one under the name it was fetched by, then joined to the open
// archives by the program (vx1_add_sharp_library). True when it joined.
Module['vx1AddSharpArchive'] = function(name, bytes) {
  FS.writeFile('/' + name, bytes);
  return Module['_vx1_add_sharp_library']() === 1;
};

// exit() anywhere in the program (its own failure reports end it with
// code 1) reaches the page. The runtime also calls this when main first
// suspends itself: that is no end (asyncify then holds the unwound stack).
Module['quit'] = function(status, toThrow) {
  if (!(typeof Asyncify === 'object' && Asyncify.currData)) Module['vx1Hooks'].finished(status);
  throw toThrow;
};
