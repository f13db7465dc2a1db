#!/usr/bin/env python3
"""Independent cabinet reader for the writer's tests, written from the cabinet format alone.

Usage: cab_check.py FIRST.CAB OUTDIR

Reads FIRST.CAB and every following cabinet of its set (szCabinetNext, same folder), checks
the structure (signature, version, sizes, offsets, checksums, set numbering, predecessor
names), joins folders and split data blocks across cabinets, decompresses none and MSZIP
folders (zlib, raw deflate with the previous block as dictionary) and writes every file to
OUTDIR (backslashes in names become sub-folders). Prints one line per cabinet and per file
record:
  cabinet INDEX flags FLAGS folders N files N size BYTES split SPLITBLOCKS
  file CABINET NAME SIZE IFOLDER
Exit status: 0 good, 1 a check failed (message on stderr), 3 a method this reader lacks.
"""
import os
import struct
import sys
import zlib


class Bad(Exception):
    pass


def csum(data, seed):
    acc = seed
    n = len(data) // 4
    for i in range(n):
        acc ^= struct.unpack_from("<I", data, 4 * i)[0]
    rest = data[4 * n:]
    value = 0
    for b in rest:  # leftover bytes, most significant first
        value = (value << 8) | b
    return acc ^ value


def read_name(buf, pos):
    end = buf.index(b"\0", pos)
    if end - pos > 255:
        raise Bad("name longer than 255 characters")
    return buf[pos:end].decode("latin-1"), end + 1


def parse_cabinet(path):
    buf = open(path, "rb").read()
    if len(buf) < 36 or buf[:4] != b"MSCF":
        raise Bad("%s: no MSCF signature" % path)
    (sig, r1, cb_cabinet, r2, coff_files, r3, vminor, vmajor, c_folders, c_files, flags, set_id,
     i_cabinet) = struct.unpack_from("<4sIIIIIBBHHHHH", buf, 0)
    if (vmajor, vminor) != (1, 3) or r1 or r2 or r3:
        raise Bad("%s: bad version or reserved fields" % path)
    if cb_cabinet != len(buf):
        raise Bad("%s: cbCabinet %d but the file has %d bytes" % (path, cb_cabinet, len(buf)))
    pos = 36
    res_header = res_folder = res_data = 0
    if flags & 4:
        res_header, res_folder, res_data = struct.unpack_from("<HBB", buf, pos)
        pos += 4
        if any(buf[pos:pos + res_header]):
            raise Bad("header reserve not zero")
        pos += res_header
    cab = {"path": path, "flags": flags, "set_id": set_id, "index": i_cabinet, "size": len(buf),
           "prev": None, "next": None, "folders": [], "files": [], "split": 0}
    if flags & 1:
        prev_cab, pos = read_name(buf, pos)
        prev_disk, pos = read_name(buf, pos)
        cab["prev"] = (prev_cab, prev_disk)
    if flags & 2:
        next_cab, pos = read_name(buf, pos)
        next_disk, pos = read_name(buf, pos)
        cab["next"] = (next_cab, next_disk)
    for _ in range(c_folders):
        coff, c_data, type_compress = struct.unpack_from("<IHH", buf, pos)
        pos += 8 + res_folder
        cab["folders"].append({"coff": coff, "count": c_data, "type": type_compress, "blocks": []})
    if pos != coff_files:
        raise Bad("%s: coffFiles %d, records end at %d" % (path, coff_files, pos))
    for _ in range(c_files):
        cb_file, uoff, i_folder, date, time, attribs = struct.unpack_from("<IIHHHH", buf, pos)
        name, pos = read_name(buf, pos + 16)
        cab["files"].append({"name": name, "size": cb_file, "uoff": uoff, "ifolder": i_folder,
                             "date": date, "time": time, "attribs": attribs})
    expected = pos
    for folder in cab["folders"]:
        if folder["coff"] != expected:
            raise Bad("%s: folder data at %d, expected %d" % (path, folder["coff"], expected))
        p = folder["coff"]
        for _ in range(folder["count"]):
            stored, cb_data, cb_uncomp = struct.unpack_from("<IHH", buf, p)
            header = buf[p + 4:p + 8 + res_data]
            data = buf[p + 8 + res_data:p + 8 + res_data + cb_data]
            if len(data) != cb_data:
                raise Bad("%s: block past the end" % path)
            if stored != 0 and stored != csum(header, csum(data, 0)):
                raise Bad("%s: checksum mismatch at %d" % (path, p))
            if cb_uncomp == 0:
                cab["split"] += 1
            folder["blocks"].append((data, cb_uncomp))
            p += 8 + res_data + cb_data
        expected = p
    if expected != len(buf):
        raise Bad("%s: %d bytes after the last block" % (path, len(buf) - expected))
    return cab


def decompress(type_compress, blocks):
    method = type_compress & 0xF
    out = bytearray()
    history = None
    for data, cb_uncomp in blocks:
        if cb_uncomp > 32768:
            raise Bad("block yields more than 32768 bytes")
        if method == 0:
            if len(data) != cb_uncomp:
                raise Bad("stored block with cbData != cbUncomp")
            out += data
        elif method == 1:
            if data[:2] != b"CK":
                raise Bad("MSZIP block without CK")
            d = zlib.decompressobj(-15, zdict=history) if history else zlib.decompressobj(-15)
            piece = d.decompress(data[2:])
            if not d.eof or d.unused_data or len(piece) != cb_uncomp:
                raise Bad("MSZIP block does not yield exactly %d bytes" % cb_uncomp)
            out += piece
            history = piece if len(piece) == 32768 else None
        else:
            raise NotImplementedError("method %d" % method)
    return bytes(out)


def main():
    first, outdir = sys.argv[1], sys.argv[2]
    folder_dir = os.path.dirname(first)
    cabinets = [parse_cabinet(first)]
    while cabinets[-1]["next"]:
        nxt = parse_cabinet(os.path.join(folder_dir, cabinets[-1]["next"][0]))
        prev = cabinets[-1]
        if nxt["set_id"] != prev["set_id"] or nxt["index"] != prev["index"] + 1:
            raise Bad("%s: wrong set numbering" % nxt["path"])
        if nxt["prev"] is None or nxt["prev"][0] != os.path.basename(prev["path"]):
            raise Bad("%s: predecessor name does not match" % nxt["path"])
        cabinets.append(nxt)
    if cabinets[0]["prev"]:
        raise Bad("the first cabinet names a predecessor")

    merged = []  # [type, blocks]
    pending_part = None
    files = []
    for cab in cabinets:
        base = len(merged)
        for k, folder in enumerate(cab["folders"]):
            blocks = folder["blocks"]
            if k == 0 and cab["prev"]:
                target = merged[-1]
                if target[0] != folder["type"]:
                    raise Bad("continued folder changes its type")
                base -= 1
            else:
                target = [folder["type"], []]
                merged.append(target)
            for data, cb_uncomp in blocks:
                if pending_part is not None:
                    data = pending_part + data
                    pending_part = None
                if cb_uncomp == 0:
                    pending_part = data
                    continue
                target[1].append((data, cb_uncomp))
        last = len(merged) - 1
        for f in cab["files"]:
            print("file %d %s %d %d" % (cab["index"], f["name"], f["size"], f["ifolder"]))
            i = f["ifolder"]
            if i in (0xFFFD, 0xFFFF):
                continue  # listed already by the cabinet where it starts
            folder_index = last if i == 0xFFFE else base + i
            files.append((f, folder_index))
        print("cabinet %d flags %d folders %d files %d size %d split %d"
              % (cab["index"], cab["flags"], len(cab["folders"]), len(cab["files"]), cab["size"],
                 cab["split"]))
    if pending_part is not None:
        raise Bad("the last cabinet ends with a split block")
    streams = [decompress(t, b) for t, b in merged]
    for f, folder_index in files:
        data = streams[folder_index][f["uoff"]:f["uoff"] + f["size"]]
        if len(data) != f["size"]:
            raise Bad("%s: data past the folder's end" % f["name"])
        target = os.path.join(outdir, *f["name"].split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except NotImplementedError as e:
        print(str(e), file=sys.stderr)
        sys.exit(3)
    except (Bad, OSError, struct.error, ValueError, zlib.error) as e:
        print("bad cabinet: %s" % e, file=sys.stderr)
        sys.exit(1)
