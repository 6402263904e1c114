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
echo "layer check self-test passed"
