// The module's files. The module is built without Emscripten's file system (the page reads and
// writes no file) and the page has no standard input: a read from it finds its end at once, so
// a command told to read its values from "-" reads none, as from an empty file; and no file
// opens (a command naming one says it cannot read it), rather than every name opening as the
// standard input.

mergeInto(LibraryManager.library, {
  fd_read__sig: 'iiiii',
  fd_read: function (fd, iov, iovcnt, pnum) {
    HEAP32[pnum >> 2] = 0;
    return 0;
  },
  __syscall_open__sig: 'iiii',
  __syscall_open: function (path, flags, varargs) {
    return -44;  // ENOENT in the module's numbering of errors
  },
  __syscall_stat64__sig: 'iii',
  __syscall_stat64: function (path, buf) {
    return -44;
  },
  __syscall_fstatat64__sig: 'iiiii',
  __syscall_fstatat64: function (dirfd, path, buf, flags) {
    return -44;
  },
});
