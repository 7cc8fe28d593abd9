# Sourced by the tests that sign installers (bash): a throwaway code-signing
# certificate made on the spot, signing in place, and an installer as a
# writer makes it that does not align the executable.

# make_certificate DIR: a self-signed code-signing certificate,
# DIR/cert.pem with its key DIR/key.pem.
make_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1/key.pem" -out "$1/cert.pem" -days 30 \
        -subj /CN=rozbal-test -addext extendedKeyUsage=codeSigning 2>/dev/null
}

# sign DIR FILE: signs FILE in place with the certificate in DIR.
sign() {
    osslsigncode sign -certs "$1/cert.pem" -key "$1/key.pem" -in "$2" -out "$2.signed" >/dev/null &&
        mv "$2.signed" "$2"
}

# signature_ok DIR FILE: the signature of FILE holds, with the certificate
# in DIR as the trusted root.
signature_ok() {
    osslsigncode verify -CAfile "$1/cert.pem" -in "$2" >"$2.verify" 2>&1
}

# strip_padding ROZBAL IN OUT: OUT is the installer IN (no volumes) without
# the zeros between its last piece and its trailer. Fails when IN has none,
# so that OUT would be IN again.
strip_padding() {
    local name end size
    name=$(basename "$2")
    # list's rows: file, offset, flags value and names, size, name.
    end=$("$1" list "$2" | awk -v f="$name" '$1 == f && $2 ~ /^[0-9]+$/ { end = $2 + 56 + $5 } END { print end }')
    size=$(stat -c %s "$2")
    [ -n "$end" ] && [ $((size - 4)) -gt "$end" ] || return 1
    { head -c "$end" "$2" && tail -c 4 "$2"; } >"$3"
}
