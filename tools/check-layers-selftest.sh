#!/usr/bin/env bash
# The layer check must notice an upward include that is planted in a copy of a tiny tree.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/platform/win" "$tmp/media/base" "$tmp/runtime/vm"
echo '#include "platform/win/a.h"' > "$tmp/media/base/ok.cpp"
echo '#include "media/base/b.h"' > "$tmp/runtime/vm/ok.cpp"
"$here/check-layers.sh" "$tmp" >/dev/null || { echo "clean tree was rejected"; exit 1; }
echo '#include "runtime/vm/value.h"' > "$tmp/media/base/bad.cpp"
if "$here/check-layers.sh" "$tmp" >/dev/null; then echo "media -> runtime include was not caught"; exit 1; fi
rm "$tmp/media/base/bad.cpp"
echo '  # include <media/base/x.h>' > "$tmp/platform/win/bad.h"
if "$here/check-layers.sh" "$tmp" >/dev/null; then echo "platform -> media include was not caught"; exit 1; fi
rm "$tmp/platform/win/bad.h"
mkdir -p "$tmp/media/graphics/d3d11"
echo 'void f() { D3D11Sys.context->Draw(3, 0); }' > "$tmp/media/graphics/d3d11/wrappers.cpp"
echo 'void g() { D3D11DeviceContext_Draw(3, 0); }' > "$tmp/media/graphics/d3d11/draw.cpp"
"$here/check-layers.sh" "$tmp" >/dev/null || { echo "context calls inside the wrappers were rejected"; exit 1; }
echo 'void h() { ctx->Draw(3, 0); }' > "$tmp/media/graphics/d3d11/bad.cpp"
if "$here/check-layers.sh" "$tmp" >/dev/null; then echo "a direct ctx-> call was not caught"; exit 1; fi
rm "$tmp/media/graphics/d3d11/bad.cpp"
echo '  s.context->IASetInputLayout(layout);' > "$tmp/media/graphics/d3d11/bad.h"
if "$here/check-layers.sh" "$tmp" >/dev/null; then echo "a direct context-> call was not caught"; exit 1; fi
echo "layer check self-test passed"
