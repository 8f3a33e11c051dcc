# The Wine scripts' checks, sourced: one "ok - NAME" or "not ok - NAME:
# DETAIL" line each, counted in $passed and $failed.
passed=0
failed=0

ok() { passed=$((passed + 1)); echo "ok - $1"; }
not_ok() { failed=$((failed + 1)); echo "not ok - $1${2:+: $2}"; }
expect() {  # name, then a command that must succeed
  local name=$1; shift
  if "$@"; then ok "$name"; else not_ok "$name"; fi
}
expect_not() {  # name, then a command that must fail
  local name=$1; shift
  if "$@"; then not_ok "$name"; else ok "$name"; fi
}
expect_eq() {  # name actual expected
  if [[ "$2" == "$3" ]]; then ok "$1"; else not_ok "$1" "got '$2', want '$3'"; fi
}
