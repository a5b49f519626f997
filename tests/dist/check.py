#!/usr/bin/python3
"""Checks the release archives that tools/dist writes.

  check.py compare DIST_A DIST_B
      the two folders hold the same bytes; else names each file, member and
      field that differs
  check.py contents DIST --version V --epoch SECONDS --installed DIR
                    --readme FILE --exe ZOL_EXE
      what one folder holds: names, owners, modes, times, the Linux archive
      equal to the install tree DIR, the Zol.exe inside equal to ZOL_EXE
"""
import argparse
import calendar
import hashlib
import io
import os
import struct
import sys
import tarfile
import zipfile

problems = []
MARK = ".zol-dist"  # what tools/dist leaves in the folders it makes


def problem(text):
    problems.append(text)
    print("dist: " + text, file=sys.stderr)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# --- compare ---------------------------------------------------------------

def tar_members(data):
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as tar:
        members = {}
        for m in tar.getmembers():
            body = tar.extractfile(m).read() if m.isfile() else b""
            members[m.name] = ({"type": m.type, "mode": oct(m.mode), "uid": m.uid, "gid": m.gid,
                                "uname": m.uname, "gname": m.gname, "mtime": m.mtime}, body)
        return members


def zip_members(data):
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        return {i.filename: ({"date_time": i.date_time, "external_attr": oct(i.external_attr),
                              "create_system": i.create_system, "compress_type": i.compress_type,
                              "extra": i.extra.hex(), "comment": i.comment},
                             z.read(i)) for i in z.infolist()}


def explain(name, a, b):
    """Names what differs inside two archives of the same name."""
    if name.endswith(".tar.gz"):
        if a[:10] != b[:10]:
            problem(f"{name}: the gzip headers differ: {a[:10].hex()} / {b[:10].hex()}")
        members = tar_members
    elif name.endswith(".zip"):
        members = zip_members
    else:
        return
    before = len(problems)
    ma, mb = members(a), members(b)
    if list(ma) != list(mb):
        problem(f"{name}: the members or their order differ: {list(ma)} / {list(mb)}")
    for member in sorted(set(ma) & set(mb)):
        (fields_a, body_a), (fields_b, body_b) = ma[member], mb[member]
        for field in fields_a:
            if fields_a[field] != fields_b[field]:
                problem(f"{name}: {member}: {field} {fields_a[field]} / {fields_b[field]}")
        if body_a != body_b:
            problem(f"{name}: {member}: the contents differ")
    if len(problems) == before:
        problem(f"{name}: every member is the same; the archive's own headers differ")


def compare(dist_a, dist_b):
    names_a, names_b = sorted(os.listdir(dist_a)), sorted(os.listdir(dist_b))
    if names_a != names_b:
        problem(f"different files: {names_a} / {names_b}")
    for name in sorted(set(names_a) & set(names_b)):
        a, b = read(os.path.join(dist_a, name)), read(os.path.join(dist_b, name))
        if a != b:
            problem(f"{name} differs between {dist_a} and {dist_b}")
            explain(name, a, b)


# --- contents ---------------------------------------------------------------

def installed_tree(root):
    """Relative path -> (is a directory, bytes) of everything under root."""
    tree = {}
    for folder, dirs, files in os.walk(root):
        for d in dirs:
            tree[os.path.relpath(os.path.join(folder, d), root)] = (True, b"")
        for f in files:
            path = os.path.join(folder, f)
            tree[os.path.relpath(path, root)] = (False, read(path))
    return tree


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def check_checksums(dist, archives):
    sums = read(os.path.join(dist, "SHA256SUMS")).decode()
    want = "".join(f"{hashlib.sha256(read(os.path.join(dist, a))).hexdigest()}  {a}\n"
                   for a in archives)
    if sums != want:
        problem(f"SHA256SUMS reads\n{sums}but the archives hash to\n{want}")


def check_tar(path, folder, args):
    data = read(path)
    # gzip: no file name (flag 0x08) and no time.
    if data[3] & 0x08 or data[4:8] != b"\0\0\0\0":
        problem(f"{folder}.tar.gz: gzip stores a name or a time")
    members = tar_members(data)
    tree = installed_tree(args.installed)
    for name, (fields, body) in members.items():
        if name != folder and not name.startswith(folder + "/"):
            problem(f"{name}: outside the folder {folder}/")
            continue
        if (fields["uid"], fields["gid"], fields["mtime"]) != (0, 0, args.epoch):
            problem(f"{name}: owner {fields['uid']}:{fields['gid']}, time {fields['mtime']}; "
                    f"want 0:0, {args.epoch}")
        is_dir = fields["type"] == tarfile.DIRTYPE
        if not is_dir and fields["type"] not in (tarfile.REGTYPE, tarfile.AREGTYPE):
            problem(f"{name}: neither a file nor a folder")
        executable = is_dir or name.startswith(folder + "/bin/")
        if fields["mode"] != oct(0o755 if executable else 0o644):
            problem(f"{name}: mode {fields['mode']}")
    inside = {name[len(folder) + 1:]: (fields["type"] == tarfile.DIRTYPE, body)
              for name, (fields, body) in members.items() if name.startswith(folder + "/")}
    readme = inside.pop("README", (True, b""))[1]
    if readme != read(args.readme):
        problem(f"{folder}/README is not {args.readme}")
    if set(inside) != set(tree):
        problem(f"{folder}/ and the install differ: only in the archive "
                f"{sorted(set(inside) - set(tree))}, only installed {sorted(set(tree) - set(inside))}")
    for name in sorted(set(inside) & set(tree)):
        if inside[name] != tree[name]:
            problem(f"{folder}/{name} differs from the installed one")
    for required in ["bin/zol", "share/applications/zol.desktop"]:
        if required not in inside:
            problem(f"{folder}/{required} is missing")
    icons = [n for n in inside if n.startswith("share/icons/hicolor/") and n.endswith("/apps/zol.png")]
    sizes = set()
    for name in icons:
        size = name.split("/")[3]
        width, height = png_size(inside[name][1]) or (0, 0)
        if size != f"{width}x{height}":
            problem(f"{folder}/{name} is a {width} x {height} picture")
        sizes.add(width)
    if not {16, 24, 32, 48} <= sizes:
        problem(f"the hicolor icons are only {sorted(sizes)} pixels")
    return readme


def check_zip(path, name, args, readme):
    members = zip_members(read(path))
    if sorted(members) != ["README", "Zol.exe"]:
        problem(f"{name} holds {sorted(members)}; want README and Zol.exe")
    for member, (fields, body) in members.items():
        mode = int(fields["external_attr"], 8) >> 16
        want = 0o100755 if member.endswith(".exe") else 0o100644
        if mode != want or fields["create_system"] != 3:
            problem(f"{name}: {member}: mode {oct(mode)} from system {fields['create_system']}")
        # DOS times hold even seconds only.
        seconds = calendar.timegm(fields["date_time"] + (0, 0, 0))
        if abs(seconds - args.epoch) > 1 or fields["extra"]:
            problem(f"{name}: {member}: time {fields['date_time']} UTC, extras {fields['extra']!r}")
    if members.get("README", ({}, b""))[1] != readme:
        problem(f"{name}: README differs from the Linux archive's")
    if members.get("Zol.exe", ({}, b""))[1] != read(args.exe):
        problem(f"{name}: Zol.exe is not {args.exe}, the one `make windows` builds")


def contents(args):
    linux, windows = f"zol-{args.version}-linux-x86_64", f"Zol-{args.version}-windows"
    archives = [f"{linux}.tar.gz", f"{windows}.zip"]
    names = sorted(os.listdir(args.dist))
    if names != sorted(archives + ["SHA256SUMS", MARK]):
        problem(f"{args.dist} holds {names}")
        return
    check_checksums(args.dist, archives)
    readme = check_tar(os.path.join(args.dist, archives[0]), linux, args)
    check_zip(os.path.join(args.dist, archives[1]), archives[1], args, readme)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    c = sub.add_parser("compare")
    c.add_argument("dist_a")
    c.add_argument("dist_b")
    k = sub.add_parser("contents")
    k.add_argument("dist")
    k.add_argument("--version", required=True)
    k.add_argument("--epoch", type=int, required=True)
    k.add_argument("--installed", required=True)
    k.add_argument("--readme", required=True)
    k.add_argument("--exe", required=True)
    args = parser.parse_args()
    if args.command == "compare":
        compare(args.dist_a, args.dist_b)
    else:
        contents(args)
    if problems:
        sys.exit(1)
    print(f"dist: {args.command}: no difference" if args.command == "compare"
          else f"dist: {args.dist} holds what a release must")


if __name__ == "__main__":
    main()
