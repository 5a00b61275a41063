# Shared by the benchmark scripts: where things are, and how the launcher and the Java
# applications are built. Sourced, not run.

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$BENCH_DIR")
# A build directory of its own, so the benchmarks never disturb the test builds.
BUILD=${BENCH_BUILD:-$ROOT/build/bench}
JDK=${BENCH_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
LIBJVM=$JDK/lib/server/libjvm.so

build_launcher() {
  [ -f "$BUILD/build.ninja" ] || cmake --preset x86_64 -B "$BUILD" >/dev/null
  cmake --build "$BUILD" -j2 --target launcher launcher-pack >/dev/null
}

# make_jar JAR CLASS: compiles bench/java/CLASS.java into JAR.
make_jar() {
  local classes
  classes=$(mktemp -d)
  "$JDK/bin/javac" -d "$classes" "$BENCH_DIR/java/$2.java"
  "$JDK/bin/jar" cf "$1" -C "$classes" .
  rm -rf "$classes"
}

# pack JAR SETTINGS OUTPUT: makes a generated executable.
pack() {
  "$BUILD/launcher-pack" --jar "$1" --settings "$2" --output "$3" >/dev/null
}
