#!/usr/bin/env bash
# The man page against the command it describes: its sections, a clean
# render, and every option that `--help` (and each subcommand's `--help`)
# lists standing as a term under OPTIONS. The help text is read now, so an
# option added to the command and not to the page fails here.
#   tests/package/man_page_test.sh VELLUMTRACE_BINARY MAN_PAGE
set -euo pipefail
binary=$1
page=$2
fail() { echo "man_page_test: $*" >&2; exit 1; }

# Options of one help text: the first column of its option lines
# ("-h,--help", "--percent N=20", ...); subcommands from its own list.
help_options() { awk '/^  +-/ { n = split($1, f, ","); for (i = 1; i <= n; i++) print f[i] }'; }
help_subcommands() { awk '/^Subcommands:/ { s = 1; next } /^[^ ]/ { s = 0 } s && /^  +[a-z]/ { print $1 }'; }

main_help=$("$binary" --help) || fail "$binary --help failed"
options=$(help_options <<<"$main_help")
for sub in $(help_subcommands <<<"$main_help"); do
  options+=$'\n'$("$binary" "$sub" --help | help_options) || fail "$binary $sub --help failed"
done
[[ $(wc -l <<<"$options") -ge 10 ]] || fail "found too few options in --help: $options"

# The page's header names the version the command reports.
version=$("$binary" --version) || fail "$binary --version failed"
grep -q "^\.TH .*\"$version\"" "$page" || fail "the .TH line does not name '$version'"

# The page's sections, in order.
expected="NAME SYNOPSIS DESCRIPTION OPTIONS EXIT_STATUS FILES ENVIRONMENT EXAMPLES SEE_ALSO"
sections=$(awk '/^\.SH / { sub(/^\.SH +/, ""); gsub(/"/, ""); gsub(/ /, "_"); printf "%s ", $0 }' "$page")
[[ ${sections% } == "$expected" ]] || fail "sections are '${sections% }', expected '$expected'"

# The terms of the OPTIONS section (the line after each .TP), font
# changes and escapes removed, split into words.
terms=$(awk '
  /^\.SH / { in_options = ($0 ~ /^\.SH +"?OPTIONS"?$/); next }
  in_options && /^\.TP/ { term = 1; next }
  in_options && term {
    term = 0
    line = $0
    sub(/^\.[A-Z]+ /, "", line)
    gsub(/\\f[BIRP]/, "", line); gsub(/\\-/, "-", line); gsub(/"/, "", line)
    n = split(line, w, /[ ,|]+/)
    for (i = 1; i <= n; i++) if (w[i] ~ /^-/) print w[i]
  }' "$page")
missing=()
while read -r option; do
  grep -qxF -- "$option" <<<"$terms" || missing+=("$option")
done <<<"$(sort -u <<<"$options")"
[[ ${#missing[@]} -eq 0 ]] || fail "options in --help but not under OPTIONS in $page: ${missing[*]}"

# groff's warnings are what lintian and man show as broken markup.
if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
  [[ -z $warnings ]] || fail "groff warns: $warnings"
else
  echo "man_page_test: groff not installed, rendering not checked"
fi
echo "man_page_test: $(sort -u <<<"$options" | wc -l) options of --help, all under OPTIONS"
