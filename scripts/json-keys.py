#!/usr/bin/python3
# The README's table of JSON keys, made from the schema's descriptions, so the
# two cannot drift apart:
#   json-keys.py SCHEMA            prints the table
#   json-keys.py SCHEMA README     exits 1 unless README holds it between the
#                                  markers, and says how they differ
#   json-keys.py SCHEMA README --write   puts it there
import difflib
import json
import sys

BEGIN = "<!-- json-keys: made by scripts/json-keys.py from docs/report.schema.json -->"
END = "<!-- json-keys: end -->"


def kind(node):
    types = node.get("type", [])
    types = types if isinstance(types, list) else [types]
    words = [t for t in types if t != "null"]
    text = " or ".join(words)
    if "null" in types:
        text += ", or null"
    return text


def rows(node, path):
    out = []
    for name, child in node.get("properties", {}).items():
        key = f"{path}.{name}" if path else name
        out.append(f"| `{key}` | {kind(child)} | {child['description']} |")
        if "properties" in child:
            out += rows(child, key)
        elif child.get("type") == "array" and "properties" in child.get("items", {}):
            out += rows(child["items"], key + "[]")
    return out


def table(schema):
    lines = ["| Key | Type | Value |", "|---|---|---|"] + rows(schema, "")
    return "\n".join([BEGIN] + lines + [END])


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        made = table(json.load(f))
    if len(sys.argv) == 2:
        print(made)
        return 0
    readme_path = sys.argv[2]
    with open(readme_path, encoding="utf-8") as f:
        readme = f.read()
    start, end = readme.find(BEGIN), readme.find(END)
    if start < 0 or end < start:
        print(f"{readme_path}: no table between the json-keys markers")
        return 1
    current = readme[start:end + len(END)]
    if "--write" in sys.argv[3:]:
        with open(readme_path, "w", encoding="utf-8") as f:
            f.write(readme[:start] + made + readme[end + len(END):])
        return 0
    if current == made:
        return 0
    print(f"{readme_path}: the JSON key table differs from the schema's (scripts/json-keys.py SCHEMA README --write mends it):")
    sys.stdout.writelines(difflib.unified_diff(current.splitlines(True), made.splitlines(True), "README", "schema"))
    return 1


sys.exit(main())
