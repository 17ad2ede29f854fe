# Sourced by the benchmarks that need a web server: installs what is missing (apt-get, as root),
# makes $work, and starts nginx on a free port of 127.0.0.1 serving $work/site, stopped on exit.
# Usage: start_local_nginx TOOL...   (tools to install beside hyperfine and nginx)
# Sets: $work, $port, $nginx.
start_local_nginx() {
  local missing=()
  for tool in hyperfine "$@"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
  [[ -x /usr/sbin/nginx ]] || command -v nginx >/dev/null || missing+=(nginx)
  if ((${#missing[@]})); then
    [[ $(id -u) -eq 0 ]] || { echo "install as root: apt-get install -y ${missing[*]}" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null ||
      { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null; }
  fi
  nginx=$(command -v nginx || echo /usr/sbin/nginx)

  work=$(mktemp -d)
  trap '[[ -s "$work/nginx.pid" ]] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT

  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  mkdir -p "$work/site" "$work/logs"
  # nginx started by root serves as nobody, who must read the site.
  chmod 755 "$work" "$work/site"
  cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 256; }
http {
  access_log off;
  keepalive_requests 100000;
  client_body_temp_path $work/logs;
  proxy_temp_path $work/logs;
  fastcgi_temp_path $work/logs;
  uwsgi_temp_path $work/logs;
  scgi_temp_path $work/logs;
  types { text/html html; }
  server { listen 127.0.0.1:$port; root $work/site; }
}
CONF
  "$nginx" -p "$work" -e "$work/logs/error.log" -c "$work/nginx.conf"
}
