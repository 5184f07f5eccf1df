"""Compares kolbufr -out=csv with the ecCodes decodes (<file>.expected.json) of BUFR files.

    bufr_expected.py KOLBUFR DATABASE FILE...

Prints one line per difference and a summary line "files F messages M subsets S refused R
rows N differences D"; a subset may be missing only when ecCodes found a local descriptor in it
(one the shipped local tables may lack). ecCodes repeats 0-31-021 for every associated field and
lists some quality values twice; those are left out of the comparison.
"""
import csv
import io
import json
import subprocess
import sys


def local(desc):
    return desc[0] == '0' and desc != '999999' and (int(desc[1:3]) >= 48 or int(desc[3:]) >= 192)


def expected_rows(subset):
    return [(e[0], e[1]) for e in subset if e[0] != '031021' and not (len(e) == 5 and e[2] is None)]


def same(want, got):
    if isinstance(want, str):
        return want.rstrip(' \0') == got
    if want is None or got == '':
        return want is None and got == ''
    try:
        g = float(got)
    except ValueError:
        return False
    return abs(g - want) <= 1e-9 * max(1.0, abs(want))


def main():
    kolbufr, database, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    totals = dict(messages=0, subsets=0, refused=0, rows=0, differences=0)
    for path in files:
        exp = json.load(open(path + '.expected.json'))
        text = subprocess.run([kolbufr, '-out=csv', '-message=none', '-file_path=' + database,
                               path], capture_output=True).stdout.decode('utf-8', 'replace')
        got = {}
        for r in list(csv.reader(io.StringIO(text)))[1:]:
            got.setdefault((int(r[0]), int(r[1])), []).append(r)
        name = path.rsplit('/', 1)[-1]

        def differ(what):
            totals['differences'] += 1
            print('%s: %s' % (name, what))

        for m in exp['messages']:
            totals['messages'] += 1
            refusing = False
            for s, subset in enumerate(m['subsets'] or [], 1):
                totals['subsets'] += 1
                mine = got.get((m['message'], s))
                if mine is None:
                    refusing = refusing or any(local(e[0]) for e in subset)
                    if not refusing:
                        differ('message %d subset %d not decoded' % (m['message'], s))
                    totals['refused'] += 1
                    continue
                want = expected_rows(subset)
                rows = [(r[3], r[4]) for r in mine if r[3] != '031021']
                totals['rows'] += len(rows)
                for k, (w, g) in enumerate(zip(want, rows)):
                    if w[0] != g[0] or not same(w[1], g[1]):
                        differ('message %d subset %d row %d: want %s %r got %s %r' %
                               (m['message'], s, k + 1, w[0], w[1], g[0], g[1]))
                        break
                else:
                    if len(want) != len(rows):
                        differ('message %d subset %d: %d rows, want %d' %
                               (m['message'], s, len(rows), len(want)))
    print('files %d messages %d subsets %d refused %d rows %d differences %d' % (
        len(files), totals['messages'], totals['subsets'], totals['refused'], totals['rows'],
        totals['differences']))
    return 1 if totals['differences'] else 0


if __name__ == '__main__':
    sys.exit(main())
