#!/usr/bin/env bash
# Builds the seed corpora of the fuzz targets from the tree's own files (the
# dictionaries, the samples, the golden cases) plus a few crafted inputs.
# Usage: tools/make_fuzz_seeds.sh OUTDIR   (makes OUTDIR/<target>/...)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: $0 OUTDIR}
mkdir -p "$out"/{dictionary_loader,summary_run,utf8_codec,rouge}

# One byte given as a number.
byte() { printf "\\$(printf '%03o' "$1")"; }

# dictionary_loader: every dictionary file, whatever its encoding.
for f in dic/*.xml tests/golden/*/dictionary.xml tests/testdata/xml/*.xml; do
  cp "$f" "$out/dictionary_loader/$(echo "$f" | tr / _)"
done
printf '<!DOCTYPE d [<!ENTITY a "x&#10;y">]><d><linebreak><i>&a;</i><![CDATA[ . ]]><?p q?><!--c--></linebreak></d>' \
  > "$out/dictionary_loader/crafted_entities.xml"

# summary_run: flags, percent, [dictionary, 0xFF,] text (see the target).
for d in tests/golden/*/; do
  name=$(basename "$d")
  percent=$(sed -n 's/^percent=//p' "$d/options")
  flags=32
  grep -qx 'format=html' "$d/options" && flags=33
  { byte "$((flags))"; byte "$((percent + 1))"
    [[ -f "$d/dictionary.xml" ]] && cat "$d/dictionary.xml"; printf '\xff'
    cat "$d/text.txt"; } > "$out/summary_run/golden_$name"
done
languages=(de en es fr it nl pt sv)
for i in "${!languages[@]}"; do
  for sample in samples/*.txt; do
    for html in 0 1; do
      { byte "$((i * 4 + html))"; byte 21; cat "$sample"; } \
        > "$out/summary_run/${languages[$i]}_$(basename "$sample" .txt)_$html"
    done
  done
done
# Texts at the length bound, which mutations alone reach slowly: the
# samples over and over, with a fixed and with a golden dictionary.
long_text() {
  local once all=""
  once=$(cat samples/bees.txt samples/lighthouse.txt)
  for _ in $(seq 24); do all+="$once "; done
  printf '%s' "${all:0:49999}"
}
{ byte 5; byte 21; long_text; } > "$out/summary_run/long_en_text"
{ byte 33; byte 41; cat tests/golden/stemming_and_grading/dictionary.xml; printf '\xff'
  long_text; } > "$out/summary_run/long_golden_dictionary"

# utf8_codec: real texts and the edges of the table of well-formed bytes.
cp samples/*.txt "$out/utf8_codec/"
cp tests/golden/unicode_text/text.txt "$out/utf8_codec/unicode_text"
printf 'a\xc2\x80\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\n' \
  > "$out/utf8_codec/edges"
printf 'line\n\xed\xa0\x80 \xc0\xaf \xf4\x90\x80\x80 \xe2\x82' > "$out/utf8_codec/bad"

# rouge: summary, 0xFF, reference.
{ head -c 400 samples/bees.txt; printf '\xff'; head -c 600 samples/bees.txt; } > "$out/rouge/bees"
{ cat samples/lighthouse.txt; printf '\xff'; cat samples/bees.txt; } > "$out/rouge/apart"
printf 'The cat sat.\nOn the mat.\xffThe cat was on the mat.\nIt sat.' > "$out/rouge/lines"
printf 'Ça été CAFÉ 42 x\xffça Été café 42' > "$out/rouge/case"
