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

