# Sourced by the commands that build in a shared folder (scripts/run and
# scripts/test share build/): one configure and build at a time, so that two
# of them started together wait for each other instead of running two Ninjas
# on one tree. Each keeps the lock only while it builds, not while it runs.

# lock_build_folder <folder>: waits for the folder's lock and holds it until
# unlock_build_folder or the script's end.
lock_build_folder() {
  mkdir -p "$1"
  exec {build_lock_fd}>>"$1/.build-lock"
  if ! flock -n "$build_lock_fd"; then
    echo "Waiting for another build in $1/ to finish..." >&2
    flock "$build_lock_fd"
  fi
}

# Releases it; programs started afterwards do not inherit it.
unlock_build_folder() {
  flock -u "$build_lock_fd"
  exec {build_lock_fd}>&-
}
