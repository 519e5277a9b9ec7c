#!/usr/bin/env python3
"""The updater's benchmark: prints ratios measured against baselines in the same run.

  download   TnUpdate fetching a 256 MiB file from the test HTTP server, against curl -o of the
             same file (throughput ratio; goal: at least 0.90)
  memory     TnUpdate's peak resident memory fetching 1 MiB and 256 MiB (difference; goal: within
             1 MiB)
  unpacking  the updater's unpacking of an archive of 5,000 small files, against tar -xf of the
             same files (speed ratio; goal: at least 1.00)

Usage: bench/updater/updater_bench.py [BINDIR] [download|unpacking]
  BINDIR defaults to build/linux/bin; naming one part measures only that part.
Each measurement is the median of several runs (the unpacking alternates the two, 7 times);
the machine should be otherwise idle. The unpacking also prints the processor time of each side
(user and system time of the process), which other load on the machine disturbs less; the updater
writes big archives with a thread per processor, so its processor time exceeds its wall time.

On ext4 without a journal the inode allocator steps over every inode freed in the last minute
(six minutes while its inode table block is not yet written back), one by one. Shortly after many
files were deleted in the same block group (by another run's clean-up, say) both sides spend most
of their time there and the ratio says little: give such a run TMPDIR=<a new folder at the top of
the file system>, which ext4 usually places in another block group.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPEATS = 3
UNPACK_REPEATS = 7
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def run(command, env, cwd=None, cpu=None):
    """Wall time in seconds and peak resident memory in KiB of one command; its processor time
    (user and system) is appended to the list `cpu` when one is given."""
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("benchmark: %s failed" % " ".join(command))
    if cpu is not None:
        cpu.append(usage.ru_utime + usage.ru_stime)
    return elapsed, usage.ru_maxrss


def write_random(path, size):
    with open(path, "wb") as out:
        left = size
        while left:
            chunk = min(left, 1 << 20)
            out.write(os.urandom(chunk))
            left -= chunk


def main():
    parts = {"download", "unpacking"}
    arguments = sys.argv[1:]
    only = [a for a in arguments if a in parts]
    paths = [a for a in arguments if a not in parts]
    wanted = set(only) or parts
    bindir = os.path.abspath(paths[0] if paths else os.path.join(ROOT, "build/linux/bin"))
    for tool in ("tnupdate", "winexec", "testhttpd", "packdat", "regedit", "updater_extract_bench"):
        if not os.access(os.path.join(bindir, tool), os.X_OK):
            sys.exit("benchmark: %s not found in %s (build the linux preset first)" % (tool, bindir))
    if not shutil.which("curl") or not shutil.which("tar"):
        sys.exit("benchmark: needs curl and tar")

    work = tempfile.mkdtemp(prefix="lumora-bench-")
    server = None
    try:
        env = dict(os.environ, LUMORA_PREFIX=os.path.join(work, "prefix"))
        served = os.path.join(work, "served")
        files = os.path.join(work, "files")
        os.makedirs(served)
        write_random(os.path.join(served, "small.bin"), 1 << 20)
        if "download" in wanted:
            write_random(os.path.join(served, "big.bin"), 256 << 20)
        for i in range(5000):
            folder = os.path.join(files, "pages%02d" % (i % 50))
            os.makedirs(folder, exist_ok=True)
            with open(os.path.join(folder, "page%04d.htm" % i), "wb") as out:
                out.write(os.urandom(200 + (i * 37) % 1800))
        subprocess.run([os.path.join(bindir, "packdat"), files, os.path.join(work, "skin.dat")], check=True)
        subprocess.run(["tar", "-cf", os.path.join(work, "skin.tar"), "-C", files, "."], check=True)

        server = subprocess.Popen([os.path.join(bindir, "testhttpd"), served], stdout=subprocess.PIPE, text=True)
        base = server.stdout.readline().strip()
        host_port = base.split("//")[1].rstrip("/")
        proxy = os.path.join(work, "proxy.reg")
        with open(proxy, "w") as out:
            out.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
                      '"ProxyEnable"=dword:00000001\n"ProxyServer"="%s"\n' % host_port)
        subprocess.run([os.path.join(bindir, "regedit"), "/s", proxy], env=env, check=True)

        fetched = os.path.join(work, "fetched")
        os.makedirs(fetched)

        def tnupdate(name):
            local = os.path.join(fetched, name)
            if os.path.exists(local):
                os.remove(local)  # a missing local file is always fetched whole
            # winexec hands TnUpdate its Windows command line as the browser center would; the
            # peak memory of the pair is TnUpdate's (winexec itself holds less).
            result = run([os.path.join(bindir, "winexec"), '"%s" -r"http://update.example/%s" -l"%s"'
                          % (os.path.join(bindir, "tnupdate"), name, local)], env)
            if os.path.getsize(local) != os.path.getsize(os.path.join(served, name)):
                sys.exit("benchmark: TnUpdate fetched a wrong size of %s" % name)
            return result

        def curl(name):
            return run(["curl", "-s", "-o", os.path.join(work, "curl.bin"), base + name], env)

        curl_times, updater_times, big_memory, small_memory = [], [], [], []
        for _ in range(REPEATS if "download" in wanted else 0):
            curl_times.append(curl("big.bin")[0])
            elapsed, memory = tnupdate("big.bin")
            updater_times.append(elapsed)
            big_memory.append(memory)
            small_memory.append(tnupdate("small.bin")[1])

        tar_times, unpack_times, tar_cpu, unpack_cpu = [], [], [], []
        for i in range(UNPACK_REPEATS if "unpacking" in wanted else 0):
            # Each side starts with the files of the run before written back, so that neither
            # shares the disk and the processors with the write-back of the other's files.
            target = os.path.join(work, "tar%d" % i)
            os.makedirs(target)
            os.sync()
            tar_times.append(run(["tar", "-xf", os.path.join(work, "skin.tar"), "-C", target], env, cpu=tar_cpu)[0])
            folder = os.path.join(work, "unpack%d" % i)
            os.makedirs(folder)
            shutil.copy(os.path.join(work, "skin.dat"), folder)
            os.sync()
            unpack_times.append(run([os.path.join(bindir, "updater_extract_bench"),
                                     os.path.join(folder, "skin.dat")], env, cpu=unpack_cpu)[0])
            if len(os.listdir(os.path.join(folder, "skin"))) != 50:
                sys.exit("benchmark: the archive was not unpacked")

        if "download" in wanted:
            curl_time, updater_time = statistics.median(curl_times), statistics.median(updater_times)
            mib = 256.0
            print("download 256 MiB: curl %.3f s (%.0f MiB/s), TnUpdate %.3f s (%.0f MiB/s)"
                  % (curl_time, mib / curl_time, updater_time, mib / updater_time))
            print("download throughput, TnUpdate / curl: %.2f (goal: >= 0.90)" % (curl_time / updater_time))
            small, big = statistics.median(small_memory), statistics.median(big_memory)
            print("peak memory of TnUpdate: 1 MiB file %d KiB, 256 MiB file %d KiB, difference %d KiB (goal: <= 1024)"
                  % (small, big, big - small))
        if "unpacking" in wanted:
            tar_time, unpack_time = statistics.median(tar_times), statistics.median(unpack_times)
            print("unpacking 5,000 files: tar -xf %.3f s, updater %.3f s (medians of %d)"
                  % (tar_time, unpack_time, len(tar_times)))
            tar_processor, unpack_processor = statistics.median(tar_cpu), statistics.median(unpack_cpu)
            print("processor time: tar -xf %.3f s, updater %.3f s, updater / tar -xf speed %.2f"
                  % (tar_processor, unpack_processor, tar_processor / unpack_processor))
            print("unpacking speed, updater / tar -xf: %.2f (goal: >= 1.00)" % (tar_time / unpack_time))
    finally:
        if server:
            server.terminate()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
