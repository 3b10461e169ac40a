#!/bin/bash
# Kvo_xls.so must load into any process: it may need the C/C++ runtime and nothing else, and it
# exports the eight template functions and nothing else.
set -u
library=$1
status=0

needed=$(readelf -d "$library" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for lib in $needed; do
    case $lib in
        libc.so.* | libm.so.* | libstdc++.so.* | libgcc_s.so.*) ;;
        *) echo "needs $lib beyond the runtime"; status=1 ;;
    esac
done

exports=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
expected="StrCaption StrCaptionA StrCaptionBO StrCaptionSA StrCaptionSOS StrCaptionST StrCaptionSV StrCaptionSZK "
if [ "$exports" != "$expected" ]; then
    echo "exports: $exports"
    echo "expected: $expected"
    status=1
fi
exit $status
