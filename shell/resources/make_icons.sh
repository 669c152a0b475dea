#!/bin/sh
# Regenerates the toolbar icons (24x24 PNG) with ImageMagick.
set -e
cd "$(dirname "$0")/icons"
C="convert -size 24x24 xc:none -strokewidth 1.5"
$C -fill '#2e8b57' -stroke '#1b5e20' -draw "polygon 7,4 20,12 7,20" start.png
$C -fill none -stroke '#1565c0' -strokewidth 2.5 -draw "arc 4,4 20,20 30,330" \
   -fill '#1565c0' -stroke none -draw "polygon 17,3 22,9 15,10" restart.png
$C -fill white -stroke '#455a64' -draw "polygon 5,2 15,2 19,6 19,22 5,22 5,2" \
   -stroke '#2e7d32' -strokewidth 2 -draw "line 8,12 16,12" -draw "line 12,8 12,16" newinput.png
$C -fill '#90a4ae' -stroke '#546e7a' -draw "ellipse 12,9 8,5 0,360" \
   -stroke '#1e88e5' -strokewidth 2 -draw "line 8,16 6,21" -draw "line 13,16 11,21" -draw "line 18,16 16,21" newweather.png
$C -fill '#e53935' -stroke '#b71c1c' -draw "roundrectangle 3,3 21,21 3,3" \
   -stroke white -strokewidth 2.5 -draw "line 8,8 16,16" -draw "line 16,8 8,16" close.png
$C -fill white -stroke '#455a64' -draw "rectangle 7,3 17,9" -fill '#78909c' -draw "roundrectangle 2,9 22,18 2,2" \
   -fill white -draw "rectangle 7,14 17,21" print.png
$C -fill '#fffde7' -stroke '#616161' -draw "rectangle 4,2 20,22" \
   -stroke '#1e88e5' -strokewidth 1 -draw "line 7,7 17,7" -draw "line 7,11 17,11" -draw "line 7,15 17,15" -draw "line 7,19 13,19" notepad.png
$C -fill '#42a5f5' -stroke '#1565c0' -draw "rectangle 3,12 9,21" -fill '#ef5350' -stroke '#c62828' -draw "rectangle 14,5 20,21" compare.png
$C -fill white -stroke '#455a64' -draw "rectangle 2,3 22,21" -stroke '#90a4ae' -strokewidth 1 \
   -draw "line 2,9 22,9" -draw "line 2,15 22,15" -draw "line 9,3 9,21" -draw "line 16,3 16,21" results.png
$C -fill '#ffb300' -stroke '#795548' -draw "circle 12,12 12,3" -fill '#8e24aa' -draw "polygon 12,12 12,3 20,8" \
   -fill '#43a047' -draw "polygon 12,12 20,16 12,21" regroup.png
$C -fill '#8d6e63' -stroke none -draw "rectangle 2,13 22,22" -fill '#1e88e5' -draw "polygon 12,2 16,8 12,11 8,8" \
   -stroke '#1e88e5' -strokewidth 2 -draw "line 12,14 12,21" seepage.png
$C -fill none -stroke '#37474f' -strokewidth 2.5 -draw "polyline 18,4 6,4 13,12 6,20 18,20" sum.png
$C -fill white -stroke '#455a64' -draw "rectangle 2,3 22,21" -fill '#66bb6a' -stroke none \
   -draw "rectangle 4,13 7,19" -draw "rectangle 9,9 12,19" -draw "rectangle 14,6 17,19" -draw "rectangle 19,11 21,19" matrix.png
$C -fill '#1e88e5' -stroke '#0d47a1' -draw "circle 12,12 12,2" -fill white -stroke none \
   -font DejaVu-Sans-Bold -pointsize 15 -gravity center -annotate +0+1 "?" help.png
convert -size 64x64 xc:none -fill '#1565c0' -draw "polygon 32,4 52,36 44,56 20,56 12,36" \
   -fill '#bbdefb' -draw "polygon 32,18 42,38 37,48 27,48 22,38" rivulon.png
