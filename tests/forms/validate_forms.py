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
    for f in failures:
        print(f, file=sys.stderr)
    print(f"{len(forms)} forms valid, {len(BAD)} broken forms refused by schema and boton")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
