#!/usr/bin/python3
# Reads the running program over AT-SPI as a screen reader does, presses a plan tab through its action, and
# checks what a blind user would hear. Usage: screenreader.py PID. Prints one line a check; exit 0 when all hold.
import sys
import time

import pyatspi
from gi.repository import GLib

WAIT_S = 20
START_S = 60  # the program, the accessibility bus and its registry all start at once, on a busy machine too


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def ok(message):
    print("ok: " + message, flush=True)


def wait_for(what, probe, seconds=WAIT_S):
    """The first true answer of probe() within `seconds`; the tree may change under a probe meanwhile. `what`
    names what was awaited (or says so when called) for the failure message."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # an object went away while it was read
            found = None
        if found:
            return found
        time.sleep(0.05)
        while GLib.MainContext.default().iteration(False):  # deliver the events listened for
            pass
    fail(what() if callable(what) else what)


pid = int(sys.argv[1])


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.clear_cache()  # the registered programs and their states are read fresh, not from an earlier look
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def programs():
    try:
        return ", ".join("%s (%d)" % (app.name, app.get_process_id())
                         for app in pyatspi.Registry.getDesktop(0) if app is not None) or "none"
    except Exception as error:
        return repr(error)


def find(role, name):
    app = program()
    if app is None:
        return None
    return pyatspi.findDescendant(app, lambda a: a is not None and a.getRole() == role and a.name == name)


def has(accessible, state):
    return accessible.getState().contains(state)


def press(accessible):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    for i, name in enumerate(names):
        if name.lower() == "press":
            actions.doAction(i)
            return
    fail("%s %r has no press action (it has %s)" % (accessible.getRoleName(), accessible.name, names))


wait_for(lambda: "the program %d on the accessibility bus (programs there: %s)" % (pid, programs()), program,
         START_S)
ok("the program is on the accessibility bus")

for name in ("开始更名", "还原", "添加文件", "添加文件夹", "上移", "下移", "删除", "清空", "最小化", "关闭"):
    button = wait_for("a push button named %s" % name, lambda: find(pyatspi.ROLE_PUSH_BUTTON, name))
    actions = button.queryAction()
    if "press" not in [actions.getName(i).lower() for i in range(actions.nActions)]:
        fail("push button %s has no press action" % name)
ok("the ten buttons are push buttons with a press action, 开始更名 and 还原 among them")
restore = find(pyatspi.ROLE_PUSH_BUTTON, "还原")
if not has(restore, pyatspi.STATE_SHOWING) or has(restore, pyatspi.STATE_ENABLED):
    fail("还原 should be shown and disabled before a rename")
ok("还原 is shown and disabled")

numbering = wait_for("a page tab named 重新命名", lambda: find(pyatspi.ROLE_PAGE_TAB, "重新命名"))
replace = wait_for("a page tab named 原文件名修改", lambda: find(pyatspi.ROLE_PAGE_TAB, "原文件名修改"))
for tab in (numbering, replace):
    if tab.parent is None or tab.parent.getRole() != pyatspi.ROLE_PAGE_TAB_LIST:
        fail("the tab %s is not in a page tab list" % tab.name)
    if not has(tab, pyatspi.STATE_FOCUSABLE):
        fail("the tab %s cannot take the focus" % tab.name)
if not has(numbering, pyatspi.STATE_SELECTED) or has(replace, pyatspi.STATE_SELECTED):
    fail("重新命名 should be the selected tab at start")
ok("the plan tabs are page tabs in a page tab list, 重新命名 selected")

replace_fields = ("在文件名前添加", "在文件名后追加", "要替换的文字", "替换成")
for name in replace_fields:
    field = wait_for("a text field named %s" % name, lambda: find(pyatspi.ROLE_TEXT, name))
    if has(field, pyatspi.STATE_SHOWING):
        fail("the replace field %s shows before its tab is chosen" % name)
ok("the replace plan's fields are in the tree and not shown")

cell = wait_for("a new-name cell that says why it cannot be renamed",
                lambda: find(pyatspi.ROLE_TABLE_CELL, "1.txt"))
wait_for("the description of the failing new name 1.txt",
         lambda: find(pyatspi.ROLE_TABLE_CELL, "1.txt").description.startswith("无法更名："))
ok("the failing new name reads: %s" % find(pyatspi.ROLE_TABLE_CELL, "1.txt").description)

# The tip line is a status line; what it says now (a row cannot be renamed) changes when the plan does, and the
# change is announced as a name change of the status line.
failing_tip = "有 1 个文件无法更名"
designed_tip = "小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名"


def status_line():
    app = program()
    return app and pyatspi.findDescendant(app, lambda a: a is not None and a.getRole() == pyatspi.ROLE_STATUS_BAR
                                          and a.name.startswith(failing_tip))


ok("the tip line is a status line reading: " + wait_for("a status line that reads " + failing_tip, status_line).name)
announced = []


def heard(event):
    if event.source is not None and event.source.getRole() == pyatspi.ROLE_STATUS_BAR:
        announced.append(event.source.name)


pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")
time.sleep(0.5)  # the program learns of the new listener over the bus

press(replace)
for name in replace_fields:
    wait_for("the replace field %s shows after pressing 原文件名修改" % name,
             lambda: has(find(pyatspi.ROLE_TEXT, name), pyatspi.STATE_SHOWING))
wait_for("原文件名修改 becomes the selected tab", lambda: has(find(pyatspi.ROLE_PAGE_TAB, "原文件名修改"),
                                                            pyatspi.STATE_SELECTED))
wait_for("重新命名 is no longer selected", lambda: not has(find(pyatspi.ROLE_PAGE_TAB, "重新命名"),
                                                          pyatspi.STATE_SELECTED))
wait_for("the numbering field 前缀 is hidden", lambda: not has(find(pyatspi.ROLE_TEXT, "前缀"), pyatspi.STATE_SHOWING))
ok("pressing 原文件名修改 shows its fields: " + "、".join(replace_fields))
wait_for("the status line announces " + designed_tip, lambda: designed_tip in announced)
ok("the status line announced: " + designed_tip)
