#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints what a screen reader sees of the running wizard over the AT-SPI bus:
# role, name, description and the states that matter, one line per object
# that is showing. With --listen, prints instead the events a screen reader
# would speak from (focus, descriptions, names, selection) until killed.
# Run with Debian's python3-pyatspi (/usr/bin/python3).
import sys

import pyatspi


def states(acc):
    s = acc.getState()
    names = []
    for state, word in ((pyatspi.STATE_FOCUSABLE, "focusable"), (pyatspi.STATE_FOCUSED, "FOCUSED"),
                        (pyatspi.STATE_SELECTED, "selected"), (pyatspi.STATE_CHECKED, "checked"),
                        (pyatspi.STATE_EDITABLE, "editable"), (pyatspi.STATE_SENSITIVE, None)):
        if s.contains(state):
            if word:
                names.append(word)
        elif state == pyatspi.STATE_SENSITIVE:
            names.append("disabled")
    return names


def relations(acc):
    out = []
    for rel in acc.getRelationSet():
        kind = rel.getRelationType()
        if kind in (pyatspi.RELATION_LABELLED_BY, pyatspi.RELATION_DESCRIBED_BY):
            targets = [rel.getTarget(i).name for i in range(rel.getNTargets())]
            word = "labelled-by" if kind == pyatspi.RELATION_LABELLED_BY else "described-by"
            out.append('%s "%s"' % (word, "; ".join(t[:40] for t in targets)))
    return out


def walk(acc, depth):
    if not acc.getState().contains(pyatspi.STATE_SHOWING) and depth > 1:
        return
    line = "  " * depth + "[%s] \"%s\"" % (acc.getRoleName(), acc.name)
    if acc.description:
        line += " (%s)" % acc.description
    extra = states(acc) + relations(acc)
    if extra:
        line += "  " + ", ".join(extra)
    print(line)
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1)


def heard(event):
    src = event.source
    if event.type.startswith("object:state-changed:") and not event.detail1:
        return
    detail = event.any_data if isinstance(event.any_data, str) else ""
    print('%s [%s] "%s" %s' % (event.type, src.getRoleName(), src.name, detail), flush=True)


if sys.argv[1:2] == ["--listen"]:
    for kind in ("focus:", "object:state-changed:focused", "object:state-changed:selected",
                 "object:property-change:accessible-description", "object:property-change:accessible-name",
                 "object:selection-changed"):
        pyatspi.Registry.registerEventListener(heard, kind)
    pyatspi.Registry.start()
    sys.exit(0)

desktop = pyatspi.Registry.getDesktop(0)
wanted = sys.argv[1] if len(sys.argv) > 1 else "quillmark"
for app in desktop:
    if app is not None and app.name == wanted:
        for i in range(app.childCount):
            walk(app.getChildAtIndex(i), 1)
