#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own:
# platform/ may include neither media/ nor runtime/ headers, media/ may not include runtime/ ones.
# Also fails on a direct Direct3D 11 context call outside the back end's call wrappers.
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

# The Direct3D 11 back end reaches the immediate context only through its call wrappers,
# so every context call has one place that checks the context and can be traced.
d3d11=media/graphics/d3d11
if [ -d "$root/$d3d11" ]; then
  hits=$(grep -rnE --include='*.h' --include='*.cpp' '(^|[^A-Za-z0-9_])(context|ctx)->' "$root/$d3d11" \
         | grep -v "^$root/$d3d11/wrappers.cpp:" || true)
  if [ -n "$hits" ]; then
    echo "direct Direct3D 11 context call outside $d3d11/wrappers.cpp:"
    echo "$hits" | sed "s|$root/||"
    status=1
  else
    echo "d3d11: every context call goes through a wrapper"
  fi
fi
exit $status
