// The player's files in the browser: the state file, and any small file the
// game keeps beside it, live in /tripath, a folder in memory that this store
// keeps in two places:
//   - IndexedDB (database "/tripath", as earlier versions of the page kept
//     it), written a moment after each save, merged with what it holds then:
//     another tab of the game may have written there meanwhile;
//   - a synchronous copy in localStorage, written during the save itself, so
//     that a tab closed or reloaded right after a change keeps it.
// The game merges the two copies when it reads a file (web_host.cpp). A
// read that fails or takes over 3 s starts the game without touching either
// place for the session, and the page says that progress will not be kept.
// A page coming back into view reads IndexedDB again before the game goes
// on. Nothing in this store knows the files' formats: merges go through the
// game (tripath_merge_kept).
var TripathStore = (function() {
  var DB_NAME = '/tripath', DB_VERSION = 21, STORE = 'FILE_DATA', FOLDER = '/tripath/';
  var LOCAL = 'tripath:';
  var TIMEOUT_MS = 3000;

  var db = null;
  var state = 'reading';  // then 'ready', or 'off' for the session
  var times = {};         // path: time (ms) of the IndexedDB copy held in /tripath
  var dirty = {};         // path: time of a write not yet in IndexedDB
  var flushing = false, refreshing = false;
  var failures = 0;       // writes IndexedDB turned down, not yet reported
  var idleWaiters = [];
  var wantPersist = false, askedPersist = false;

  function warn(text) { console.warn('Tripath: ' + text); }

  // `done` as called once, with an error if nothing else called it within
  // the time allowed; a connection that comes too late is closed.
  function answerOnce(done) {
    var answered = false;
    var timer = setTimeout(function() { answer('no answer within ' + TIMEOUT_MS / 1000 + ' s'); },
                           TIMEOUT_MS);
    function answer(error, value) {
      if (answered) {
        if (value && value.close) value.close();
        return;
      }
      answered = true;
      clearTimeout(timer);
      done(error, value);
    }
    return answer;
  }

  // Calls `answer` when the transaction ends: with null once it is complete,
  // else with what went wrong.
  function endWith(transaction, answer, failure) {
    transaction.oncomplete = function() { answer(null); };
    transaction.onabort = transaction.onerror = function(event) {
      if (event && event.preventDefault) event.preventDefault();
      answer(transaction.error || failure);
    };
  }

  // A fresh connection, or the reason there is none.
  function open(done) {
    var answer = answerOnce(done);
    try {
      if (typeof indexedDB == 'undefined' || !indexedDB) return answer('no IndexedDB');
      var request = indexedDB.open(DB_NAME, DB_VERSION);
      request.onupgradeneeded = function() {
        var upgraded = request.result;
        var files = upgraded.objectStoreNames.contains(STORE)
                        ? request.transaction.objectStore(STORE)
                        : upgraded.createObjectStore(STORE);
        if (!files.indexNames.contains('timestamp'))
          files.createIndex('timestamp', 'timestamp', {unique: false});
      };
      request.onsuccess = function() {
        var connection = request.result;
        // Another tab's newer version of the page asks to upgrade: let it.
        connection.onversionchange = function() {
          connection.close();
          if (db === connection) db = null;
        };
        answer(null, connection);
      };
      request.onerror = function(event) {
        if (event && event.preventDefault) event.preventDefault();
        answer(request.error || 'the database did not open');
      };
      request.onblocked = function() { answer('the database is held by another tab'); };
    } catch (error) {
      answer(error);
    }
  }

  // The files IndexedDB holds, as {path: {time, bytes}}; or the reason not.
  function readAll(connection, done) {
    var files = {};
    var answer = answerOnce(function(error) { done(error, files); });
    try {
      var transaction = connection.transaction([STORE], 'readonly');
      var cursor = transaction.objectStore(STORE).openCursor();
      cursor.onsuccess = function() {
        var at = cursor.result;
        if (!at) return;
        var key = String(at.key), value = at.value;
        if (key.indexOf(FOLDER) == 0 && value && value.contents && !/\.tmp$/.test(key)) {
          files[key] = {
            time: value.timestamp ? new Date(value.timestamp).getTime() : 0,
            bytes: new Uint8Array(value.contents)
          };
        }
        at.continue();
      };
      endWith(transaction, answer, 'the files could not be read');
    } catch (error) {
      answer(error);
    }
  }

  function readFile(path) {
    try {
      return FS.readFile(path);
    } catch (missing) {
      return null;
    }
  }

  function writeFile(path, bytes, time) {
    FS.writeFile(path, bytes);
    times[path] = time;
  }

  // Through the game's merge for the file: what to keep of two copies.
  function merge(path, older, newer) {
    return Module['tripathMergeKept'] ? Module['tripathMergeKept'](path, older, newer) : newer;
  }

  function settle() {
    if (flushing || refreshing) return;
    var waiters = idleWaiters;
    idleWaiters = [];
    waiters.forEach(function(waiter) { waiter(); });
  }

  // Writes one file to IndexedDB, merged with the copy there now, in one
  // transaction; the copy in memory becomes that merge too.
  function writeOne(connection, path, time, done) {
    var finished = false;
    function end(error) {
      if (finished) return;
      finished = true;
      done(error);
    }
    try {
      var transaction = connection.transaction([STORE], 'readwrite');
      var files = transaction.objectStore(STORE);
      var get = files.get(path);
      get.onsuccess = function() {
        var mine = readFile(path);
        if (!mine) return;
        var stored = get.result && get.result.contents ? new Uint8Array(get.result.contents) : null;
        var kept = stored ? merge(path, stored, mine) : mine;
        files.put({timestamp: new Date(time), mode: 33206, contents: kept}, path);
        if (stored) writeFile(path, kept, time);
      };
      endWith(transaction, end, 'the write was turned down');
    } catch (error) {
      end(error);
    }
  }

  // Writes what is dirty, one file after another; a failed write is tried
  // once more on a fresh connection before it is reported.
  function flush() {
    if (flushing || refreshing || state != 'ready') return;
    var paths = Object.keys(dirty);
    if (!paths.length) return settle();
    var path = paths[0], time = dirty[path];
    delete dirty[path];
    flushing = true;
    function attempt(connection, retried) {
      writeOne(connection, path, time, function(error) {
        if (!error) {
          flushing = false;
          return flush();
        }
        if (!retried) {
          if (db) db.close();
          db = null;
          return open(function(openError, fresh) {
            if (openError) return failed(error);
            db = fresh;
            attempt(fresh, true);
          });
        }
        failed(error);
      });
    }
    function failed(error) {
      warn('progress could not be stored in the browser: ' + error);
      ++failures;
      flushing = false;
      flush();
    }
    if (db) return attempt(db, false);
    open(function(error, connection) {
      if (error) return failed(error);
      db = connection;
      attempt(connection, false);
    });
  }

  function local(path) {
    try {
      var copy = JSON.parse(localStorage.getItem(LOCAL + path) || 'null');
      if (!copy || typeof copy.d != 'string') return null;
      var bytes = new Uint8Array(copy.d.length);
      for (var i = 0; i < copy.d.length; ++i) bytes[i] = copy.d.charCodeAt(i) & 255;
      return {time: +copy.t || 0, bytes: bytes};
    } catch (unavailable) {
      return null;
    }
  }

  function setLocal(path, bytes, time) {
    try {
      var text = '';
      for (var i = 0; i < bytes.length; i += 4096)
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 4096));
      localStorage.setItem(LOCAL + path, JSON.stringify({t: time, d: text}));
    } catch (unavailable) {
      // IndexedDB still gets the file.
    }
  }

  function askPersist() {
    if (!wantPersist || askedPersist) return;
    askedPersist = true;
    var storage = navigator.storage;
    if (!storage || !storage.persist) return;
    storage.persisted().then(function(already) {
      if (!already) return storage.persist();
    }).catch(function() {});
  }
  // Browsers grant persistence from a gesture of the player's, if at all.
  ['click', 'keydown', 'touchend'].forEach(function(type) {
    window.addEventListener(type, askPersist, true);
  });

  function start() {
    try {
      FS.mkdir(FOLDER.slice(0, -1));
    } catch (exists) {
    }
    addRunDependency('tripath-progress');
    function ready(error, files) {
      if (error) {
        state = 'off';
        warn('saved progress could not be read: ' + error);
        if (Module['onStorageUnavailable'])
          Module['onStorageUnavailable'](typeof indexedDB == 'undefined' || !indexedDB);
      } else {
        state = 'ready';
        Object.keys(files).forEach(function(path) {
          writeFile(path, files[path].bytes, files[path].time);
        });
      }
      removeRunDependency('tripath-progress');
    }
    open(function(error, connection) {
      if (error) return ready(error);
      db = connection;
      readAll(connection, ready);
    });
  }

  return {
    start: start,
    // 'ready', 'off' (not to be touched this session) or 'reading'.
    state: function() { return state; },
    // The time of the IndexedDB copy in /tripath, and the localStorage copy.
    time: function(path) { return times[path] || 0; },
    local: local,
    // A file just written in /tripath at `time`: copied to localStorage now,
    // to IndexedDB soon.
    kept: function(path, time) {
      if (state != 'ready') return;
      var bytes = readFile(path);
      if (bytes) setLocal(path, bytes, time);
      times[path] = time;
      dirty[path] = time;
      flush();
    },
    // IndexedDB read again into /tripath (a page coming back into view);
    // `done` runs when that is over, or has failed, and nothing else is
    // under way.
    refresh: function(done) {
      if (done) idleWaiters.push(done);
      if (state != 'ready' || refreshing) return settle();
      refreshing = true;
      function over() {
        refreshing = false;
        flush();
        settle();
      }
      function read(connection) {
        readAll(connection, function(error, files) {
          if (error) {
            warn('saved progress could not be read again: ' + error);
            return over();
          }
          Object.keys(files).forEach(function(path) {
            var file = files[path], mine = readFile(path);
            if (!mine) return writeFile(path, file.bytes, file.time);
            if (file.time == times[path]) return;
            var newer = file.time > (times[path] || 0);
            writeFile(path, newer ? merge(path, mine, file.bytes) : merge(path, file.bytes, mine),
                      Math.max(file.time, times[path] || 0));
          });
          over();
        });
      }
      var wait = function() {
        if (flushing) return setTimeout(wait, 20);
        if (db) return read(db);
        open(function(error, connection) {
          if (error) return over();
          db = connection;
          read(connection);
        });
      };
      wait();
    },
    // Runs `done` once nothing is being written or read.
    whenIdle: function(done) {
      idleWaiters.push(done);
      settle();
    },
    takeFailure: function() {
      if (!failures) return false;
      --failures;
      return true;
    },
    keepForGood: function() { wantPersist = true; }
  };
})();
Module['tripathStore'] = TripathStore;
// The game's merge of two copies of a kept file (web_host.cpp), on bytes.
Module['tripathMergeKept'] = function(path, older, newer) {
  var name = new TextEncoder().encode(path);
  [name, older, newer].forEach(function(bytes, which) {
    HEAPU8.set(bytes, _tripath_kept_buffer(which, bytes.length));
  });
  var size = _tripath_merge_kept();
  var at = _tripath_kept_result();
  return HEAPU8.slice(at, at + size);
};
Module['preRun'] = [].concat(Module['preRun'] || [], TripathStore.start);
