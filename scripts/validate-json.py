#!/usr/bin/python3
# Validates JSON reports against the schema with a real validator (Debian's
# python3-jsonschema, draft 2020-12):  validate-json.py SCHEMA FILE...
# Prints each error with where it is; exits 1 when any file does not validate.
import json
import sys

from jsonschema import Draft202012Validator

schema_path, files = sys.argv[1], sys.argv[2:]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
Draft202012Validator.check_schema(schema)
validator = Draft202012Validator(schema)
status = 0
for path in files:
    try:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
    except (OSError, ValueError) as error:
        print(f"{path}: not JSON: {error}")
        status = 1
        continue
    for error in sorted(validator.iter_errors(document), key=lambda e: list(e.path)):
        where = "/".join(str(p) for p in error.path) or "(top)"
        print(f"{path}: {where}: {error.message}")
        status = 1
if not files:
    print("no files to validate")
    status = 1
sys.exit(status)
