#!/usr/bin/env bash
# Makes the test certificates in CERTDIR (kept when already there and still valid):
#   ca.pem/.der        trusted test CA (the tests add it to the Wine prefix)
#   untrusted-ca.pem   a second CA that nothing ever trusts
#   localhost.pem      DNS:localhost, from the test CA
#   expired.pem        DNS:localhost, from the test CA, expired in 2021
#   wronghost.pem      DNS:wronghost.invalid, from the test CA
#   untrusted.pem      DNS:localhost, from the untrusted CA
# All server certificates share server.key. Usage: make-certs.sh CERTDIR
set -Eeuo pipefail
trap 'echo "make-certs.sh: failed at line $LINENO" >&2' ERR
[ $# -eq 1 ] || { echo "usage: make-certs.sh CERTDIR" >&2; exit 2; }
out=$1
mkdir -p "$out"
cd "$out"

# Reuse a complete set that stays valid for another 30 days: the CA already trusted
# by a Wine prefix keeps working across runs.
if [ -f ca.pem ] && [ -f ca.der ] && [ -f untrusted.pem ] && [ -f .complete ] &&
   openssl x509 -in ca.pem -noout -checkend 2592000 >/dev/null &&
   openssl x509 -in localhost.pem -noout -checkend 2592000 >/dev/null; then
  exit 0
fi
rm -f ./*.pem ./*.der ./*.key ./*.csr ./*.srl ./*.cnf ./*.ext index.txt* serial* .complete
rm -rf newcerts

new_ca() { # NAME SUBJECT
  # Start a few years back so the expired certificate lies inside the CA's lifetime.
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -subj "$2" -out "$1.csr" 2>/dev/null
  openssl ca -batch -selfsign -config ca.cnf -name "$1" -keyfile "$1.key" -in "$1.csr" \
    -startdate 20190101000000Z -enddate 20461231000000Z -extensions ca_ext -notext \
    -out "$1.pem" 2>/dev/null
}

sign() { # CA OUT HOST [STARTDATE ENDDATE]
  local dates=(-days 3650)
  [ $# -eq 5 ] && dates=(-startdate "$4" -enddate "$5")
  { cat server.ext; printf 'subjectAltName = DNS:%s\n' "$3"; } >"$2.ext"
  openssl req -new -key server.key -subj "/CN=$3" -out "$2.csr" 2>/dev/null
  openssl ca -batch -config ca.cnf -name "$1" -in "$2.csr" "${dates[@]}" \
    -extensions server_ext -extfile "$2.ext" -notext -out "$2.pem" 2>/dev/null
}

mkdir -p newcerts
: >index.txt
# Random serial numbers: a CA made again must not share issuer and serial with the last.
openssl rand -hex 8 >serial
cat >ca.cnf <<CNF
[ ca ]
database = index.txt
new_certs_dir = newcerts
serial = serial
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any_name
unique_subject = no
copy_extensions = none
[ untrusted-ca ]
database = index.txt
new_certs_dir = newcerts
serial = serial
certificate = untrusted-ca.pem
private_key = untrusted-ca.key
default_md = sha256
policy = any_name
unique_subject = no
copy_extensions = none
[ any_name ]
commonName = supplied
[ ca_ext ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF
cat >server.ext <<EXT
[ server_ext ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EXT

new_ca ca "/CN=Velocimark Test CA"
new_ca untrusted-ca "/CN=Velocimark Untrusted Test CA"
openssl genrsa -out server.key 2048 2>/dev/null
sign ca localhost localhost
sign ca expired localhost 20200101000000Z 20210101000000Z
sign ca wronghost wronghost.invalid
sign untrusted-ca untrusted localhost
openssl x509 -in ca.pem -outform DER -out ca.der
rm -f ./*.csr ./*.ext
touch .complete
