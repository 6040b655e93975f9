#!/usr/bin/env bash
# Installs what is needed, builds Vornik and vornik-server, starts a local
# vornik-server over HTTPS (self-signed certificate for localhost, made once) and
# starts Vornik in the tray, configured to upload to it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIK_BUILD_TESTS=OFF -DVORNIK_BUILD_BENCH=OFF
cmake --build build-release -j"$(nproc)"

data="${XDG_DATA_HOME:-$HOME/.local/share}/vornik-server"
port="${VORNIK_PORT:-8443}"
mkdir -p "$data"
if [ ! -f "$data/localhost.crt" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout "$data/localhost.key" -out "$data/localhost.crt" 2>/dev/null
  chmod 600 "$data/localhost.key"
fi

if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  nohup build-release/server/vornik-server --data "$data" --listen "127.0.0.1:$port" \
    --public-url "https://localhost:$port/" --cert "$data/localhost.crt" --key "$data/localhost.key" \
    >>"$data/server.log" 2>&1 &
  echo "vornik-server started on https://localhost:$port/ (log: $data/server.log)"
fi

export VORNIK_SERVICE_URL="${VORNIK_SERVICE_URL:-https://localhost:$port/}"
export VORNIK_CA_FILE="${VORNIK_CA_FILE:-$data/localhost.crt}"
exec build-release/vornik "$@"
