"""Compares a listing (JSON objects one after another) with an expected JSON file as values.

usage: json_same.py LISTING EXPECTED
Prints the path of the first difference and exits 1, or exits 0 when they are equal. Numbers
compare as values (34 equals 34.0).
"""
import json
import sys


def objects(text):
    dec, pos, out = json.JSONDecoder(), 0, []
    while True:
        while pos < len(text) and text[pos].isspace():
            pos += 1
        if pos >= len(text):
            return out
        obj, pos = dec.raw_decode(text, pos)
        out.append(obj)


def diff(a, b, path):
    if isinstance(a, dict) and isinstance(b, dict):
        for k in sorted(set(a) | set(b)):
            if k not in a or k not in b:
                return f"{path}/{k}: {'missing' if k not in a else 'extra'}"
            d = diff(a[k], b[k], f"{path}/{k}")
            if d:
                return d
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return f"{path}: {len(a)} items, expected {len(b)}"
        for i, (x, y) in enumerate(zip(a, b)):
            d = diff(x, y, f"{path}[{i}]")
            if d:
                return d
        return None
    if isinstance(a, bool) != isinstance(b, bool) or a != b:
        return f"{path}: {json.dumps(a)}, expected {json.dumps(b)}"
    return None


def main():
    got = objects(open(sys.argv[1], encoding="utf-8", errors="replace").read())
    want = json.load(open(sys.argv[2], encoding="utf-8"))
    want = want if isinstance(want, list) else [want]
    d = diff(got, want, "")
    if d:
        print(d)
        sys.exit(1)


main()
