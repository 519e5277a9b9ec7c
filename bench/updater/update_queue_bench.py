#!/usr/bin/env python3
"""The update queue's benchmark: prints a ratio measured against a baseline in the same run.

  check     one update check of the browser center's queue (update_queue_bench: the connection
            monitor queuing the list, then each newer file, starting TnUpdate for one at a time)
            over a list of 200 files of which 50 are newer than their recorded versions, with the
            queue interval set to 0 by the program's .strings file; against the same 50 TnUpdate
            downloads run back to back from a shell script (time ratio; aim: at most 1.2)

Usage: bench/updater/update_queue_bench.py [BINDIR]   (default: build/linux/bin)
Each measurement is the median of several runs; the machine should be otherwise idle.
"""
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPEATS = 3
LISTED = 200
NEWER = 50
FILE_SIZE = 256 << 10
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def timed(command, env, cwd=None):
    """Wall time in seconds and the standard output of one command."""
    start = time.perf_counter()
    result = subprocess.run(command, env=env, cwd=cwd, stdout=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("benchmark: %s failed" % " ".join(command))
    return elapsed, result.stdout


def main():
    bindir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/linux/bin"))
    for tool in ("tnupdate", "winexec", "testhttpd", "regedit", "update_queue_bench"):
        if not os.access(os.path.join(bindir, tool), os.X_OK):
            sys.exit("benchmark: %s not found in %s (build the linux preset first)" % (tool, bindir))

    work = tempfile.mkdtemp(prefix="lumora-queue-bench-")
    server = None
    try:
        env = dict(os.environ, LUMORA_PREFIX=os.path.join(work, "prefix"))
        names = ["file%03d.txt" % i for i in range(LISTED)]
        newer = names[::LISTED // NEWER][:NEWER]
        served = os.path.join(work, "served", "update", "lumora")
        os.makedirs(served)
        with open(os.path.join(served, "update.ini"), "w") as out:
            out.write("[Update]\r\n" + "".join("%s=2\r\n" % name for name in names))
        for name in newer:
            with open(os.path.join(served, name), "wb") as out:
                out.write(os.urandom(FILE_SIZE))

        server = subprocess.Popen([os.path.join(bindir, "testhttpd"), os.path.join(work, "served")],
                                  stdout=subprocess.PIPE, text=True)
        base = server.stdout.readline().strip()
        host_port = base.split("//")[1].rstrip("/")

        # The program folder: the queue's program with its .strings file, and the updater.
        install = os.path.join(work, "install")
        os.makedirs(install)
        for tool in ("update_queue_bench", "tnupdate"):
            shutil.copy(os.path.join(bindir, tool), install)
        with open(os.path.join(install, "update_queue_bench.strings"), "w") as out:
            out.write('104 = "%supdate/"\n115 = "0"\n' % base)

        # The proxy, and recorded versions: current for 150 files, older for the 50.
        machine = os.path.join(work, "machine.reg")
        with open(machine, "w") as out:
            out.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
                      '"ProxyEnable"=dword:00000001\n"ProxyServer"="%s"\n\n' % host_port)
            out.write("[HKEY_CURRENT_USER\\Software\\lumora\\Updates]\n")
            out.write("".join('"%s"="%s"\n' % (name, "1" if name in newer else "2") for name in names))

        def reset():
            subprocess.run([os.path.join(bindir, "regedit"), "/s", machine], env=env, check=True)
            for name in os.listdir(install):
                if name.startswith("_") or name.startswith("update.ini"):
                    os.remove(os.path.join(install, name))

        def check_fetched():
            for name in newer:
                path = os.path.join(install, "_" + name)
                if not os.path.exists(path) or os.path.getsize(path) != FILE_SIZE:
                    sys.exit("benchmark: %s was not fetched whole" % name)

        # The baseline: the same downloads, the updater started by a shell script one after the
        # other, with the command line the queue gives it.
        script = os.path.join(work, "downloads.sh")
        with open(script, "w") as out:
            for name in newer:
                line = '"%s" -r"%supdate/lumora/%s" -l"%s"' % (os.path.join(install, "tnupdate"), base, name,
                                                               os.path.join(install, "_" + name))
                out.write("%s %s || exit 1\n" % (shlex.quote(os.path.join(bindir, "winexec")), shlex.quote(line)))

        queue_times, script_times = [], []
        for _ in range(REPEATS):
            reset()
            elapsed, output = timed([os.path.join(install, "update_queue_bench")], env, cwd=install)
            requested = int(output.split()[0])
            if requested != NEWER + 1:
                sys.exit("benchmark: the queue asked for %d files instead of %d" % (requested, NEWER + 1))
            check_fetched()
            queue_times.append(elapsed)

            reset()
            script_times.append(timed(["bash", script], env, cwd=install)[0])
            check_fetched()

        queue_time, script_time = statistics.median(queue_times), statistics.median(script_times)
        print("update check of %d listed files, %d newer (%d KiB each): queue %.3f s (list and %d files), "
              "shell script %.3f s (%d files)" % (LISTED, NEWER, FILE_SIZE >> 10, queue_time, NEWER, script_time, NEWER))
        print("update check time, queue / shell script: %.2f (aim: <= 1.2)" % (queue_time / script_time))
    finally:
        if server:
            server.terminate()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
