#!/usr/bin/env python3
"""Writes a zip that depends on nothing but the files' bytes: every entry
with the same time (1980-01-01 00:00), the same permissions (0644), in the order
given, and last SHA256SUMS over the files, as sha256sum -c reads it.

    bundle.py OUT_ZIP NAME=PATH...
"""
import hashlib
import sys
import zipfile


def add(archive, name, data):
    entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
    # A regular file that its owner may write and everyone read (0644), as
    # unzip on Linux then makes it; no owner carried along.
    entry.create_system = 3
    entry.external_attr = 0o100644 << 16
    entry.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(entry, data, compresslevel=9)


def main():
    out, files = sys.argv[1], [arg.split("=", 1) for arg in sys.argv[2:]]
    sums = ""
    with zipfile.ZipFile(out, "w") as archive:
        for name, path in files:
            data = open(path, "rb").read()
            add(archive, name, data)
            sums += f"{hashlib.sha256(data).hexdigest()}  {name}\n"
        add(archive, "SHA256SUMS", sums.encode())
    return 0


if __name__ == "__main__":
    sys.exit(main())
