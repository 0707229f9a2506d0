#!/usr/bin/env bash
# Draws the demo profile's form images (A4 at 150 DPI: 1240 x 1754) with
# ImageMagick. The PNGs are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/Forms"
FONT=DejaVu-Sans
BOLD=DejaVu-Sans-Bold

# form OUT TITLE SUBTITLE then label:x:y:w:h entries
form() {
    local out=$1 title=$2 subtitle=$3
    shift 3
    local args=(-size 1240x1754 xc:white -fill none -stroke black -strokewidth 3
        -draw "rectangle 60,60 1180,1694"
        -stroke none -fill black -font "$BOLD" -pointsize 40 -annotate +90+140 "$title"
        -font "$FONT" -pointsize 22 -annotate +90+180 "$subtitle"
        -stroke black -strokewidth 2 -draw "line 90,200 1150,200")
    for e in "$@"; do
        IFS=: read -r label x y w h <<<"$e"
        args+=(-stroke none -fill black -font "$FONT" -pointsize 20 -annotate "+$x+$((y - 8))" "$label"
            -fill none -stroke '#555555' -strokewidth 1 -draw "rectangle $x,$y $((x + w)),$((y + h))")
    done
    args+=(-stroke none -fill '#444444' -font "$FONT" -pointsize 16
        -annotate +90+1670 "Kestrova demo form - printed layouts are placed with the Form Designer")
    convert "${args[@]}" -colorspace Gray -depth 8 "$out"
}

form "New Zealand/Example Form.png" "Example Form" "A sample form: place the field keys on the boxes" \
    "Surname:90:260:520:50" "Given names:640:260:510:50" "Date of birth:90:360:300:50" \
    "Gender:420:360:190:50" "Phone:640:360:510:50" "Address:90:460:1060:130" \
    "Notes:90:640:1060:400" "Signature:90:1100:520:90" "Date:640:1100:300:90"

form "New Zealand/Missing Person Summary.png" "Missing Person Summary" "New Zealand Police - search and rescue" \
    "Full name:90:260:700:50" "Age:820:260:330:50" "Height (cm):90:360:250:50" \
    "Weight (kg):370:360:250:50" "Hair colour:650:360:250:50" "Eye colour:930:360:220:50" \
    "Last seen at:90:460:1060:50" "Last seen (date and time):90:560:520:50" \
    "Clothing description:90:660:1060:200" "Vehicle:90:910:520:50" "Registration:640:910:510:50" \
    "Medical conditions:90:1010:1060:160" "Reported by:90:1220:520:50" "Contact phone:640:1220:510:50"

form "Australia/Incident Report.png" "Incident Report" "State Emergency Service - field report" \
    "Incident number:90:260:400:50" "Date:520:260:300:50" "Time:850:260:300:50" \
    "Location:90:360:1060:50" "Team leader:90:460:520:50" "Team members:640:460:510:50" \
    "Description of incident:90:560:1060:420" "Actions taken:90:1030:1060:300" \
    "Signed:90:1380:520:80" "Date signed:640:1380:300:80"
