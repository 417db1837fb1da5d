#!/usr/bin/env bash
# velkor.exe's Help menu commands against velkor-service: "Check for update"
# asks its question (answered No: nothing downloaded), and "Report Feedback"
# shows the pop-up, which checks what is typed and sends the report, thanks
# the user and closes. Screenshots of the question and of the pop-up filled in
# go to build/win64/screenshots/maintenance/.
set -euo pipefail

[ -n "${VELKOR_OWN_DISPLAY:-}" ] || exec "$VELKOR_SOURCE_DIR/tests/integration/own_display.sh" bash "$0" "$@"

run() { "$VELKOR_WINE_RUN" "$@"; }
build="$VELKOR_BUILD_DIR"
probe() { run "$build/tests/integration/core/window_probe.exe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*" >&2; exit 1; }
shots="$build/screenshots/maintenance"
mkdir -p "$shots"
snap() { sleep 1; import -window root "$shots/$1.png"; echo "screenshot: $shots/$1.png"; }
popup_gone() {
  for _ in $(seq 1 40); do probe popup Velkor >/dev/null || return 0; sleep 0.25; done
  return 1
}
work="$(mktemp -d)"
VELKOR_SERVICE_WORK="$work/service"
VELKOR_SERVICE_APP_DIR="$work/app"
mkdir -p "$VELKOR_SERVICE_APP_DIR"
cp "$build/tests/integration/maintenance/record_setup.exe" "$VELKOR_SERVICE_APP_DIR/setup.exe"
echo "9.0.0.0" >"$VELKOR_SERVICE_APP_DIR/VERSION"
source "$VELKOR_SOURCE_DIR/tests/integration/scan/service_fixture.sh"
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; velkor_service_stop; rm -rf "$work"' EXIT
velkor_service_start
velkor_service_use
run "$build/src/app/velkorctl/velkorctl.exe" settings set AutoScan 0 >/dev/null

run "$build/src/app/velkor/velkor.exe" &
pid=$!
probe wait Velkor 30000 >/dev/null || fail "no main window"

# Check for update: the question, answered No.
question="New Update is available. Do you want to download now?"
probe command Velkor 32778 >/dev/null
probe wait-message Velkor "$question" 60000 >/dev/null || fail "no update question"
snap update_question
probe answer-message Velkor "$question" no 5000 >/dev/null || fail "could not answer the update question"
echo "ok: the update question, answered No"

# Report Feedback: the checks, then the report sent.
probe command Velkor 32776 >/dev/null
for _ in $(seq 1 40); do probe popup Velkor >/dev/null && break; sleep 0.25; done
probe popup Velkor >/dev/null || fail "no feedback pop-up"
[ "$(probe popup-text Velkor 1058)" == "Select Problem Type" ] || fail "the placeholder is not selected"
echo "ok: the placeholder selected"
probe popup-click Velkor 1059 >/dev/null
probe find-message Velkor "Email address is not correct." 10000 >/dev/null || fail "View Report: no e-mail message"
probe popup-click Velkor 1057 >/dev/null
probe find-message Velkor "Email can not be empty." 10000 >/dev/null || fail "Send Feedback: no e-mail message"
probe popup-set-text Velkor 1056 "user@example.com" >/dev/null
probe popup-click Velkor 1057 >/dev/null
probe find-message Velkor "Please select feedback type." 10000 >/dev/null || fail "no problem type message"
probe popup-select Velkor 1058 2 >/dev/null
probe popup-set-text Velkor 1055 "The download stops at 99% & starts again." >/dev/null
snap feedback_filled
probe popup-click Velkor 1057 >/dev/null
probe wait-message Velkor "Thank you for providing us the feedback." 30000 >/dev/null || fail "no thanks"
snap feedback_thanks
probe find-message Velkor "Thank you for providing us the feedback." 5000 >/dev/null
popup_gone || fail "the pop-up stayed after the report was sent"
echo "ok: sent, thanked, closed"
python3 - "$VELKOR_SERVICE_WORK/catalog.feedback.db" <<'PY' || fail "the report was not stored as sent"
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute("SELECT email, problem_type, document FROM feedback").fetchall()
ok = len(rows) == 1 and rows[0][:2] == ("user@example.com", "Download Problem") and \
    "<content>The download stops at 99% &amp; starts again.</content>" in rows[0][2]
sys.exit(0 if ok else f"rows: {rows!r}")
PY
echo "ok: the service stored the report"

probe command Velkor 32780 >/dev/null
wait "$pid" || fail "velkor.exe did not end cleanly"
pid=""
echo "all maintenance window checks passed"
