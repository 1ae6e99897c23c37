// The program's side of the page: the canvas, the keys, WebAudio and the
// reports the page shows. Linked into vx1.js with --js-library. The page
// (index.html) sets Module.canvas, Module.vx1Audio (its AudioContext, or
// none), Module.vx1Decoded (an object of its own that keeps the music's
// latest decoding from one run of the program to the next, see VX1Music)
// and Module.vx1Hooks, the callbacks that keep its status current:
//   presented(frame)  a frame reached the canvas; frame() gives its bytes
//                     as still() has them (a copy, made only when asked)
//   resumed()         the program runs again after a present
//   still(bytes)      a still frame: width x height 0x00RRGGBB words,
//                     rows packed (256000 bytes for the classic frame)
//   resized(w, h)     the canvas was made w x h pixels for a frame of
//                     that size (before the frame is drawn on it)
//   sharpSize()       the sharp show's [width, height]: the native size
//   takeQuit()        true once when Escape was pressed
//   takeInput()       the oldest viewer's input waiting, {action, seconds}
//                     (action a ViewerAction name), or null
//   box(caption, text) a message box
//   ticks(t, paused)  a reading of the music clock, and whether it is paused
//   status(line)      the status line's text with each frame it shows, ""
//                     once it is turned off
//   slots(show)       the show's schedule, {ticksPerSecond, end, slots, views}
//   musicStarted()    the music was asked to play (at each start and seek)
//   finished(code)    the program ended with an exit code
// vx1_present and vx1_music_decode suspend the program (asyncify imports).

mergeInto(LibraryManager.library, {
  $VX1Canvas: {
    context: null,
    image: null,
    pixels: null,  // the image's bytes as little-endian words
    // Copies the frame, width x height words 0x00RRGGBB (bytes B, G, R, x
    // in memory) whose rows lie pitch words apart, onto the canvas as opaque
    // RGBA. A frame of another size than the last makes the canvas (and its
    // image) that size first, which clears it.
    draw: function(fb, width, height, pitch) {
      var canvas = Module['canvas'];
      if (!VX1Canvas.context) VX1Canvas.context = canvas.getContext('2d', {alpha: false});
      if (!VX1Canvas.image || VX1Canvas.image.width !== width || VX1Canvas.image.height !== height) {
        canvas.width = width;
        canvas.height = height;
        VX1Canvas.image = VX1Canvas.context.createImageData(width, height);
        VX1Canvas.pixels = new Uint32Array(VX1Canvas.image.data.buffer);
        if (Module['vx1Hooks'].resized) Module['vx1Hooks'].resized(width, height);
      }
      // Word by word: 0x00RRGGBB becomes the RGBA bytes R, G, B, 255, which
      // a little-endian word holds as 0xFFBBGGRR (wasm memory and every
      // browser's typed arrays are little-endian).
      var rgba = VX1Canvas.pixels;
      for (var y = 0; y < height; y++) {
        var from = (fb >> 2) + y * pitch, to = y * width;
        for (var x = 0; x < width; x++) {
          var word = HEAPU32[from + x];
          rgba[to + x] = 0xFF000000 | (word & 0xFF) << 16 | (word & 0xFF00) | (word >>> 16 & 0xFF);
        }
      }
      VX1Canvas.context.putImageData(VX1Canvas.image, 0, 0);
    },
    // The frame's bytes, rows packed, with the unused top byte of each word
    // cleared, as the native frame files hold them.
    words: function(fb, width, height, pitch) {
      var row = width * 4;
      var bytes = new Uint8Array(row * height);
      for (var y = 0; y < height; y++)
        bytes.set(HEAPU8.subarray(fb + y * pitch * 4, fb + y * pitch * 4 + row), y * row);
      for (var i = 3; i < bytes.length; i += 4) bytes[i] = 0;
      return bytes;
    },
  },

  // The sharp frame's size, as the page chooses it (sharpSize).
  vx1_native_size: function(size) {
    var chosen = Module['vx1Hooks'].sharpSize();
    HEAP32[size >> 2] = chosen[0];
    HEAP32[(size >> 2) + 1] = chosen[1];
  },

  vx1_present__deps: ['$VX1Canvas', '$callUserCallback'],
  vx1_present: function(fb, width, height, pitch) {
    VX1Canvas.draw(fb, width, height, pitch);
    var hooks = Module['vx1Hooks'];
    hooks.presented(function() { return VX1Canvas.words(fb, width, height, pitch); });
    return Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() {
        if (hooks.resumed) hooks.resumed();
        callUserCallback(function() { wakeUp(0); });
      });
    });
  },

  vx1_take_quit: function() {
    return Module['vx1Hooks'].takeQuit() ? 1 : 0;
  },

  vx1_take_input: function(action, size, seconds) {
    var input = Module['vx1Hooks'].takeInput();
    if (!input) return 0;
    stringToUTF8(input.action, action, size);
    HEAPF64[seconds >> 3] = input.seconds || 0;
    return 1;
  },

  vx1_show_slots: function(json) {
    Module['vx1Hooks'].slots(JSON.parse(UTF8ToString(json)));
  },

  vx1_show_box: function(caption, text) {
    Module['vx1Hooks'].box(UTF8ToString(caption), UTF8ToString(text));
  },

  vx1_show_still__deps: ['$VX1Canvas'],
  vx1_show_still: function(frame, width, height, pitch) {
    VX1Canvas.draw(frame, width, height, pitch);
    Module['vx1Hooks'].still(VX1Canvas.words(frame, width, height, pitch));
  },

  vx1_report_ticks: function(ticks, paused) {
    Module['vx1Hooks'].ticks(ticks, paused !== 0);
  },

  vx1_report_status: function(line) {
    Module['vx1Hooks'].status(UTF8ToString(line));
  },

  vx1_finished: function(code) {
    Module['vx1Hooks'].finished(code);
  },

  $VX1Music: {
    buffer: null,
    source: null,
    error: '',
    // The latest decoding, {bytes, promise}: in the page's Module.vx1Decoded,
    // so that a new run of the program with the same music takes the buffer
    // an earlier run decoded instead of decoding it again (a second or so of
    // a replay's start); the instance's own without it.
    own: {},
    // The decoding of bytes (which may be a view of the heap): the latest
    // one when it is of the same bytes, else a new one, which becomes the
    // latest.
    decoding: function(context, bytes) {
      var latest = Module['vx1Decoded'] || VX1Music.own;
      if (latest.bytes && VX1Music.same(latest.bytes, bytes)) return latest.promise;
      var copy = bytes.slice();
      // decodeAudioData takes the buffer over: it gets a copy of its own.
      var promise = new Promise(function(resolve, reject) {
        context.decodeAudioData(copy.slice().buffer).then(resolve, reject);
      });
      promise.catch(function() {});  // reported if the program asks for it
      latest.bytes = copy;
      latest.promise = promise;
      return promise;
    },
    same: function(a, b) {
      if (a.length !== b.length) return false;
      for (var i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
      return true;
    },
  },

  vx1_music_decode_ahead__deps: ['$VX1Music'],
  vx1_music_decode_ahead: function(data, size) {
    var context = Module['vx1Audio'];
    if (context) VX1Music.decoding(context, HEAPU8.subarray(data, data + size));
  },

  vx1_music_decode__deps: ['$VX1Music', '$callUserCallback'],
  vx1_music_decode: function(data, size) {
    return Asyncify.handleSleep(function(wakeUp) {
      var context = Module['vx1Audio'];
      if (!context) {
        VX1Music.error = 'this page has no AudioContext';
        wakeUp(-1);
        return;
      }
      var bytes = HEAPU8.subarray(data, data + size);
      var done = function(result) {
        callUserCallback(function() { wakeUp(result); });
      };
      try {
        VX1Music.decoding(context, bytes).then(function(buffer) {
          VX1Music.buffer = buffer;
          done(0);
        }, function(error) {
          VX1Music.error = String(error && error.message || error);
          done(-2);
        });
      } catch (error) {
        VX1Music.error = String(error && error.message || error);
        done(-2);
      }
    });
  },

  vx1_music_error__deps: ['$VX1Music'],
  vx1_music_error: function(buffer, size) {
    stringToUTF8(VX1Music.error, buffer, size);
  },

  vx1_music_play__deps: ['$VX1Music'],
  vx1_music_play: function(offsetSeconds, loop) {
    var context = Module['vx1Audio'];
    // One source at a time: a play without a stop before it (a seek, a
    // resume) must not leave the old one sounding under the new.
    if (VX1Music.source) {
      try { VX1Music.source.stop(); } catch (error) {}
      VX1Music.source.disconnect();
    }
    var source = context.createBufferSource();
    source.buffer = VX1Music.buffer;
    source.loop = !!loop;
    source.connect(context.destination);
    var now = context.currentTime;
    source.start(0, Math.max(0, offsetSeconds));
    VX1Music.source = source;
    if (Module['vx1Hooks'].musicStarted) Module['vx1Hooks'].musicStarted();
    return now;
  },

  // contextTime, latency, outputContextTime, outputPerformanceTime,
  // performanceNow (seconds), as AudioContextReading holds them.
  vx1_music_read: function(reading) {
    var context = Module['vx1Audio'];
    var out = {contextTime: 0, performanceTime: 0};
    if (context.getOutputTimestamp) out = context.getOutputTimestamp();
    var at = reading >> 3;
    HEAPF64[at] = context.currentTime;
    HEAPF64[at + 1] = (context.baseLatency || 0) + (context.outputLatency || 0);
    HEAPF64[at + 2] = out.contextTime || 0;
    HEAPF64[at + 3] = (out.performanceTime || 0) / 1000;
    HEAPF64[at + 4] = performance.now() / 1000;
  },

  vx1_music_stop__deps: ['$VX1Music'],
  vx1_music_stop: function() {
    if (VX1Music.source) {
      try { VX1Music.source.stop(); } catch (error) {}
      VX1Music.source.disconnect();
      VX1Music.source = null;
    }
  },

  vx1_music_free__deps: ['$VX1Music'],
  vx1_music_free: function() {
    VX1Music.buffer = null;
  },
});
