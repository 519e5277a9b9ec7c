#!/usr/bin/python3
"""The internet extender's benchmark: prints ratios measured against baselines in the same run.

  ftp get    pollex running iftpget of a 256 MiB file from a loopback FTP server (pyftpdlib),
             against curl -o of the same file (throughput ratio; aim: at least 0.90)
  http read  pollex running iurlopen + ireaddata of the same file from the test HTTP server,
             against curl -o (throughput ratio; aim: at least 0.90)
  memory     pollex's peak resident memory for both transfers of 16 MiB and of 256 MiB
             (difference; aim: within 1 MiB, so independent of the file size)

Usage: bench/extenders/transfer_bench.py [BINDIR] [MiB]   (defaults: build/linux/bin, 256)
Each figure is the median of five runs; the machine should be otherwise idle. Needs Debian's
python3-pyftpdlib (this script runs on /usr/bin/python3 for it).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPEATS = 5
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def run(command, env, output=None):
    """Wall time in seconds and peak resident memory in KiB of one command. The file it writes is
    removed first, so that no run pays for truncating the last one's."""
    if output and os.path.exists(output):
        os.remove(output)
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("benchmark: %s failed" % " ".join(command))
    return elapsed, usage.ru_maxrss


def write_random(path, size):
    with open(path, "wb") as out:
        block = os.urandom(1 << 20)
        for _ in range(size >> 20):
            out.write(block)


def start_server(command):
    """Starts a server that prints its port or base URL first; returns (process, first line)."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return process, process.stdout.readline().strip()


def main():
    bindir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/linux/bin"))
    mib = int(sys.argv[2]) if len(sys.argv) > 2 else 256
    work = tempfile.mkdtemp(prefix="pxnet-bench-")
    env = dict(os.environ, LUMORA_PREFIX=os.path.join(work, "prefix"))
    servers = []
    try:
        served = os.path.join(work, "served")
        os.makedirs(served)
        ftp, port = start_server(["/usr/bin/python3", os.path.join(ROOT, "tests/support/netservers/ftp_server.py"), served])
        servers.append(ftp)
        http, base = start_server([os.path.join(bindir, "testhttpd"), served])
        servers.append(http)
        ftp_host = "127.0.0.1:" + port
        script = os.path.join(work, "fetch.pxl")
        with open(script, "w") as out:
            out.write("load pxnet33i.dll\n"
                      "s = ibegin 0 0 0\n"
                      "c = ihostconnect $s $FTP @ftppassive 0 0\n"
                      "r = iftpget $c $NAME $OUT/ftp.bin 0 @binary\n"
                      "h = iurlopen $s $BASE$NAME\n"
                      "r = ireaddata $h $OUT/http.bin\n")
        pollex = os.path.join(bindir, "pollex")

        def extender(name, what):
            lines = open(script).read().splitlines()
            keep = lines[:3] + (lines[3:4] if what == "ftp" else lines[4:6]) if what != "both" else lines
            part = os.path.join(work, what + ".pxl")
            with open(part, "w") as out:
                out.write("\n".join(keep) + "\n")
            for old in {"ftp": ["ftp.bin"], "http": ["http.bin"]}.get(what, ["ftp.bin", "http.bin"]):
                if os.path.exists(os.path.join(work, old)):
                    os.remove(os.path.join(work, old))
            return run([pollex, part, "FTP=" + ftp_host, "BASE=" + base, "NAME=" + name, "OUT=" + work], env)

        def median_time(command_or_fn):
            times = [command_or_fn()[0] for _ in range(REPEATS)]
            return statistics.median(times)

        big = "big.bin"
        write_random(os.path.join(served, big), mib << 20)
        write_random(os.path.join(served, "small.bin"), 16 << 20)
        size = mib << 20

        curl_ftp = median_time(lambda: run(["curl", "-s", "-o", os.path.join(work, "c.bin"), "ftp://%s/%s" % (ftp_host, big)], env, os.path.join(work, "c.bin")))
        ours_ftp = median_time(lambda: extender(big, "ftp"))
        if os.path.getsize(os.path.join(work, "ftp.bin")) != size:
            sys.exit("benchmark: the FTP download has the wrong size")
        curl_http = median_time(lambda: run(["curl", "-s", "-o", os.path.join(work, "c.bin"), base + big], env, os.path.join(work, "c.bin")))
        ours_http = median_time(lambda: extender(big, "http"))
        if os.path.getsize(os.path.join(work, "http.bin")) != size:
            sys.exit("benchmark: the HTTP download has the wrong size")
        small_rss = max(extender("small.bin", "both")[1] for _ in range(REPEATS))
        big_rss = max(extender(big, "both")[1] for _ in range(REPEATS))

        print("ftp get   %d MiB: curl %.2f s, pollex iftpget %.2f s, ratio %.2f (aim >= 0.90)"
              % (mib, curl_ftp, ours_ftp, curl_ftp / ours_ftp))
        print("http read %d MiB: curl %.2f s, pollex ireaddata %.2f s, ratio %.2f (aim >= 0.90)"
              % (mib, curl_http, ours_http, curl_http / ours_http))
        print("memory: peak %d KiB for 16 MiB, %d KiB for %d MiB, difference %d KiB (aim <= 1024)"
              % (small_rss, big_rss, mib, big_rss - small_rss))
    finally:
        for server in servers:
            server.terminate()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
