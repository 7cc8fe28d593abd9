#!/bin/sh
# Creates the Wine prefix $WINEPREFIX (DISPLAY, LC_ALL and WINEDEBUG already
# set by the caller) and gives it Wine's own fonts.
#
# This Wine does not look for its own fonts in its data folder, so dialogs
# fall back to a wider sans serif for "MS Sans Serif" (the label
# "Rozbaluje se:" then wraps) and the caption buttons lose their Marlett
# glyphs. The prefix's Fonts folder is searched.
set -eu
/usr/lib/wine/wine64 wineboot -i </dev/null
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
