#!/usr/bin/env bash
# Checks that every quoted include of the product's code points down the
# layers: core <- math <- system <- io <- scene <- animation/particles/audio
# <- render <- modules <- app <- app/gtk (the dialog's view) <- app/main.cpp
# (the program's entry, which puts them together), and that the platform
# stand-ins know nothing of the engine. Prints each offending include as FILE:LINE and exits 1.
#
#   scripts/check-includes.sh [ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

engine_layers=(core math system io scene "animation particles audio" render)

# What each unit may include besides itself, as a space-separated list.
declare -A allowed
below=""
for layer in "${engine_layers[@]}"; do
  for unit in $layer; do
    allowed[engine/$unit]="$below"
  done
  for unit in $layer; do below="$below engine/$unit"; done
done
# The stand-ins for what the operating system gives sit below the engine.
platform_os="platform/os platform/registry platform/resources"
allowed[engine/system]+=" $platform_os"
for unit in io scene animation particles audio render; do
  allowed[engine/$unit]+=" $platform_os"
done
allowed[engine/audio]+=" platform/bass"
# Sound nodes are switched by animation tracks.
allowed[engine/audio]+=" engine/animation"
allowed[engine/render]+=" platform/bass"
allowed[modules]="$below $platform_os platform/bass platform/d3d9/shader platform/d3d9/device platform/d3d9"
allowed[app]="$below modules $platform_os platform/bass platform/d3d9/shader platform/d3d9/device platform/d3d9"
allowed[app/gtk]="${allowed[app]} app"
allowed[app/main]="${allowed[app/gtk]} app/gtk"
allowed[platform/os]=""
allowed[platform/resources]=""
allowed[platform/registry]="platform/os"
allowed[platform/bass]=""
allowed[platform/d3d9/shader]=""
# The adapter's modes are those of the primary monitor.
allowed[platform/d3d9/device]="platform/d3d9/shader platform/d3d9 platform/os"
allowed[platform/d3d9]="platform/d3d9/shader"

# One pass over every quoted include: the unit of a path is its folder of
# engine/ or platform/, a half of platform/d3d9, the modules, the app, its
# view or its entry.
rules=$(for unit in "${!allowed[@]}"; do echo "$unit=${allowed[$unit]}"; done)
folders=()
for folder in engine platform modules app; do
  [ -d "$folder" ] && folders+=("$folder")
done
grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
    "${folders[@]}" |
  awk -v rules="$rules" '
    function unit(path, parts) {
      split(path, parts, "/")
      if (parts[1] == "engine" && parts[3] != "") return "engine/" parts[2]
      if (parts[1] == "platform" && parts[2] == "d3d9" && (parts[3] == "shader" || parts[3] == "device") && parts[4] != "")
        return "platform/d3d9/" parts[3]
      if (parts[1] == "platform" && parts[3] != "") return "platform/" parts[2]
      if (parts[1] == "app" && parts[2] == "gtk" && parts[3] != "") return "app/gtk"
      if (parts[1] == "app" && parts[2] == "main.cpp") return "app/main"
      if (parts[1] == "modules" || parts[1] == "app") return parts[1]
      return ""
    }
    BEGIN {
      n = split(rules, lines, "\n")
      for (i = 1; i <= n; ++i) {
        eq = index(lines[i], "=")
        from = substr(lines[i], 1, eq - 1)
        m = split(substr(lines[i], eq + 1), targets, " ")
        for (j = 1; j <= m; ++j) ok[from, targets[j]] = 1
      }
    }
    {
      split($0, fields, ":")
      file = fields[1]; line = fields[2]
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*$/, "", target)
      from = unit(file); to = unit(target)
      if (from == "" || from == to) next
      if (to == "" || !((from, to) in ok)) {
        printf "%s:%s: %s may not include \"%s\"\n", file, line, from, target > "/dev/stderr"
        ++failures
      }
    }
    END {
      if (failures) {
        printf "check-includes: %d include(s) point up or sideways\n", failures > "/dev/stderr"
        exit 1
      }
      print "check-includes: every include points down"
    }'
