"""Startup measurements for bench/startup: prepares the generated executables in a work
directory, runs them, and prints the table.

Usage: measure.py WORK BUILD LIBJVM ROUNDS PRE_JVM_RUNS
WORK holds hello.jar, floor and libstub_jvm.so, made by bench/startup.
"""
import os
import re
import statistics
import subprocess
import sys
import time

# The large settings text; the smaller ones are fractions of it.
LARGE_LINES = 10_000
LARGE_CLASSPATH = 200
LARGE_ARCHIVES = 1_000
LIBS_DIRS = 10
FRACTIONS = (0.25, 0.5, 1.0)


def run_once(argv):
    """Runs argv with its output discarded; returns (status, (wall seconds, peak RSS in KiB,
    CPU seconds))."""
    actions = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    _, wait_status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    cpu = usage.ru_utime + usage.ru_stime
    return os.waitstatus_to_exitcode(wait_status), (elapsed, usage.ru_maxrss, cpu)


def race(commands, rounds):
    """Runs the commands (name, argv, expected status) in turn, round after round, starting
    each round with the next one so none always runs first. Returns {name: [run_once's
    figures, ...]}; one warm-up round is dropped."""
    samples = {name: [] for name, *_ in commands}
    for round_number in range(rounds + 1):
        shift = round_number % len(commands)
        for name, argv, expected in commands[shift:] + commands[:shift]:
            status, figures = run_once(argv)
            if status != expected:
                sys.exit(f"{name}: status {status}, expected {expected}: {argv}")
            if round_number > 0:
                samples[name].append(figures)
    return samples


def median_ms(runs):
    return statistics.median(run[0] for run in runs) * 1000


def median_mib(runs):
    return statistics.median(run[1] for run in runs) / 1024


def median_cpu_ms(runs):
    return statistics.median(run[2] for run in runs) * 1000


def pack(build, jar, settings_text, output):
    settings = output + ".settings"
    with open(settings, "w", encoding="utf-8") as file:
        file.write(settings_text)
    subprocess.run([os.path.join(build, "launcher-pack"), "--jar", jar, "--settings", settings,
                    "--output", output], check=True, stdout=subprocess.DEVNULL)
    os.remove(settings)
    return output


def hello_world(work, build, libjvm, rounds):
    jar = os.path.join(work, "hello.jar")
    by_jvmdll = pack(build, jar, f"mainclass Hello\njvmdll {libjvm}\n",
                     os.path.join(work, "hello-jvmdll"))
    by_path = pack(build, jar, "mainclass Hello\njre_order s\n", os.path.join(work, "hello-path"))
    java = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(libjvm))), "bin", "java")
    commands = [
        ("generated executable, jvmdll", [by_jvmdll], 0),
        ("generated executable, java on PATH", [by_path], 0),
        ("java -cp hello.jar Hello", [java, "-cp", jar, "Hello"], 0),
        ("floor (dlopen, create, main)", [os.path.join(work, "floor"), libjvm, jar, "Hello"], 0),
    ]
    samples = race(commands, rounds)
    java_ms = median_ms(samples[commands[2][0]])
    floor_ms = median_ms(samples[commands[3][0]])
    java_mib = median_mib(samples[commands[2][0]])
    print(f"Hello world: median of {rounds} alternating rounds")
    print(f"  {'command':34} {'wall ms':>8} {'/java':>6} {'/floor':>7} {'CPU ms':>7}"
          f" {'peak RSS MiB':>13} {'/java':>6}")
    for name, *_ in commands:
        ms, mib = median_ms(samples[name]), median_mib(samples[name])
        print(f"  {name:34} {ms:8.1f} {ms / java_ms:6.2f} {ms / floor_ms:7.2f}"
              f" {median_cpu_ms(samples[name]):7.1f} {mib:13.1f} {mib / java_mib:6.2f}")
    print()


def settings_text(stub, fraction):
    """The large settings scaled by fraction: classpath and libs lines, options, properties,
    exports, argv and messages, and comment lines filling up to the line count."""
    lines = ["mainclass Hello", f"jvmdll {stub}"]
    lines += [f"classpath cp/entry{i}.jar" for i in range(int(LARGE_CLASSPATH * fraction))]
    lines += [f"libs libs{d}" for d in range(LIBS_DIRS)]
    scaled = int(LARGE_LINES * fraction)
    lines += [f"option -Dbench.option{i}=value {i}" for i in range(scaled // 10)]
    lines += [f"property bench.property{i}=value {i}" for i in range(scaled // 20)]
    lines += [f"export BENCH_VARIABLE{i}=%APPLICATION_HOME%{i}" for i in range(scaled // 100)]
    lines += [f"argv --argument{i} \"value {i}\"" for i in range(scaled // 20)]
    lines += [f"message {i}=Message {i} from the settings" for i in range(1, 13)]
    lines += [f"# comment {i}: a line with no known key, as settings files have"
              for i in range(scaled - len(lines))]
    return "\n".join(lines) + "\n"


def make_tree(directory, fraction):
    """The files the scaled settings name: classpath entries and libs directories holding the
    archives, half of each directory's archives one level down. The archives are empty: the
    launcher only lists them."""
    os.makedirs(os.path.join(directory, "cp"))
    for i in range(int(LARGE_CLASSPATH * fraction)):
        open(os.path.join(directory, "cp", f"entry{i}.jar"), "w").close()
    per_dir = int(LARGE_ARCHIVES * fraction) // LIBS_DIRS
    for d in range(LIBS_DIRS):
        nested = os.path.join(directory, f"libs{d}", "nested")
        os.makedirs(nested)
        for i in range(per_dir):
            where = nested if i % 2 else os.path.dirname(nested)
            open(os.path.join(where, f"archive{i}.jar"), "w").close()


def pre_jvm_executables(work, build):
    """Generated executables whose JVM library is the stub, from small to large settings:
    [(name, lines, classpath entries, archives, path)]."""
    jar = os.path.join(work, "hello.jar")
    stub = os.path.join(work, "libstub_jvm.so")
    small = (f"mainclass Hello\njvmdll {stub}\noption -Xmx64m\nclasspath lib/a.jar\n"
             "property app.mode=bench\nargv --flag\n")
    result = [("small", small.count("\n"), 1, 0, pack(build, jar, small, os.path.join(work, "small")))]
    for fraction in FRACTIONS:
        name = f"large x{fraction:g}"
        directory = os.path.join(work, f"large{fraction:g}")
        make_tree(directory, fraction)
        text = settings_text(stub, fraction)
        path = pack(build, jar, text, os.path.join(directory, "app"))
        result.append((name, text.count("\n"), int(LARGE_CLASSPATH * fraction),
                       int(LARGE_ARCHIVES * fraction) // LIBS_DIRS * LIBS_DIRS, path))
    return result


def instruction_count(work, argv):
    """Total instructions of one run under callgrind, and those inside main."""
    out = os.path.join(work, "callgrind.out")
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"] + argv,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(out) as file:
        total = int(re.search(r"^totals:\s+(\d+)", file.read(), re.M).group(1))
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", out],
                               capture_output=True, text=True, check=True).stdout
    in_main = re.search(r"^\s*([\d,]+) \([^)]*\)\s+\S*:main ", annotated, re.M).group(1)
    os.remove(out)
    return total, int(in_main.replace(",", ""))


def pre_jvm(work, build, runs):
    executables = pre_jvm_executables(work, build)
    commands = [("/bin/true", ["/bin/true"], 0)] + [(name, [path], 4) for name, *_, path in executables]
    samples = race(commands, runs)
    true_ms, true_cpu_ms = median_ms(samples["/bin/true"]), median_cpu_ms(samples["/bin/true"])
    print(f"Launcher's work before the JVM (stub libjvm.so, status 4): medians of {runs}"
          f" alternating runs; /bin/true takes {true_ms:.2f} ms wall, {true_cpu_ms:.2f} ms CPU")
    print(f"  {'settings':12} {'lines':>6} {'classpath':>9} {'archives':>8} {'wall ms':>8}"
          f" {'- true':>7} {'CPU ms':>7} {'- true':>7} {'Ir total':>11} {'Ir in main':>11}"
          f" {'Ir/line step':>13}")
    previous = None  # lines and Ir in main of the last scaled size
    for name, lines, classpath, archives, path in executables:
        ms, cpu_ms = median_ms(samples[name]), median_cpu_ms(samples[name])
        total, in_main = instruction_count(work, [path])
        step = ""
        if previous:
            step = f"{(in_main - previous[1]) / (lines - previous[0]):13.0f}"
        if name != "small":
            previous = (lines, in_main)
        print(f"  {name:12} {lines:6} {classpath:9} {archives:8} {ms:8.2f} {ms - true_ms:7.2f}"
              f" {cpu_ms:7.2f} {cpu_ms - true_cpu_ms:7.2f} {total:11,} {in_main:11,} {step:>13}")
    print("  Ir/line step: instructions in main added per settings line from the size above"
          " (constant when the growth is linear)")
    print()


def main():
    work, build, libjvm = sys.argv[1:4]
    rounds, pre_jvm_runs = int(sys.argv[4]), int(sys.argv[5])
    hello_world(work, build, libjvm, rounds)
    pre_jvm(work, build, pre_jvm_runs)


if __name__ == "__main__":
    main()
