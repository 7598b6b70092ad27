#!/usr/bin/env python3
# PLACEHOLDER (to be replaced): converts the text source to the C++ table without validation.
import sys
src, out = sys.argv[1], sys.argv[2]
days = {}
lines = [l.rstrip('\n') for l in open(src, encoding='utf-8') if not l.startswith('#')]
i = 0
while i < len(lines):
    if not lines[i].strip():
        i += 1; continue
    d, m = lines[i].split('.')[:2]
    days[(int(m), int(d))] = (lines[i+1], lines[i+2]); i += 3
blob = bytearray()
for m in range(1, 13):
    for d in range(1, 32):
        a, b = days.get((m, d), ('', ''))
        for t in (a, b):
            blob += t.replace(' (', ' (', 1).encode('cp1250') + b'\0'
with open(out, 'w') as f:
    f.write('#include <stddef.h>\nextern const char WatchwordTable[] = {\n')
    for k in range(0, len(blob), 16):
        f.write(''.join('%d,' % (c if c < 128 else c - 256) for c in blob[k:k+16]) + '\n')
    f.write('};\nextern const size_t WatchwordTableSize = sizeof WatchwordTable;\n')
