#!/usr/bin/env bash
# The feedback report under Wine against velkor-service: `velkorctl feedback`
# checks the report with the pop-up's texts, prints the document with --view
# and sends it through Network.dll; the service keeps it in its own file
# beside the catalog, the document byte for byte.
set -euo pipefail
run="$VELKOR_WINE_RUN"
build="$VELKOR_BUILD_DIR"
ctl="$build/src/app/velkorctl/velkorctl.exe"
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
trap 'velkor_service_stop; rm -rf "$work"' EXIT
failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
feedback() {  # NAME EXPECTED-EXIT ARGS...
  local name="$1" want="$2"
  shift 2
  local got=0
  "$run" "$ctl" feedback "$@" >"$work/$name.out" 2>"$work/$name.err" || got=$?
  if [ "$got" = "$want" ]; then pass "$name: exit $got"; else
    fail "$name: exit $got, expected $want"; cat "$work/$name.out" "$work/$name.err"; fi
}
stderr_is() {  # NAME TEXT
  if [ "$(tr -d '\r' <"$work/$1.err")" = "$2" ]; then pass "$1: \"$2\""; else
    fail "$1: said '$(cat "$work/$1.err")', expected '$2'"; fi
}

velkor_service_start
velkor_service_use
os="$("$run" "$ctl" osversion | cut -d' ' -f1 | tr -d '\r')"
printf '<NewDataSet>\r\n<osid>%s</osid>\r\n<Feedback>\r\n<email>user@example.com</email>\r\n<problemtype>Download Problem</problemtype>\r\n<content>It &amp; it</content>\r\n</Feedback>\r\n</NewDataSet>\r\n' \
  "$os" >"$work/expected.xml"

# The checks, as each button says them.
feedback view_no_email 1 --type "Download Problem" --text x --view
stderr_is view_no_email "Email address is not correct."
feedback send_no_email 1 --type "Download Problem" --text x
stderr_is send_no_email "Email can not be empty."
feedback at_first 1 --email @example.com --type 2 --text x
feedback no_type 1 --email u@x --text x
stderr_is no_type "Please select feedback type."
feedback blanks 1 --email u@x --type "general feedback" --text "   "
stderr_is blanks "Feedback can not be empty."

# The document, shown and sent.
feedback view 0 --email user@example.com --type "Download Problem" --text "  It & it  " --view
cmp -s "$work/view.out" "$work/expected.xml" && pass "view: the document byte for byte" ||
  { fail "view: the document differs"; cat "$work/view.out"; }
feedback send 0 --email user@example.com --type "Download Problem" --text "It & it"
[ "$(tr -d '\r' <"$work/send.out")" = "Thank you for providing us the feedback." ] && pass "send: thanked" ||
  fail "send: said '$(cat "$work/send.out")'"
python3 - "$VELKOR_SERVICE_WORK/catalog.feedback.db" "$work/expected.xml" <<'PY' && pass "stored once, in its own file" || fail "not stored as sent"
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute("SELECT email, problem_type, content, document FROM feedback").fetchall()
expected = open(sys.argv[2], "rb").read().decode()
sys.exit(0 if rows == [("user@example.com", "Download Problem", "", expected)] else f"rows: {rows!r}")
PY
python3 - "$VELKOR_SERVICE_WORK/catalog.db" <<'PY' && pass "the catalog holds no feedback" || fail "feedback in the catalog"
import sqlite3, sys
tables = [r[0] for r in sqlite3.connect(sys.argv[1]).execute("SELECT name FROM sqlite_master WHERE type='table'")]
sys.exit(0 if "feedback" not in tables else "feedback table in the catalog")
PY

# Nobody answers: not accepted.
velkor_service_use "http://127.0.0.1:9/"
feedback unreachable 3 --email user@example.com --type 6 --text x

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all feedback checks passed"
