"""Validates a SARIF log against the SARIF 2.1.0 schema beside this script (the schema as
published, from the npm package @microsoft/jest-sarif, MIT licence) and prints one line per
result: rule, artifact URI (with its base), logical location and message."""
import json
import pathlib
import sys

import jsonschema

schema = json.loads((pathlib.Path(__file__).parent / "sarif-schema-2.1.0.json").read_text())
log = json.loads(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8"))
errors = sorted(jsonschema.Draft4Validator(schema).iter_errors(log), key=str)
for error in errors:
    print("schema:", list(error.absolute_path), error.message)
if errors:
    sys.exit(1)
run = log["runs"][0]
rules = [rule["id"] for rule in run["tool"]["driver"]["rules"]]
for result in run["results"]:
    assert rules[result["ruleIndex"]] == result["ruleId"], result
    location = result["locations"][0]
    artifact = location["physicalLocation"]["artifactLocation"]
    uri = artifact.get("uriBaseId", "") + ":" + artifact["uri"]
    entries = [l["fullyQualifiedName"] for l in location.get("logicalLocations", [])]
    print(result["ruleId"], uri, ",".join(entries) or "-", result["message"]["text"], sep=" | ")
