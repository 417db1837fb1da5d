#!/usr/bin/env bash
# velkorctl sysinfo under Wine: the summary as text and as JSON, and a usage error.
set -euo pipefail
ctl="$VELKOR_BUILD_DIR/src/app/velkorctl/velkorctl.exe"
run() { "$VELKOR_WINE_RUN" "$ctl" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

json="$(run sysinfo --json)"
echo "$json"
python3 - "$json" <<'PY'
import json, re, sys
d = json.loads(sys.argv[1])
assert d["version"] == "2.1.0.0", d["version"]
assert isinstance(d["administrator"], bool)
assert d["computer_name"] and len(d["computer_name"]) <= 15
assert d["operating_system"]
assert re.fullmatch(r"\d+\.\d\d (KB|MB|GB)|\d+ Bytes", d["total_memory"]), d["total_memory"]
full, shown = d["processor_full"], d["processor"]
assert "  " not in full and full == full.strip()
assert shown == (full if len(full) <= 40 else full[:40] + "..."), (full, shown)
if "os_version_code" in d:
    assert isinstance(d["os_version_code"], int)
print("ok: json")
PY

text="$(run sysinfo | tr -d '\r')"
echo "$text"
for label in "Computer Name:" "Operating System:" "Total Memory:" "Processor:" "Model:" "Administrator:" "Program version:"; do
  grep -q "^$label" <<<"$text" || fail "no line '$label'"
done
grep -q '^Program version:   2.1.0.0$' <<<"$text" || fail "version line"
echo "ok: text"

rc=0; run sysinfo --bogus 2>/dev/null || rc=$?
[ "$rc" == 2 ] || fail "usage error gave $rc"
echo "PASS"
