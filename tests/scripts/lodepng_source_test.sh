#!/bin/sh
# scripts/test-lodepng-source.sh takes lodepng's source only from the archive
# the system's apt configuration names, and skips with one line where it names
# none: a copy run with stand-ins for apt-cache (its policy) and apt-get (which
# records its deb-src line and fails). usage: lodepng_source_test.sh SOURCE_DIR
set -u
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/repo/scripts" "$tmp/bin"
cp "$1/scripts/test-lodepng-source.sh" "$tmp/repo/scripts/"
printf '#!/bin/sh\ncat "$POLICY"\n' >"$tmp/bin/apt-cache"
printf '#!/bin/sh\nfor a; do case $a in Dir::Etc::SourceList=*) cat "${a#*=}" >>"$CALLS";; esac; done; exit 1\n' \
  >"$tmp/bin/apt-get"
chmod +x "$tmp/bin/apt-cache" "$tmp/bin/apt-get"
status=0
run() {  # the policy's archive line, or nothing
  printf 'liblodepng-dev:\n Version table:\n *** 1 500\n%s        100 /var/lib/dpkg/status\n' "$1" >"$tmp/policy"
  : >"$tmp/calls"
  POLICY="$tmp/policy" CALLS="$tmp/calls" PATH="$tmp/bin:$PATH" bash "$tmp/repo/scripts/test-lodepng-source.sh" 2>&1
}
out=$(run "")
[ "$(echo "$out" | grep -c .)" -eq 1 ] && echo "$out" | grep -q ': skipped: ' && [ ! -s "$tmp/calls" ] ||
  { echo "FAIL: no archive: $out / $(cat "$tmp/calls")"; status=1; }
run "        500 file:///srv/mirror bookworm/main amd64 Packages
" >/dev/null
grep -q ' file:///srv/mirror bookworm main$' "$tmp/calls" || { echo "FAIL: not the system's archive: $(cat "$tmp/calls")"; status=1; }
grep -n '://' "$1/scripts/test-lodepng-source.sh" && { echo "FAIL: the script names an address"; status=1; }
exit $status
