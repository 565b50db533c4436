# check_translations.py <lupdate> <repo> <program>: every .ts of the program holds the English ids, finished,
# with the English placeholders in order; lupdate finds no id in the program's sources that they lack.
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

lupdate, repo, program = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
PLACEHOLDER = re.compile(r"%(\.1f|d|@|%)")
problems = []


def messages(ts):
    found = {}
    for message in ET.parse(ts).getroot().iter("message"):
        key, translation = message.get("id"), message.find("translation")
        found[key] = translation.text or ""
        if translation.get("type") or not found[key].strip():
            problems.append(f"{ts.name}: {key} unfinished or empty")
    return found


codes = re.search(r"set\(VISTREL_LANGUAGES ([^)]*)\)", (repo / "CMakeLists.txt").read_text()).group(1).split()
english = messages(repo / "translations" / f"{program}_en.ts")
for ts in (repo / "translations" / f"{program}_{code}.ts" for code in codes):
    texts = messages(ts)
    if list(texts) != list(english):
        problems.append(f"{ts.name}: ids differ from {program}_en.ts: {set(texts) ^ set(english)}")
    problems += [f"{ts.name}: {key} changes the placeholders: {text}" for key, text in texts.items()
                 if PLACEHOLDER.findall(text) != PLACEHOLDER.findall(english.get(key, ""))]

# lupdate does not follow the views' and models' own helpers: a copy spells them qsTrId/qtTrId.
REWRITES = {".qml": (r"\b[\w.]*\b(?:tr|localized|localizedString)\(", "qsTrId("),
            ".cpp": (r"\b(?:localizedString|formatWith\w+|lookupText\([^,()]+,)\s*\(?\s*"
                     r"QStringLiteral\(\s*(\"[^\"]*\")\s*\)(?=\s*[,)])", r"qtTrId(\1")}
with tempfile.TemporaryDirectory() as copy:
    for source in (repo / "src" / program).rglob("*"):
        if source.suffix in REWRITES:
            target = Path(copy) / source.relative_to(repo / "src")
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_text(re.sub(*REWRITES[source.suffix], source.read_text(encoding="utf-8")), encoding="utf-8")
    subprocess.run([lupdate, "-silent", copy, "-ts", f"{copy}/found.ts"], check=True, timeout=120, capture_output=True)
    used = {message.get("id") for message in ET.parse(f"{copy}/found.ts").getroot().iter("message")}
if len(used) < 10:
    problems.append(f"lupdate found only {sorted(used)}")
problems += [f"{key} is used in the code but no .ts holds it" for key in sorted(used - set(english))]
print("\n".join(problems) or f"{program}: {len(codes)} languages of {len(english)} texts, {len(used)} ids in the code")
sys.exit(1 if problems else 0)
