#!/usr/bin/env python3
"""Checks docs/form.schema.json against the form files we ship and against boton itself.

Every example form must satisfy the schema and load in boton; each deliberately broken form
below must be refused by both. A schema that drifts from the parser fails here.
usage: validate_forms.py SCHEMA BOTON FORM...
"""
import copy
import json
import os
import subprocess
import sys

import jsonschema

GOOD = {
    "Form": {"Caption": "t", "Width": 3000, "Height": 2000, "BackColor": "&H8000000F&",
             "Font": {"Name": "DejaVu Sans", "Size": 8.25}},
    "Controls": [{"Name": "B1", "Left": 15, "Top": 15, "Width": 1500, "Height": 500,
                  "Default": True, "Properties": {"Caption": "Hola", "roundsize": 7,
                                                  "BackColor": 255, "Light": -45}}],
}


def broken(path, value):
    doc = copy.deepcopy(GOOD)
    *parents, last = path
    target = doc
    for p in parents:
        target = target[p]
    if isinstance(target, list) and last == len(target):
        target.append(value)
    else:
        target[last] = value
    return doc


BAD = {
    "misspelt key": broken(["Controls", 0, "Properties", "Captoin"], "x"),
    "unknown control attribute": broken(["Controls", 0, "Colour"], 1),
    "unknown form attribute": broken(["Form", "Colour"], 1),
    "unknown section": broken(["Extra"], {}),
    "size as text": broken(["Controls", 0, "Width"], "wide"),
    "negative width": broken(["Controls", 0, "Width"], -15),
    "default as number": broken(["Controls", 0, "Default"], 1),
    "colour text": broken(["Form", "BackColor"], "red"),
    "colour too large": broken(["Controls", 0, "Properties", "BackColor"], 2**31),
    "font size zero": broken(["Form", "Font", "Size"], 0),
    "font attribute": broken(["Form", "Font", "Colour"], 1),
    "picture with two sources": broken(["Controls", 0, "Properties", "Picture"],
                                       {"png": "", "file": "x.png"}),
    "absolute picture": broken(["Controls", 0, "Properties", "Picture"], {"file": "/etc/x.png"}),
    "controls not a list": broken(["Controls"], {}),
}


def with_control(doc, control):
    doc["Controls"].append(control)
    return doc


# What the loader refuses and accepts at its own limits; the schema must say the same.
LOADER_CASES = {
    "fractional RoundSize": (broken(["Controls", 0, "Properties", "roundsize"], 20.5), False),
    "whole RoundSize written with a fraction": (
        broken(["Controls", 0, "Properties", "roundsize"], 20.0), True),
    "numeric Caption": (broken(["Controls", 0, "Properties", "Caption"], 5), False),
    "textual Enabled": (broken(["Controls", 0, "Properties", "Enabled"], "True"), False),
    "Light past 16 bits": (broken(["Controls", 0, "Properties", "Light"], 100000), False),
    "Light at its least": (broken(["Controls", 0, "Properties", "Light"], -32000), True),
    "Light that overflows a colour": (broken(["Controls", 0, "Properties", "Light"], 32767), False),
    "pointer shape 99": (broken(["Controls", 0, "Properties", "MousePointer"], 99), True),
    "pointer shape 16": (broken(["Controls", 0, "Properties", "MousePointer"], 16), False),
    "second Default": (broken(["Controls", 1], {"Name": "B2", "Default": True}), False),
    "second Cancel": (with_control(broken(["Controls", 0, "Cancel"], True), {"Cancel": True}),
                      False),
    "a Default and a Cancel": (broken(["Controls", 1], {"Cancel": True}), True),
    "fractional Weight": (broken(["Form", "Font", "Weight"], 400.5), False),
    "null Caption": (broken(["Controls", 0, "Properties", "Caption"], None), False),
}


def schema_cases(schema):
    """Forms made from the schema itself: for every attribute and property with a type, a value
    at each bound, one past each bound, a fraction where an integer is asked for, and a value of
    another type. Yields (name, form, the schema's verdict)."""
    defs = schema["$defs"]
    places = [(["Form"], schema["properties"]["Form"]["properties"]),
              (["Controls", 0], defs["control"]["properties"]),
              (["Form", "Font"], defs["font"]["properties"]),
              (["Controls", 0, "Properties"], defs["properties"]["properties"])]
    for parent, members in places:
        for key, rule in members.items():
            rule = defs[rule["$ref"].split("/")[-1]] if "$ref" in rule else rule
            kind = rule.get("type")
            values = []
            if "enum" in rule:
                allowed = set(rule["enum"])
                values += sorted({v + step for v in allowed for step in (-1, 0, 1)})
            elif kind in ("integer", "number"):
                low, high = rule.get("minimum"), rule.get("maximum")
                if low is not None:
                    values += [low, low - 1]
                if high is not None:
                    values += [high, high + 1]
                if kind == "integer":
                    values.append(1.5)
                values.append("1")
            elif kind == "string":
                values += [5, True]
            elif kind == "boolean":
                values += ["true", 1]
            for value in values:
                doc = broken(parent + [key], value)
                yield f"{'.'.join(map(str, parent + [key]))} = {value!r}", doc


def boton_accepts(boton, doc, folder):
    run = subprocess.run([boton, "resave", "-", "-o", "-"], input=json.dumps(doc).encode(),
                         cwd=folder, capture_output=True)
    if run.returncode not in (0, 1):
        sys.exit(f"boton ended with status {run.returncode}: {run.stderr.decode()}")
    return run.returncode == 0


def main():
    schema_path, boton, *forms = sys.argv[1:]
    boton = os.path.abspath(boton)
    schema = json.load(open(schema_path))
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failures = []
    for path in forms:
        doc = json.load(open(path))
        errors = [e.message for e in validator.iter_errors(doc)]
        if errors:
            failures.append(f"{path}: {errors[0]}")
        if not boton_accepts(boton, doc, os.path.dirname(os.path.abspath(path))):
            failures.append(f"{path}: boton refuses it")
    if not validator.is_valid(GOOD) or not boton_accepts(boton, GOOD, "."):
        failures.append("the reference form is refused")
    for name, doc in BAD.items():
        if validator.is_valid(doc):
            failures.append(f"the schema accepts a form with a {name}")
        if boton_accepts(boton, doc, "."):
            failures.append(f"boton accepts a form with a {name}")
    cases = [(name, doc) for name, (doc, _) in LOADER_CASES.items()]
    for name, (doc, expected) in LOADER_CASES.items():
        if validator.is_valid(doc) != expected:
            failures.append(f"the schema {'refuses' if expected else 'accepts'} a form with a {name}")
    cases += list(schema_cases(schema))
    for name, doc in cases:
        by_schema = validator.is_valid(doc)
        if boton_accepts(boton, doc, ".") != by_schema:
            failures.append(f"{name}: the schema {'accepts' if by_schema else 'refuses'} it, "
                            f"boton does not")
    for f in failures:
        print(f, file=sys.stderr)
    print(f"{len(forms)} forms valid, {len(BAD)} broken forms refused by schema and boton, "
          f"{len(cases)} generated forms judged alike")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
