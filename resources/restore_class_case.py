"""Restores the letter case of a dialog item's class name in a compiled .res file.

windres stores every quoted control class in upper case ("MSCTLS_UPDOWN32"); the dialog
template keeps the name as the common controls spell it. Class names are matched without case,
so this changes nothing for the dialog manager, only what the template holds. The name is
replaced in place (same length), so no offset or size in the file changes.

usage: restore_class_case.py INPUT.res OUTPUT.res CLASS_NAME
"""
import sys


def main():
    source, target, name = sys.argv[1:4]
    data = open(source, "rb").read()
    wanted = name.encode("utf-16-le") + b"\0\0"
    stored = name.upper().encode("utf-16-le") + b"\0\0"
    if stored not in data:
        sys.exit("%s: no class %s to restore" % (source, name.upper()))
    open(target, "wb").write(data.replace(stored, wanted))


main()
