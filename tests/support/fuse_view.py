#!/usr/bin/python3
"""A view of a folder through FUSE, as network shares and cloud mounts make
them: file numbers of its own, and optionally names that begin with a dot
hidden (left out of listings and lookups) or refused, or one file that grows
whenever its size is asked for (by a megabyte, up to 256).

    fuse_view.py plain|hide-dots|refuse-dots|grow=NAME FOLDER MOUNTPOINT
"""
import errno
import itertools
import os
import sys

try:
    from fusepy import FUSE, FuseOSError, Operations  # Debian's python3-fusepy
except ImportError:
    from fuse import FUSE, FuseOSError, Operations


class View(Operations):
    def __init__(self, root, mode):
        self.root, self.mode = root, mode
        self.numbers, self.counter = {}, itertools.count(1000)
        self.grow = mode[5:] if mode.startswith("grow=") else None
        self.grown = 0

    def real(self, path, creating=False):
        dotted = os.path.basename(path).startswith(".")
        if dotted and self.mode == "refuse-dots":
            raise FuseOSError(errno.EACCES)
        # A hiding view still makes the file where asked: it is only never seen.
        if dotted and self.mode == "hide-dots" and not creating:
            raise FuseOSError(errno.ENOENT)
        return self.root + path

    def getattr(self, path, fh=None):
        st = os.lstat(self.real(path))
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_blocks", "st_atime", "st_mtime", "st_ctime")
        attrs = {key: getattr(st, key) for key in keys}
        attrs["st_ino"] = self.numbers.setdefault(path, next(self.counter))
        if path == "/" + str(self.grow):
            self.grown = min(self.grown + (1 << 20), 256 << 20)
            attrs["st_size"] += self.grown
            attrs["st_blocks"] = (attrs["st_size"] + 511) // 512
        return attrs

    def readdir(self, path, fh):
        names = os.listdir(self.real(path))
        return [".", ".."] + [n for n in names if not (self.mode == "hide-dots" and n.startswith("."))]

    def read(self, path, size, offset, fh):
        data = os.pread(fh, size, offset)
        if path == "/" + str(self.grow):
            end = min(offset + size, os.fstat(fh).st_size + self.grown)
            data += bytes(max(0, end - offset - len(data)))
        return data

    def create(self, path, mode, fi=None):
        return os.open(self.real(path, True), os.O_RDWR | os.O_CREAT | os.O_EXCL, mode)

    def open(self, path, flags):
        return os.open(self.real(path), flags & ~os.O_CREAT)

    def write(self, path, data, offset, fh):
        return os.pwrite(fh, data, offset)

    def release(self, path, fh):
        os.close(fh)

    def fsync(self, path, datasync, fh):
        os.fsync(fh)

    def truncate(self, path, length, fh=None):
        os.truncate(self.real(path), length)

    def unlink(self, path):
        os.unlink(self.real(path))

    def rename(self, old, new):
        os.rename(self.real(old), self.real(new, True))

    def chmod(self, path, mode):
        os.chmod(self.real(path), mode)

    def chown(self, path, uid, gid):
        os.chown(self.real(path), uid, gid)

    def utimens(self, path, times=None):
        os.utime(self.real(path), times)

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {key: getattr(st, key) for key in ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail",
                                                  "f_files", "f_ffree", "f_favail", "f_namemax")}


if __name__ == "__main__":
    FUSE(View(os.path.realpath(sys.argv[2]), sys.argv[1]), sys.argv[3],
         foreground=False, allow_other=True, use_ino=True, attr_timeout=0, entry_timeout=0)
