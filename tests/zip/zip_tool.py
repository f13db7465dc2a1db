#!/usr/bin/env python3
"""Zip files as other programs make them, and a second opinion on the zips we write.

  zip_tool.py check ZIP OUT        test every entry's CRC, extract into OUT, print the names
  zip_tool.py foreign ZIP          a zip with a folder entry, stored and deflated entries,
                                   UTF-8 and DOS code page names, backslash names, zip64
  zip_tool.py hostile ZIP          entries whose names lead outside the destination
  zip_tool.py bomb ZIP             an entry holding far more data than its directory declares
"""
import struct
import sys
import zipfile


def check(path, out):
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            print("BAD " + bad)
            return 1
        z.extractall(out)
        for info in z.infolist():
            print(info.filename)
    return 0


def foreign(path):
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(zipfile.ZipInfo("MyCar/"), b"")
        stored = zipfile.ZipInfo("MyCar/car.viv", date_time=(2001, 2, 3, 4, 5, 6))
        stored.compress_type = zipfile.ZIP_STORED
        z.writestr(stored, b"stored car archive " * 50)
        z.writestr(zipfile.ZipInfo("MyCar/carp.txt"), b"carp values\r\n" * 30, zipfile.ZIP_DEFLATED)
        z.writestr("MyCar/Gr\u00fc\u00dfe.txt", b"utf-8 name", zipfile.ZIP_DEFLATED)
        dos = zipfile.ZipInfo("MyCar/cafX.txt")
        dos.create_system = 0  # written on DOS: the name is in code page 437
        z.writestr(dos, b"dos name", zipfile.ZIP_DEFLATED)
        unix = zipfile.ZipInfo("MyCar/unixXX.txt")
        unix.create_system = 3  # written on Unix: a UTF-8 name without the UTF-8 flag
        z.writestr(unix, b"unix name", zipfile.ZIP_DEFLATED)
        z.writestr(zipfile.ZipInfo("Speedway\\TR04.frd"), b"backslash route " * 20, zipfile.ZIP_DEFLATED)
        big = zipfile.ZipInfo("MyCar/fedata.eng")
        big.compress_type = zipfile.ZIP_DEFLATED
        with z.open(big, "w", force_zip64=True) as f:
            f.write(b"zip64 entry " * 100)
        z.writestr(zipfile.ZipInfo("MyCar/empty.txt"), b"")
    data = open(path, "rb").read()
    # "cafX.txt" becomes the code page 437 spelling of "caf\u00e9.txt" (0x82 = e acute).
    # "unixXX.txt" becomes "unix\u00fc.txt" in UTF-8, still without the flag.
    data = data.replace(b"cafX.txt", b"caf\x82.txt").replace(b"unixXX.txt", b"unix\xc3\xbc.txt")
    open(path, "wb").write(data)


def hostile(path):
    names = ["../evil1.txt", "..\\evil2.txt", "/tmp/krax-zip-test-evil3.txt", "\\evil4.txt", "C:\\evil5.txt",
             "C:evil6.txt", "ok/../../evil7.txt", "link/evil8.txt", "good/fine.txt"]
    with zipfile.ZipFile(path, "w") as z:
        for name in names:
            z.writestr(zipfile.ZipInfo(name), ("content of " + name).encode())


def bomb(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("bomb.bin", b"\0" * 4000000)
    data = bytearray(open(path, "rb").read())
    central = data.index(b"PK\x01\x02")
    struct.pack_into("<I", data, central + 24, 1000)  # declared uncompressed size
    struct.pack_into("<I", data, 22, 1000)             # the local header says the same
    open(path, "wb").write(bytes(data))


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    {"foreign": foreign, "hostile": hostile, "bomb": bomb}[command](sys.argv[2])
