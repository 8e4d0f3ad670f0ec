#!/usr/bin/env bash
# Recompiles the OLE Automation library the portable build carries from its IDL (widl of wine64-tools; no imports).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here/typelib/builtin"
/usr/lib/wine/widl -m64 --win64 -t -o stdole2.tlb stdole2.idl
echo "wrote $here/typelib/builtin/stdole2.tlb"
