# Sourced by the benches that need a web server: start_nginx WORK ROOT serves ROOT on a free
# port of 127.0.0.1 with nginx (run as the calling user, logs in WORK) and sets $port; the
# server stops with stop_nginx WORK. install_bench_tools installs nginx, wget and the packages
# given as PACKAGE:COMMAND when their command is missing (apt-get, as root).

install_bench_tools() {
  local missing=() pair
  command -v nginx >/dev/null || [[ -x /usr/sbin/nginx ]] || missing+=(nginx-light)
  for pair in wget:wget "$@"; do command -v "${pair#*:}" >/dev/null || missing+=("${pair%%:*}"); done
  ((${#missing[@]})) || return 0
  [[ $(id -u) -eq 0 ]] || { echo "install as root: apt-get install -y ${missing[*]}" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
}

start_nginx() {
  local work=$1 root=$2
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  mkdir -p "$work/nginx"
  chmod 755 "$work" # nginx reads the site as its own user
  cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  include /etc/nginx/mime.types;
  client_body_temp_path $work/nginx; proxy_temp_path $work/nginx;
  fastcgi_temp_path $work/nginx; uwsgi_temp_path $work/nginx; scgi_temp_path $work/nginx;
  keepalive_requests 100000;
  server { listen 127.0.0.1:$port; root $root; }
}
CONF
  PATH=$PATH:/usr/sbin nginx -c "$work/nginx.conf" -p "$work" -e "$work/nginx/error.log"
  for _ in $(seq 50); do [[ -s $work/nginx.pid ]] && break; sleep 0.1; done
}

stop_nginx() {
  [[ -f $1/nginx.pid ]] && kill "$(cat "$1/nginx.pid")" 2>/dev/null || true
}
