// The module's standard input. The module is built without Emscripten's file system (the page
// reads and writes no file), and the page has no standard input: a read finds its end at once,
// so a command told to read its values from "-" reads none, as from an empty file.
mergeInto(LibraryManager.library, {
  fd_read__sig: 'iiiii',
  fd_read: function (fd, iov, iovcnt, pnum) {
    HEAP32[pnum >> 2] = 0;
    return 0;
  },
});
