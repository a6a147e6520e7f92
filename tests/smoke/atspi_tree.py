"""Reads the main window through AT-SPI as a screen reader does, prints it abridged and checks it.
   atspi_tree.py before|dialog|after"""
import sys
import time

import pyatspi

phase = sys.argv[1]


def app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == "agendix":
                return a
        time.sleep(0.1)
    sys.exit("agendix is not on the accessibility bus")


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def line(node, depth):
    states = node.getState()
    marks = [n for s, n in ((pyatspi.STATE_SELECTED, "selected"), (pyatspi.STATE_FOCUSED, "focused"))
             if states.contains(s)]
    text = f"{'  ' * depth}[{node.getRoleName()}] {node.name!r}"
    if node.description:
        text += f" ({node.description})"
    return text + (" " + ",".join(marks) if marks else "")


failures = []


def expect(what, ok):
    if not ok:
        failures.append(what)


if phase == "dialog":
    dialog = next((n for n, _ in walk(app()) if n.name == "일정관리 다이얼로그"), None)
    expect("the dialog", dialog is not None)
    if dialog is not None:
        # A combo box's name is its item on Linux; its label goes into the description.
        names = ("제목", "시작시간", "종료시간", "메모")
        fields = [(n.getRoleName(), n.name if n.name in names else n.description) for n, _ in walk(dialog)
                  if n.name in names or n.description in names]
        print(fields)
        expect(f"named fields {fields}", sorted(n for _, n in fields) == sorted(names))
    sys.exit("AT-SPI: " + "; ".join(failures) if failures else 0)

window = next(n for n, _ in walk(app()) if n.getRole() == pyatspi.ROLE_FRAME and n.name == "나의 일정관리")
nodes = list(walk(window))
shown = 0
for node, depth in nodes:
    # Abridged: the first cells of each calendar and every other kind of node.
    if node.getRole() == pyatspi.ROLE_TABLE_CELL:
        shown += 1
        if shown % 49 > 9 and not node.getState().contains(pyatspi.STATE_SELECTED):
            continue
    print(line(node, depth))

rows = [n.name for n, _ in nodes if n.getRole() == pyatspi.ROLE_LIST_ITEM and n.name[:2].isdigit()
        and n.name[2] == ":"]
expect("sixteen hourly rows", len(rows) == 16)
entry = "14:00 Smoke meeting" if phase == "after" else "14:00 빈 시간"
expect(f"row {entry!r} in {rows}", entry in rows)
expect("06:00 row free", "06:00 빈 시간" in rows)
selected_days = [n.name for n, _ in nodes if n.getRole() == pyatspi.ROLE_TABLE_CELL
                 and n.getState().contains(pyatspi.STATE_SELECTED)]
expect(f"selected days {selected_days}", selected_days[:2] == ["2003 년 3 월 5 일", "2003 년 4 월 5 일"])
spin = [n for n, _ in nodes if n.getRole() == pyatspi.ROLE_SPIN_BUTTON]
expect("spin button with the month", spin and spin[0].description == "2003 년 3 월")
labels = [n.name for n, _ in nodes if n.getRole() == pyatspi.ROLE_LABEL]
expect(f"captions in {labels[:3]}", "3 월 5 일 일정" in labels and "2003 년 4 월" in labels)
summary = [n.name for n, _ in nodes if n.getRole() == pyatspi.ROLE_LIST_ITEM and n.name.startswith("2003")]
if phase == "after":
    expect(f"summary row in {summary}", summary == ["2003 3 5 총 1 건의 일정이 있습니다."])
else:
    expect(f"no summary rows {summary}", summary == [])
if failures:
    sys.exit("AT-SPI: " + "; ".join(failures))
