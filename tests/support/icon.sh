# Sourced by tests that give an installer an icon (bash).

# make_icon FILE COLOUR: an .ico of one colour with 16x16 and 32x32 bitmaps
# and a 256x256 PNG, as icon editors write them.
make_icon() {
    local dir
    dir=$(mktemp -d)
    convert -size 256x256 "xc:$2" "$dir/big.png" &&
        convert -size 32x32 "xc:$2" -define icon:auto-resize=32,16 "$dir/small.ico" || return 1
    python3 - "$dir/small.ico" "$dir/big.png" "$1" <<'PY'
import struct, sys
small = open(sys.argv[1], "rb").read()
png = open(sys.argv[2], "rb").read()
count = struct.unpack_from("<H", small, 4)[0]
entries = [small[6 + 16 * i:22 + 16 * i] for i in range(count)]
images = [small[struct.unpack_from("<I", e, 12)[0]:][:struct.unpack_from("<I", e, 8)[0]] for e in entries]
entries.append(struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 0))
images.append(png)
out, offset = struct.pack("<HHH", 0, 1, len(images)), 6 + 16 * len(images)
for entry, image in zip(entries, images):
    out += entry[:12] + struct.pack("<I", offset)
    offset += len(image)
open(sys.argv[3], "wb").write(out + b"".join(images))
PY
    local status=$?
    rm -rf "$dir"
    return $status
}
