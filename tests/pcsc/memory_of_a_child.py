#!/usr/bin/env python3
"""memory_of_a_child.py COMMAND...: starts COMMAND as this process's child,
sends it the native framing's hello and waits for one frame back (the host's
answer, or cat's echo), so that the child runs its own code by then; exits 0
when this process can open the child's /proc/PID/mem, 1 when it cannot, 2 when
the child gave no frame."""
import struct
import subprocess
import sys

child = subprocess.Popen(sys.argv[1:], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
hello = b'{"id": 1, "member": "hello"}'
child.stdin.write(struct.pack("=I", len(hello)) + hello)
child.stdin.flush()
length = child.stdout.read(4)
status = 2
if len(length) == 4 and len(child.stdout.read(struct.unpack("=I", length)[0])) > 0:
    try:
        open(f"/proc/{child.pid}/mem", "rb").close()
        status = 0
    except OSError:
        status = 1
child.stdin.close()
child.wait()
sys.exit(status)
