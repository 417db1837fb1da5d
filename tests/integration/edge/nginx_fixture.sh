# nginx in front of velkor-service, as deploy/nginx/velkor-service.conf puts it,
# for tests and the benchmark (sourced, bash). A throw-away instance: its
# configuration, logs, temporary files and pid in a folder of its own, listening
# on loopback only.
#
#   velkor_nginx_start WORK PORT SOCKET CERT KEY   start nginx on 127.0.0.1:PORT in
#                                                 front of the service's Unix socket
#   velkor_nginx_stop                             stop it (also done on exit)
#
# The site file is used as it is; only the listening port (IPv4 loopback, the
# IPv6 line dropped), the certificate, the key, the socket and the server's
# name are replaced.

VELKOR_NGINX_WORK=""

velkor_nginx_start() {
  local work="$1" port="$2" socket="$3" cert="$4" key="$5"
  local site="${VELKOR_SOURCE_DIR:?VELKOR_SOURCE_DIR is not set}/deploy/nginx/velkor-service.conf"
  local nginx
  nginx="$(command -v nginx || echo /usr/sbin/nginx)"
  [ -x "$nginx" ] || { echo "nginx_fixture: nginx not found (install Debian's nginx)" >&2; return 1; }
  mkdir -p "$work/temp"
  sed -e "s|listen 443 ssl;|listen 127.0.0.1:$port ssl;|" -e "/listen \[::\]:443 ssl;/d" \
      -e "s|/etc/ssl/velkor/fullchain.pem|$cert|" -e "s|/etc/ssl/velkor/privkey.pem|$key|" \
      -e "s|unix:/run/velkor-service/service.sock|unix:$socket|" -e "s|server_name updates.example.com;|server_name localhost;|" \
      "$site" >"$work/site.conf"
  cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log info;
events { worker_connections 1024; }
http {
    access_log $work/access.log;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    include $work/site.conf;
}
CONF
  # As root the workers run as nobody: the socket's folder must let them in.
  chmod 755 "$work" "$(dirname "$socket")" 2>/dev/null || true
  "$nginx" -t -q -p "$work" -c "$work/nginx.conf" -e "$work/error.log" || { cat "$work/error.log" >&2; return 1; }
  "$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" || { cat "$work/error.log" >&2; return 1; }
  VELKOR_NGINX_WORK="$work"
  [ -n "$(trap -p EXIT)" ] || trap velkor_nginx_stop EXIT
}

velkor_nginx_stop() {
  [ -n "$VELKOR_NGINX_WORK" ] || return 0
  local pid
  pid="$(cat "$VELKOR_NGINX_WORK/nginx.pid" 2>/dev/null || true)"
  if [ -n "$pid" ]; then
    kill -QUIT "$pid" 2>/dev/null || true
    # The master ends when its workers have; bounded wait.
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  VELKOR_NGINX_WORK=""
}

# True when GET URL answers 200 within SECONDS, trusting the authority CA.
velkor_https_wait() {
  python3 - "$1" "$2" "$3" <<'PY'
import ssl, sys, time, urllib.request
url, seconds, ca = sys.argv[1], float(sys.argv[2]), sys.argv[3]
context = ssl.create_default_context(cafile=ca)
end = time.monotonic() + seconds
while time.monotonic() < end:
    try:
        with urllib.request.urlopen(url, timeout=2, context=context) as answer:
            if answer.status == 200:
                sys.exit(0)
    except OSError:
        pass
    time.sleep(0.1)
sys.exit(1)
PY
}
