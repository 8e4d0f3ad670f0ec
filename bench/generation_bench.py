#!/usr/bin/env python3
"""The generation benchmarks: generate-all timed side by side in one run on one machine, medians of
several runs, each figure against its target.

  1. generate-all over large libraries of the wine64 package: portable build vs Windows build under Wine
  2. the portable mshtml run vs copying its finished output tree into a fresh folder (cp -r)
  3. growth: time per interface over synthetic libraries of 100, 1,000 and 10,000 dispatch interfaces
  4. peak resident memory of the portable mshtml run
  5. the portable mshtml run as a user makes it, saving its settings, vs the same run with --no-save

Both builds run the commands of scripts/generation-runs.sh, as the output comparison of the two builds does.
bench/run.sh builds what is needed and calls this; see --help for the options.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNS_SCRIPT = os.path.join(ROOT, "scripts", "generation-runs.sh")
WINE_LIBDIR = os.environ.get("WINE_LIBDIR", "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows")
GROWTH_SIZES = (100, 1000, 10000)

TARGET_WINDOWS_RATIO = 10.0   # the Windows build under Wine takes at least this many times as long
TARGET_COPY_RATIO = 5.0       # generate-all takes at most this many times as long as copying its output
TARGET_GROWTH_RATIO = 1.5     # time per interface grows at most this much from the smallest library
TARGET_PEAK_MIB = 64.0        # peak resident memory of the mshtml run
TARGET_SAVE_RATIO = 1.1       # the run that saves its settings takes at most this many times as long


class Measured:
    def __init__(self, seconds: float, peak_kib: int):
        self.seconds, self.peak_kib = seconds, peak_kib


def run_measured(argv: list, log_path: str, env: dict = None) -> Measured:
    """Runs a command to its end, once the machine is quiet: wall time, and the peak resident memory of it
    and its waited-for children."""
    wait_until_quiet()
    with open(log_path, "wb") as log:
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"failed (exit {child.returncode}): {' '.join(argv)}; see {log_path}")
    return Measured(seconds, usage.ru_maxrss)


def cpu_times() -> tuple:
    """Idle and total processor time of the machine so far, in clock ticks (Linux /proc/stat)."""
    with open("/proc/stat") as stat:
        ticks = [int(t) for t in stat.readline().split()[1:]]
    return ticks[3] + ticks[4], sum(ticks)


def wait_until_quiet(idle_share: float = 0.9, window: float = 0.2, longest: float = 10.0) -> None:
    """Waits until the processors have been idle for most of a short window (or gives up after `longest`
    seconds): Wine's processes work on for seconds after a Windows run ends, and a run timed meanwhile
    would share the processors with them. Every timed run starts on a quiet machine."""
    if not os.path.exists("/proc/stat"):
        return
    give_up = time.monotonic() + longest
    while time.monotonic() < give_up:
        idle0, total0 = cpu_times()
        time.sleep(window)
        idle1, total1 = cpu_times()
        if total1 > total0 and (idle1 - idle0) / (total1 - total0) >= idle_share:
            return


def drop_clean_caches() -> None:
    """Writes back and drops the kernel's clean caches. ext4 without a journal (as this machine has it)
    passes over, when it makes a file, every free inode removed within the last one to six minutes whose
    inode table block is still cached: after many files are removed, making files is several times slower
    for minutes (measured here: a generate-all of mshtml 50 ms, 200-240 ms within minutes of removing
    70,000 files, still so after two minutes of waiting). Without those blocks in the cache the inodes
    count as free again at once. Needs root; without it the figures may show such a slow spell."""
    os.sync()
    try:
        with open("/proc/sys/vm/drop_caches", "w") as control:
            control.write("3\n")
    except OSError as e:
        print(f"note: the kernel's caches were not dropped ({e.strerror}): files removed in the last minutes "
              "may slow the runs that make files", flush=True)


def helper(function: str, *args: str) -> list:
    return ["bash", "-c", f'source "{RUNS_SCRIPT}" && {function} "$@"', function, *args]


def command_of(function: str, *args: str) -> list:
    """The command a function of the runs script would run, so that only the tool itself is timed."""
    words = subprocess.run(helper(function, *args), env={**os.environ, "GENERATION_PRINT": "1"}, check=True,
                           capture_output=True).stdout.split(b"\0")[:-1]
    return [w.decode() for w in words]


class Bench:
    def __init__(self, options):
        self.o = options
        self.work = os.path.abspath(options.work)
        self.runtime = os.path.join(self.work, "kovra")
        self.serial = 0
        self.misses = 0
        # Removing files slows the making of files for minutes after (see drop_clean_caches): an earlier
        # run's trees are moved aside now and removed only after the measurements, as are this run's,
        # and whatever was removed before the benchmark started no longer counts once the caches are
        # dropped (the runs then read their programs and libraries again: the first figure starts each
        # library with an untimed run of each build).
        self.leftovers = []
        if os.path.exists(self.work):
            aside = f"{self.work}.old-{os.getpid()}"
            os.rename(self.work, aside)
            self.leftovers.append(aside)
        subprocess.run(helper("make_runtime_folder", self.runtime), check=True)
        drop_clean_caches()

    def fresh(self, label: str) -> str:
        self.serial += 1
        return os.path.join(self.work, "runs", f"{self.serial:03d}-{label}")

    def generate(self, build: str, library: str, saving: bool = False) -> tuple:
        """One generate-all over the library into a fresh folder: the run and its tree. With `saving`, the
        run a user makes: it saves its settings, into a fresh home that holds a settings file.
        (The trees are removed at the end: removing files just before making others slows the making.)"""
        dest = self.fresh(f"{build}-{os.path.basename(library)}")
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        tool = self.o.portable if build == "portable" else self.o.windows
        options, env = ["--no-save"], None
        if saving:
            home = dest + ".home"
            os.makedirs(os.path.join(home, ".config", "tessivar"))
            with open(os.path.join(home, ".config", "tessivar", "settings.ini"), "w") as settings:
                settings.write("[Software\\Ostrelle\\Kovra_Trial]\n")
            options, env = [], {**os.environ, "HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config")}
        run = run_measured(command_of(f"generate_all_{build}", tool, library, dest, self.runtime, *options),
                           dest + ".log", env)
        return run, dest

    def verdict(self, ok: bool) -> str:
        if not ok:
            self.misses += 1
        return "PASS" if ok else "MISS"

    def windows_vs_portable(self, libraries: list) -> dict:
        print(f"1. generate-all, portable build vs Windows build under Wine (medians of {self.o.reps} and "
              f"{self.o.wine_reps} runs; target: Windows/portable >= {TARGET_WINDOWS_RATIO:g})")
        portable_runs = {}
        for library in libraries:
            # One untimed run of each build reads what it needs into the caches. The portable runs come
            # first: Wine's own processes go on working for a while after a Windows run ends (every run
            # also waits for a quiet machine, see run_measured).
            self.generate("portable", library)
            self.generate("windows", library)
            portable = [self.generate("portable", library)[0] for _ in range(self.o.reps)]
            windows = [self.generate("windows", library)[0] for _ in range(self.o.wine_reps)]
            p = statistics.median(r.seconds for r in portable)
            w = statistics.median(r.seconds for r in windows)
            print(f"   {os.path.basename(library):14} portable {p:8.3f} s   Windows {w:8.3f} s   "
                  f"ratio {w / p:7.1f}  {self.verdict(w / p >= TARGET_WINDOWS_RATIO)}")
            portable_runs[library] = portable
        return portable_runs

    def against_copy(self, library: str) -> None:
        """Each generate-all is followed by a copy of the tree it made: how fast this machine makes files
        drifts by a factor of two within minutes, and alternating runs make a slow spell slow both."""
        runs, copies, files = [], [], 0
        for _ in range(self.o.copy_reps):
            run, tree = self.generate("portable", library)
            target = self.fresh("copy")
            runs.append(run)
            copies.append(run_measured(["cp", "-r", tree, target], target + ".log"))
            files = sum(len(f) for _, _, f in os.walk(tree))
        p = statistics.median(r.seconds for r in runs)
        c = statistics.median(r.seconds for r in copies)
        print(f"2. generate-all vs cp -r of its output tree ({os.path.basename(library)}: {files} files; medians of "
              f"{self.o.copy_reps} alternating pairs; "
              f"target: ratio <= {TARGET_COPY_RATIO:g})")
        print(f"   portable {p:8.3f} s   cp -r {c:8.3f} s   ratio {p / c:7.1f}  {self.verdict(p / c <= TARGET_COPY_RATIO)}")

    def growth(self) -> None:
        print(f"3. growth over synthetic libraries (groups of 50 interfaces, one coclass each; medians of "
              f"{self.o.reps} runs; target: per-interface time at {GROWTH_SIZES[-1]} <= {TARGET_GROWTH_RATIO:g} x at "
              f"{GROWTH_SIZES[0]})")
        per_interface, seconds_of = {}, {}
        for count in GROWTH_SIZES:
            folder = os.path.join(self.work, "synthetic", str(count))
            made = subprocess.run([sys.executable, os.path.join(ROOT, "bench", "make-synthetic-idl.py"), str(count), folder],
                                  check=True, capture_output=True, text=True)
            library = made.stdout.strip()
            runs = [self.generate("portable", library)[0] for _ in range(self.o.reps)]
            seconds = statistics.median(r.seconds for r in runs)
            per_interface[count] = seconds / count
            seconds_of[count] = seconds
            print(f"   {count:6} interfaces  {seconds:8.3f} s   {per_interface[count] * 1e6:8.1f} us per interface   "
                  f"peak {statistics.median(r.peak_kib for r in runs) / 1024:6.1f} MiB")
        ratio = per_interface[GROWTH_SIZES[-1]] / per_interface[GROWTH_SIZES[0]]
        # The fixed cost of a run (start, loading stdole2) weighs most on the smallest library; the time
        # each further interface adds shows growth without it.
        added = [(seconds_of[b] - seconds_of[a]) / (b - a) for a, b in zip(GROWTH_SIZES, GROWTH_SIZES[1:])]
        print("   added per interface: " + ", ".join(
            f"{a}..{b}: {x * 1e6:.1f} us" for (a, b), x in zip(zip(GROWTH_SIZES, GROWTH_SIZES[1:]), added)) +
            f"  (ratio {added[-1] / added[0]:.2f})")
        print(f"   per-interface ratio {GROWTH_SIZES[-1]}/{GROWTH_SIZES[0]}: {ratio:.2f}  "
              f"{self.verdict(ratio <= TARGET_GROWTH_RATIO)}")

    def saving(self, library: str) -> None:
        """The two kinds of run alternate, as in figure 2."""
        saved, unsaved = [], []
        for _ in range(self.o.reps):
            saved.append(self.generate("portable", library, saving=True)[0])
            unsaved.append(self.generate("portable", library)[0])
        s = statistics.median(r.seconds for r in saved)
        n = statistics.median(r.seconds for r in unsaved)
        print(f"5. the {os.path.basename(library)} run saving its settings vs --no-save (medians of {self.o.reps} "
              f"alternating pairs; target: ratio <= {TARGET_SAVE_RATIO:g})")
        print(f"   saving {s:8.3f} s   --no-save {n:8.3f} s   ratio {s / n:7.2f}  {self.verdict(s / n <= TARGET_SAVE_RATIO)}")

    def memory(self, library: str, portable: list) -> None:
        peak = statistics.median(r.peak_kib for r in portable) / 1024
        print(f"4. peak resident memory of the portable {os.path.basename(library)} run (target: <= {TARGET_PEAK_MIB:g} MiB)")
        print(f"   {peak:8.1f} MiB  {self.verdict(peak <= TARGET_PEAK_MIB)}")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--portable", required=True, help="the portable tessivar")
    parser.add_argument("--windows", help="the Windows build's tessivar.exe (run with wine), for figure 1")
    parser.add_argument("--work", required=True, help="scratch folder (emptied first)")
    parser.add_argument("--reps", type=int, default=5, help="runs per portable figure")
    parser.add_argument("--copy-reps", type=int, default=11, help="generate-all and copy pairs of figure 2")
    parser.add_argument("--wine-reps", type=int, default=3, help="runs per Windows build figure")
    parser.add_argument("--libraries", nargs="+", default=["mshtml.tlb", "msxml3.dll", "msxml4.dll"],
                        help="wine64 libraries of figure 1; the first is used for figures 2 and 4")
    parser.add_argument("--figures", nargs="+", type=int, default=[1, 2, 3, 4, 5], choices=range(1, 6),
                        help="the figures to measure (4 comes with 1)")
    options = parser.parse_args()
    if 1 in options.figures and not options.windows:
        parser.error("figure 1 needs --windows")

    bench = Bench(options)
    libraries = [os.path.join(WINE_LIBDIR, name) for name in options.libraries]
    figures = set(options.figures)
    if 1 in figures:
        portable_runs = bench.windows_vs_portable(libraries)
    if 2 in figures:
        bench.against_copy(libraries[0])
    if 3 in figures:
        bench.growth()
    if 1 in figures:
        bench.memory(libraries[0], portable_runs[libraries[0]])
    if 5 in figures:
        bench.saving(libraries[0])
    print(f"{bench.misses} target(s) missed")
    for folder in [os.path.join(bench.work, "runs"), *bench.leftovers]:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
