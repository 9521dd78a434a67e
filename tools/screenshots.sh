#!/usr/bin/env bash
# Takes the README's screenshots as a user would see them: the viewer runs in a private X server
# (Xvfb) and is driven by keys (xdotool); each window is saved as a PNG (ImageMagick's import).
#   tools/screenshots.sh [OUTPUT_DIR]     default docs/screenshots; the build must be in build/
# The window opens at its size for this screen (about two thirds of it).
# Saves main-window.png (a sample with COD selected), errors-dialog.png (a sample with errors),
# description-dialog.png (the description of SIZ), workbench.png (the cursor on a field, its facts
# in the status bar, the "&Przejdź" menu open), jp2-file.png (a JP2 file with its image header box
# selected), packets.png (the packet under the cursor, one of its code-blocks marked), preview.png
# (a tile clicked in the tiled sample's picture) and preview-broken.png (a copy of that sample cut
# short: its lost tiles crossed out, the first tile-part of one selected).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
app=build/app/tarvik3
[ -x "$app" ] || { echo "build the viewer first (cmake --build build)" >&2; exit 1; }
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$out"

display=:$((120 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
viewer=""
scratch=$(mktemp -d)
trap 'kill $viewer $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display
sleep 1

# Starts the viewer on a file and waits for its main window.
start() {
    [ -n "$viewer" ] && { kill "$viewer" 2>/dev/null; wait "$viewer" 2>/dev/null || true; }
    "$app" "$1" >/dev/null 2>&1 &
    viewer=$!
    local window=""
    for _ in $(seq 50); do
        window=$(xdotool search --onlyvisible --pid "$viewer" 2>/dev/null | tail -1) && [ -n "$window" ] && break
        sleep 0.2
    done
    sleep 1
    focus
}
# Without a window manager nothing gives a window the keyboard, nor gives it back after a dialog.
focus() {
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$viewer" | tail -1)"
}
keys() {
    for k in "$@"; do
        xdotool key --clearmodifiers "$k"
        sleep 0.3
    done
}
# Saves the visible window whose title is given, reduced to a palette to keep the file small. The
# screen's pixels where it stands, so that an open menu over it is saved too.
save() {
    local id X Y WIDTH HEIGHT
    id=$(xdotool search --onlyvisible --name "^$1\$" | tail -1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip +dither -colors 256 "$out/$2"
    echo "$out/$2"
}

start samples/color-tiled.j2k
keys Down Right Down Down
save "color-tiled.j2k - tarvik plików jpc" main-window.png

keys Up alt+o
save "Opis markera" description-dialog.png
keys Escape

start samples/color-errors.j2k
keys alt+b
save "Błędy w strukturze" errors-dialog.png
keys Escape

# Ctrl+G to a Ptlm of the TLM segment: the tree, the detail line and the field's bytes follow.
focus
keys ctrl+g
xdotool type --delay 50 0x5e
keys Return
focus
keys alt+r
save "color-errors.j2k - tarvik plików jpc" workbench.png
keys Escape Escape

# The JP2 header box opened and its image header box selected: the box's bytes, header included.
start samples/color-irreversible.jp2
keys Down Right Down Down Right Right
save "color-irreversible.jp2 - tarvik plików jpc" jp2-file.png

# Ctrl+G to the SOP of a packet, then the cursor into its body: the packet selected under its data
# block, its SOP, header and EPH apart from its body, the code-block whose bytes hold the cursor lit
# with its line.
start tests/corpus/packets-opj-lrcp-layers.j2k
keys ctrl+g
xdotool type --delay 50 0x20e
keys Return
focus
keys Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right
save "packets-opj-lrcp-layers.j2k - tarvik plików jpc" packets.png

# A click in the middle of the preview's picture (the pane at the window's right, three quarters as
# wide as the window is tall) selects the first tile-part of the tile there.
click_picture() {
    local id X Y WIDTH HEIGHT
    id=$(xdotool search --onlyvisible --name "^$1\$" | tail -1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + WIDTH - HEIGHT * 3 / 8 + ${2:-0})) $((Y + HEIGHT / 2 - 30 + ${3:-0})) click 1
    sleep 0.5
}

start samples/color-tiled.j2k
sleep 1
click_picture "color-tiled.j2k - tarvik plików jpc"
save "color-tiled.j2k - tarvik plików jpc" preview.png

# Cut inside the first tile-part of tile 6: the tiles after it are crossed out; a click on tile 5
# shows the part of the fatally broken file read before the fault and selects its tile-part.
head -c 9000 samples/color-tiled.j2k >"$scratch/color-tiled-cut.j2k"
start "$scratch/color-tiled-cut.j2k"
sleep 1
click_picture "color-tiled-cut.j2k - tarvik plików jpc"
save "color-tiled-cut.j2k - tarvik plików jpc" preview-broken.png
