"""A file system that ignores letter case, for tests: it shows the folder
BACKING at MOUNTPOINT, finding each name whatever its case, as FAT or a
casefolded ext4 folder would. It takes links and plain renames.
Run: caseless_fs.py BACKING MOUNTPOINT (stays in the foreground)."""

import errno
import os
import sys

import fusepy


class Caseless(fusepy.Operations):
    def __init__(self, backing):
        self.backing = backing

    def real(self, path, must_exist=True):
        """The backing path of `path`, matching each name without case."""
        real = self.backing
        parts = [part for part in path.split("/") if part]
        for depth, part in enumerate(parts):
            if os.path.lexists(os.path.join(real, part)):
                real = os.path.join(real, part)
                continue
            match = [name for name in os.listdir(real) if name.lower() == part.lower()]
            if match:
                real = os.path.join(real, match[0])
            elif must_exist or depth < len(parts) - 1:
                raise fusepy.FuseOSError(errno.ENOENT)
            else:
                real = os.path.join(real, part)
        return real

    def new(self, path):
        """Where a new entry goes: refused when the name exists in any case."""
        real = self.real(path, must_exist=False)
        if os.path.lexists(real):
            raise fusepy.FuseOSError(errno.EEXIST)
        return real

    def getattr(self, path, fh=None):
        st = os.lstat(self.real(path))
        return {key: getattr(st, key) for key in (
            "st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size",
            "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self.real(path))

    def open(self, path, flags):
        return os.open(self.real(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self.new(path), os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        return os.pwrite(fh, data, offset)

    def release(self, path, fh):
        os.close(fh)

    def mkdir(self, path, mode):
        os.mkdir(self.new(path), mode)

    def unlink(self, path):
        os.unlink(self.real(path))

    def rmdir(self, path):
        os.rmdir(self.real(path))

    def link(self, target, source):
        os.link(self.real(source), self.new(target))

    def rename(self, old, new):
        source = self.real(old)
        target = self.real(new, must_exist=False)
        if os.path.lexists(target) and not os.path.samefile(source, target):
            raise fusepy.FuseOSError(errno.EEXIST)
        os.rename(source, os.path.join(os.path.dirname(target), os.path.basename(new)))


if __name__ == "__main__":
    fusepy.FUSE(Caseless(sys.argv[1]), sys.argv[2], foreground=True, use_ino=True, attr_timeout=0,
                entry_timeout=0, negative_timeout=0)
