#!/usr/bin/env bash
# The archive layer against the real tools, on real files under Wine: what we
# write passes `unzip -t`, Python's zipfile.testzip() and `7zz t`, and shows the
# right names, sizes, methods and times; what Info-ZIP zip, zipfile and 7-Zip
# write extracts byte for byte with its times; a setup program with an archive
# after it opens; hostile names and symbolic links never lead outside the
# folder extracted into.
set -euo pipefail
tool="$VELKOR_BUILD_DIR/tests/integration/backup/ziptool.exe"
run() { "$VELKOR_WINE_RUN" "$tool" "$@"; }
win() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# Local times matter: archives keep a local date and time beside the exact
# ones. Wine takes the zone from the host, as Python does.
export TZ=Europe/Berlin

work="$VELKOR_BUILD_DIR/tests/integration/backup/interop"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# A folder of driver-like files: text, binaries, an empty file, names with
# spaces and letters beyond ASCII, extensions that are stored as they are.
python3 - <<'PY'
import os, random
random.seed(5)
files = {
    "index.dat": b"\x0b\x00\x00\x00",
    "Realtek PCIe GBE/rt86win7.inf": b"".join(b"HKR, Ndi\\params\\*SpeedDuplex, ParamDesc, 0, %%SpeedDuplex%% ; %d\r\n" % i for i in range(3000)),
    "Realtek PCIe GBE/rt86win7.sys": bytes(random.getrandbits(8) for _ in range(300000)),
    "Realtek PCIe GBE/empty.cat": b"",
    "Realtek PCIe GBE/Ger\u00e4t \u65e5\u672c.dll": bytes(random.getrandbits(8) for _ in range(1000)) * 50,
    "Audio/sub folder/package.ZIP": bytes(random.getrandbits(8) for _ in range(20000)),
    "Audio/sub folder/data.cab": b"MSCF" + bytes(40000),
}
when = 1623760496  # 2021-06-15 12:34:56 UTC, summer time in Berlin
for name, data in files.items():
    path = os.path.join("tree", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (when + 60, when))
    when += 3601
PY

echo "== our archives, checked by the tools"
run create "$(win our.zip)" "$(win tree)" >/dev/null || fail "create"
run create "$(win our64.zip)" "$(win tree)" 1 >/dev/null || fail "create with ZIP64 records"
for archive in our.zip our64.zip; do
  unzip -tq "$archive" || fail "unzip -t $archive"
  7zz t "$archive" >/dev/null || fail "7zz t $archive"
  rm -rf unzipped && unzip -q "$archive" -d unzipped && diff -r tree unzipped || fail "unzip of $archive differs"
  python3 - "$archive" <<'PY'
import os, sys, time, zipfile
archive = sys.argv[1]
with zipfile.ZipFile(archive) as z:
    assert z.testzip() is None, archive
    names = set()
    for info in z.infolist():
        path = os.path.join("tree", info.filename)
        names.add(info.filename)
        assert "\\" not in info.filename, info.filename
        assert info.file_size == os.path.getsize(path), info.filename
        stored = os.path.splitext(info.filename)[1].lower() == ".zip"
        assert info.compress_type == (zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED), info.filename
        mtime = int(os.path.getmtime(path))
        assert info.date_time == time.localtime(mtime - mtime % 2)[:6], (info.filename, info.date_time)
    expected = {os.path.relpath(os.path.join(d, f), "tree").replace(os.sep, "/")
                for d, _, fs in os.walk("tree") for f in fs}
    assert names == expected, names ^ expected
print("ok:", archive)
PY
done
# Info-ZIP's own listing shows the exact modification time from the "UT" field.
# grep reads the whole listing: with -q it would stop at the first match and,
# under pipefail, zipinfo's SIGPIPE would fail the check now and then.
zipinfo -T -l our.zip | grep '20210615\.143456 index.dat' >/dev/null || fail "zipinfo time of index.dat"

echo "== archives of the tools, read by us"
(cd tree && zip -q -r ../infozip.zip . && zip -q -r -fz ../infozip64.zip . && zip -q -r - . | cat >../infozip_pipe.zip)
(cd tree && 7zz a -bso0 -tzip -mtc=on ../sevenzip.zip . && 7zz a -bso0 -tzip -mm=Copy ../sevenzip_stored.zip .)
python3 - <<'PY'
import os, zipfile
for name, zip64 in (("python.zip", False), ("python64.zip", True)):
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        for d, _, fs in os.walk("tree"):
            for f in fs:
                path = os.path.join(d, f)
                info = zipfile.ZipInfo.from_file(path, os.path.relpath(path, "tree"))
                info.compress_type = zipfile.ZIP_STORED if f.endswith(".dll") else zipfile.ZIP_DEFLATED
                with open(path, "rb") as src, z.open(info, "w", force_zip64=zip64) as dst:
                    dst.write(src.read())
PY
head -c 70000 /dev/urandom >stub.exe
cat stub.exe infozip.zip >setup.exe
for archive in infozip.zip infozip64.zip infozip_pipe.zip sevenzip.zip sevenzip_stored.zip python.zip python64.zip setup.exe; do
  rm -rf extracted
  run extract "$(win "$archive")" "$(win extracted/new)" || fail "extract $archive"
  diff -r tree extracted/new || fail "extracted $archive differs"
  # Exact times where the archive has them (Info-ZIP, 7-Zip); else the local
  # DOS time, two-second steps.
  python3 - "$archive" <<'PY'
import os, sys
archive = sys.argv[1]
exact = not archive.startswith("python")
for d, _, fs in os.walk("tree"):
    for f in fs:
        a = os.path.join(d, f)
        b = os.path.join("extracted/new", os.path.relpath(a, "tree"))
        ta, tb = int(os.path.getmtime(a)), int(os.path.getmtime(b))
        assert (ta == tb) if exact else (tb == ta - ta % 2), (archive, a, ta, tb)
print("ok:", archive)
PY
done

echo "== hostile names and links"
python3 - <<'PY'
import zipfile
with zipfile.ZipFile("hostile.zip", "w") as z:
    for name in ("../evil1.sys", "C:/evil2.sys", "sub/../../evil3.sys", "/abs/evil4.sys",
                 "con.txt", "a:b.txt", "ads.sys:stream", "trailing.", "drv/x.sys", "fine.sys"):
        z.writestr(name, b"payload")
PY
mkdir -p hostile/out outside
ln -s "$work/outside" hostile/out/drv
rc=0
codes=$(run extract "$(win hostile.zip)" "$(win hostile/out)") || rc=$?
[ "$rc" == 1 ] || fail "hostile archive gave $rc"
echo "$codes"
grep -q $'\t262144\tdrv\\\\x.sys' <<<"${codes//$'\r'/}" || fail "the link was not refused"
[ -z "$(ls -A outside)" ] || fail "written through the link: $(ls -A outside)"
found=$(cd hostile && find . -type f | sort | tr '\n' ' ')
# "a:" is a drive (A:b.txt names b.txt on drive A), so it goes like C:/.
[ "$found" == "./out/abs/evil4.sys ./out/b.txt ./out/evil1.sys ./out/evil2.sys ./out/evil3.sys ./out/fine.sys " ] ||
  fail "files written: $found"
echo "PASS"
