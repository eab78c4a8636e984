#!/usr/bin/env python3
"""Checks the folders' layering and exits 1 naming each offending include.

- core/ includes nothing outside core/.
- Nothing below app/ (core, meter, engine, store, review, export, dialogs, compliance) includes app/.
- compliance/ judges loaded rows without windows or a database: it includes core/, compliance/ and the
  row type review/LevelData.h only.
- The core library (qxlogging_core) uses no widgets: its sources include no Qt Widgets, Print Support
  or chart headers, and no header that only the windows' library (qxlogging_ui) builds.
- Text-table entries are named in core/TextTable.h only: no other file declares an entry, and no call
  passes an entry as a bare number.
"""
import glob
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
BELOW_APP = ["core", "meter", "engine", "store", "review", "export", "dialogs", "compliance"]
COMPLIANCE_ALLOWED = ("core/", "compliance/", "review/LevelData.h")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
WIDGET_MODULES = ("QtWidgets", "QtPrintSupport")
TEXT_TABLE = "core/TextTable.h"
ENTRY_DECLARATION = re.compile(r"^\s*(?:inline\s+)?(?:constexpr\s+int\s+)?kT(?:xt|ext)\w*\s*=\s*\d", re.M)
ENTRY_CALL = re.compile(
    r"\b(?:GetText|T|ShowTextMessage|ShowEntryMessage|ConfirmEntry|BeginLongOperation|SetWaitTextEntry|"
    r"SetStartButtonCaption)\(\s*\d"
)


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for m in INCLUDE.finditer(f.read()):
            yield m.group(1) == '"', m.group(2)


def sources_of(target):
    """Files each folder's CMakeLists.txt adds to target, as paths relative to ROOT."""
    found = set()
    block = re.compile(r"target_sources\(\s*" + target + r"\s+PRIVATE(.*?)\)", re.S)
    for folder in BELOW_APP + ["app"]:
        cm = os.path.join(ROOT, folder, "CMakeLists.txt")
        if not os.path.exists(cm):
            continue
        with open(cm, encoding="utf-8") as f:
            text = re.sub(r"#.*", "", f.read())
        for m in block.finditer(text):
            found.update(folder + "/" + n for n in m.group(1).split())
    return found


def widget_headers():
    names = set()
    for module in WIDGET_MODULES:
        for d in glob.glob("/usr/include/*/qt6/" + module) + glob.glob("/usr/include/qt6/" + module):
            names.update(os.listdir(d))
    return names | {"qcustomplot.h"} | {m + "/" for m in WIDGET_MODULES}


def main():
    faults = []
    for folder in BELOW_APP:
        for path in sorted(glob.glob(os.path.join(ROOT, folder, "*.[hc]*"))):
            rel = os.path.relpath(path, ROOT)
            for quoted, name in includes(path):
                if not quoted:
                    continue
                if folder == "core" and not name.startswith("core/"):
                    faults.append(f"{rel}: core/ includes only core/, not \"{name}\"")
                elif folder == "compliance" and not name.startswith(COMPLIANCE_ALLOWED):
                    faults.append(f"{rel}: compliance/ includes only core/, compliance/ and review/LevelData.h, "
                                  f"not \"{name}\"")
                elif name.startswith("app/"):
                    faults.append(f"{rel}: nothing below app/ includes app/, not \"{name}\"")

    for folder in BELOW_APP + ["app"]:
        for path in sorted(glob.glob(os.path.join(ROOT, folder, "*.[hc]*"))):
            rel = os.path.relpath(path, ROOT)
            if rel == TEXT_TABLE:
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            checks = ((ENTRY_DECLARATION, "declares a text entry"), (ENTRY_CALL, "passes a bare entry number"))
            for pattern, what in checks:
                for m in pattern.finditer(text):
                    line = text.count("\n", 0, m.start()) + 1
                    faults.append(f"{rel}:{line}: {what}; name it in {TEXT_TABLE}")

    core = sources_of("qxlogging_core")
    ui_only = sources_of("qxlogging_ui") - core
    widgets = widget_headers()
    for rel in sorted(core):
        path = os.path.join(ROOT, rel)
        if not os.path.exists(path):
            continue
        for quoted, name in includes(path):
            if quoted and name in ui_only:
                faults.append(f"{rel}: the core library includes the window header \"{name}\"")
            elif not quoted and (name in widgets or name.split("/")[0] in WIDGET_MODULES):
                faults.append(f"{rel}: the core library includes the widget header <{name}>")

    for fault in faults:
        print("layering:", fault)
    if faults:
        return 1
    print(f"layering: ok ({len(core)} core library files, {len(ui_only)} window files)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
