# Shared by the scripts that run the real kvrplayer under a virtual X server; sourced, not run.
# require_tools NAME...: exits 77 (skip) when one of the tools is not installed.
require_tools() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}

# Sanitizer builds: leaks of the desktop libraries are not the player's.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The X keyboard library hands strndup a name that is not zero-terminated within its length;
# strndup itself stops at the length, but the strict string check measures the whole string.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"
