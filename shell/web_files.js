// The page's persistent folder: /tripath is kept in the browser's IndexedDB
// and read back before the game starts, so the game finds the progress it
// saved on an earlier visit. Where the browser keeps no IndexedDB (some
// private windows), the game still runs and forgets its progress on leaving.
Module['preRun'] = [].concat(Module['preRun'] || [], function() {
  FS.mkdir('/tripath');
  FS.mount(IDBFS, {}, '/tripath');
  addRunDependency('tripath-progress');
  FS.syncfs(true, function(error) {
    if (error) console.warn('Tripath: saved progress could not be read: ' + error);
    removeRunDependency('tripath-progress');
  });
});
