#!/usr/bin/env bash
# Installs what is needed, builds Vornik and vornik-server, starts a local
# vornik-server over HTTPS (self-signed certificate for localhost, made once), points
# Vornik at it in its settings and starts Vornik in the tray.
#
# With a systemd user manager (any desktop session) the server runs as the user unit
# vornik-server.service, enabled so that it comes back after a reboot; without one it
# is started in the background for this session only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIK_BUILD_TESTS=OFF -DVORNIK_BUILD_BENCH=OFF
cmake --build build-release -j"$(nproc)"

data="${XDG_DATA_HOME:-$HOME/.local/share}/vornik-server"
port="${VORNIK_PORT:-8443}"
server="$PWD/build-release/server/vornik-server"
mkdir -p "$data"
if [ ! -f "$data/localhost.crt" ]; then
  (umask 077 && openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout "$data/localhost.key" -out "$data/localhost.crt" 2>/dev/null)
  chmod 644 "$data/localhost.crt"
fi

# The packaged user unit, pointed at this build, this data folder and this port.
user_unit() {
  sed -e "s|@VORNIK_BINDIR@/vornik-server|$server|" \
      -e "s|%h/.local/share/vornik-server|$data|g" \
      -e "s|8443|$port|g" resources/packaging/vornik-server.user.service.in
}

if systemctl --user show-environment >/dev/null 2>&1; then
  units="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user"
  mkdir -p "$units"
  user_unit > "$units/vornik-server.service"
  systemctl --user daemon-reload
  systemctl --user enable vornik-server.service >/dev/null 2>&1
  systemctl --user restart vornik-server.service
  echo "vornik-server runs as the user unit vornik-server.service on https://localhost:$port/"
elif ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  nohup "$server" --data "$data" --listen "127.0.0.1:$port" \
    --public-url "https://localhost:$port/" --cert "$data/localhost.crt" --key "$data/localhost.key" \
    >>"$data/server.log" 2>&1 &
  echo "vornik-server started on https://localhost:$port/ for this session (log: $data/server.log)"
fi

# Kept in Vornik.conf, so a Vornik started from the menu or at login trusts it too.
build-release/vornik --set-service "https://localhost:$port/" --ca-file "$data/localhost.crt"
exec build-release/vornik "$@"
