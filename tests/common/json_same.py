"""Compares a listing (JSON objects one after another) with an expected JSON file as values.

usage: json_same.py [--ignore KEY]... [--rel R] LISTING EXPECTED...
Prints the path of the first difference and exits 1, or exits 0 when they are equal. Numbers
compare as values (34 equals 34.0), within the relative tolerance R when given (values printed
with six digits). Several expected files stand for the objects one after another; --ignore drops
a key of the top-level objects from both sides.
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


REL = 0.0


def diff(a, b, path):
    if isinstance(a, dict) and isinstance(b, dict):
        for k in sorted(set(a) | set(b)):
            if k not in a or k not in b:
                return f"{path}/{k}: {'missing' if k not in a else 'extra'}"
        return next(filter(None, (diff(a[k], b[k], f"{path}/{k}") for k in sorted(a))), None)
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return f"{path}: {len(a)} items, expected {len(b)}"
        return next(filter(None, (diff(x, y, f"{path}[{i}]") for i, (x, y) in enumerate(zip(a, b)))),
                    None)
    numbers = (int, float)
    if (REL and isinstance(a, numbers) and isinstance(b, numbers) and not isinstance(a, bool)
            and not isinstance(b, bool) and abs(a - b) <= REL * max(abs(a), abs(b))):
        return None
    if isinstance(a, bool) != isinstance(b, bool) or a != b:
        return f"{path}: {json.dumps(a)}, expected {json.dumps(b)}"
    return None


def main():
    global REL
    args, ignore = sys.argv[1:], []
    while args and args[0].startswith("--"):
        if args[0] == "--rel":
            REL = float(args[1])
        else:
            ignore.append(args[1])
        args = args[2:]
    got = objects(open(args[0], encoding="utf-8", errors="replace").read())
    want = [json.load(open(name, encoding="utf-8")) for name in args[1:]]
    for obj in got + want:
        for k in ignore:
            obj.pop(k, None)
    d = diff(got, want, "")
    if d:
        sys.exit(print(d) or 1)


main()
