# The builds below $build, configured the same way by every script that uses
# them (a build folder configured two ways would be rebuilt each time).
# Sourced; needs $root (the checkout) and $build.
#
#   configure_build native|win|win64|fuzz
#   native_windows_build  prints the Windows build that runs natively here:
#                       win (the shipped one), or win64 where this kernel runs
#                       no 32-bit programs
#   host_runs_32bit     true when this kernel runs 32-bit programs, and so
#                       the 32-bit Wine that runs the shipped program
configure_build() {
  case $1 in
    native) cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug ;;
    win)
      # Wine in the emulated machine (no 32-bit programs here) is slower.
      local scale=1
      host_runs_32bit || scale=3
      cmake -S "$root" -B "$build/win" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DZELTA_TIME_LIMIT_SCALE=$scale ;;
    # The same sources for 64-bit Windows, under 64-bit Wine, which runs
    # where the 32-bit one cannot.
    win64)
      cmake -S "$root" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" ;;
    fuzz) CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DZELTA_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug ;;
    *) echo "configure_build: no build named $1" >&2; return 2 ;;
  esac >/dev/null
}

# Runs "bash FILE" in the emulated machine (tools/vm/guest.sh), with the
# checkout and the build folder shared at their own paths.
run_in_guest() {
  local shares=("$root")
  case $build/ in "$root"/*) ;; *) shares+=("$build") ;; esac
  "$root/tools/vm/guest.sh" run "$1" "${shares[@]}"
}

host_runs_32bit() {
  "$root/tools/vm/guest.sh" can-run-32bit
}

native_windows_build() {
  if host_runs_32bit; then echo win; else echo win64; fi
}
