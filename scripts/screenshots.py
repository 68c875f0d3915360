"""Drives the console through a demo game over its remote control and names
the moments to photograph: each line printed is the name of a screenshot the
shell script takes before it answers with a line of its own."""
import json
import socket
import sys
import time


class Remote:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.file = self.sock.makefile("rwb")
        self.n = 0

    def req(self, **kw):
        self.n += 1
        kw["id"] = self.n
        self.file.write((json.dumps(kw, ensure_ascii=False) + "\n").encode())
        self.file.flush()
        answer = json.loads(self.file.readline())
        if not answer.get("ok"):
            print("refused:", kw, answer, file=sys.stderr)
        return answer

    def act(self, window, control, action, **kw):
        return self.req(op="act", window=window, control=control, action=action, **kw)


def ready(window, control, seconds=5.0):
    """Waits until a control may be used: a play button stays disabled while
    the CG is still making the preview of the page just chosen."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        state = r.req(op="get", window=window, control=control)
        if state.get("state", {}).get("enabled"):
            return
        time.sleep(0.05)
    print("still disabled:", window, control, file=sys.stderr)


def shot(name):
    print(name, flush=True)
    sys.stdin.readline()


r = Remote(int(sys.argv[1]))
shot("start")
r.act("mStart", "Command1", "click")
M = "Main"
r.act(M, "List1", "select", index=0)
r.act(M, "Command1", "click")
r.act(M, "List1", "select", index=1)
r.act(M, "Command3", "click")
r.act(M, "StartCmd", "click")
for _ in range(9):
    r.act(M, "List4(0)", "dblclick", index=0)
r.act(M, "SSTab1", "select", index=1)
for _ in range(9):
    r.act(M, "List4(1)", "dblclick", index=0)
# As the guide has it: 比賽開始 first, then the set-up window again (it shows
# the game as stored) and GO.
r.act(M, "Command13", "click")
r.act("mStart", "Command1", "click")
r.act(M, "SSTab1", "select", index=1)
shot("setup")
r.act(M, "GO", "click")
C = "Baseball_Beat"
for control in ["SBO_Lab(1)", "SBO_Lab(2)", "SBO_Lab(2)"]:
    r.act(C, control, "press")
r.act(C, "SSTab3", "select", index=0)
r.act(C, "Command1(2)", "click")
r.act(C, "Command4", "click")
r.act(C, "Base_Check(1)", "check", value=1)
r.act(C, "SBO_Lab(3)", "press")
r.act(C, "List3", "select", index=6)
shot("console")
r.act(C, "List3", "select", index=11)
ready(C, "Command5")
r.act(C, "Command5", "click")
r.act(C, "List4", "select", index=0)
shot("graphics")
r.act(C, "Command8", "click")
shot("preview")
r.act("mDisplay", "Image1", "press")
# What is on air: the quick count on layer 1, then the batter's line cut on layer 2.
r.act(C, "SBO_Cmd", "click")
r.act(C, "FastCheck2", "check", value=1)
r.act(C, "Option2(1)", "check", value=1)
r.act(C, "List3", "select", index=4)
ready(C, "Command5")
r.act(C, "Command5", "click")
shot("onair")
# A cued count box brought up to date by the next pitch, before play is pressed.
r.act(C, "List3", "select", index=6)
r.act(C, "SBO_Lab(2)", "press")
shot("cue")
