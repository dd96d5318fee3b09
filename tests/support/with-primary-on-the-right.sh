#!/usr/bin/env bash
# Splits the X server's screen (2920 x 1200) into two monitors side by side, a 1000 x 1200
# one on the left and the primary, 1920 x 1080, on its right, as a laptop with an external
# screen is often set up; then runs the command.
#   with-x.sh --screen 2920x1200 with-primary-on-the-right.sh COMMAND...
set -euo pipefail
xrandr --setmonitor left 1000/260x1200/200+0+0 none
xrandr --setmonitor '*right' 1920/500x1080/300+1000+0 none
exec "$@"
