#!/usr/bin/env bash
# Recompiles the bundled sample type library from its IDL (widl and the IDL headers of wine64-tools).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here/sample"
/usr/lib/wine/widl -m64 --win64 -I/usr/include/wine/wine/windows \
    -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows -t -o widget.tlb widget.idl
echo "wrote $here/sample/widget.tlb"
