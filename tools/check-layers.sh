#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own:
# platform/ may include neither media/ nor runtime/ headers, media/ may not include runtime/ ones.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
status=0
check() {
  local dir=$1 pattern=$2
  [ -d "$root/$dir" ] || return 0
  local hits
  hits=$(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.c' --include='*.inc' \
         "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($pattern)/" "$root/$dir" || true)
  if [ -n "$hits" ]; then
    echo "upward include in $dir/:"
    echo "$hits" | sed "s|$root/||"
    status=1
  fi
}
check platform 'media|runtime'
check media 'runtime'
[ $status -eq 0 ] && echo "layers: no upward include"
exit $status
