#!/usr/bin/python3
"""Checks OSCAL JSON files against one of NIST's schemas.

usage: validate_oscal.py SCHEMA FILE...
Prints each error with where it is and exits 1 when any file has one.

NIST's patterns use Unicode classes (\\p{L}, \\p{N}) that Python's re cannot
read, so the pattern check uses the regex module.
"""
import json
import sys

import jsonschema
import jsonschema._validators
import regex

jsonschema._validators.re = regex


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        validator = jsonschema.Draft7Validator(json.load(f))
    failed = False
    for name in sys.argv[2:]:
        with open(name, encoding="utf-8") as f:
            document = json.load(f)
        for error in validator.iter_errors(document):
            failed = True
            where = "/".join(str(p) for p in error.absolute_path)
            print(f"{name}: {where}: {error.message[:300]}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
