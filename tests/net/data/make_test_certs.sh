#!/usr/bin/env bash
# Makes the test certificate authority and the server certificate for 127.0.0.1 / localhost
# that the HTTPS tests use. Run it from this folder; the files are committed, so it is needed
# again only when they are to be replaced.
set -euo pipefail
cd "$(dirname "$0")"
days=36500
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days "$days" -sha256 \
  -subj "/CN=Quillmar Test CA" -keyout "$work/ca.key" -out test_ca.pem \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" \
  -keyout test_server.key -out "$work/server.csr"
cat > "$work/ext.cnf" <<EXT
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,DNS:localhost
EXT
openssl x509 -req -in "$work/server.csr" -CA test_ca.pem -CAkey "$work/ca.key" \
  -CAcreateserial -days "$days" -sha256 -extfile "$work/ext.cnf" -out test_server.pem
rm -f test_ca.srl
