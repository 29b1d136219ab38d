#!/usr/bin/env bash
# fetch-source.sh PACKAGE VERSION DEST
# Fetches and unpacks a Debian source package into DEST through a private
# sources list, leaving the system's apt settings, lists and cache untouched.
# The mirror and suite are the system's own: its deb entries for the release
# it runs are repeated as deb-src entries.
set -euo pipefail
package=$1 version=$2 dest=$3

codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
apt_dir=$(mktemp -d)
trap 'rm -rf "$apt_dir"' EXIT
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"

# One-line entries ("deb [opts] URI suite components") and deb822 stanzas
# ("Types:", "URIs:", "Suites:", …); only entries for the release itself.
{
  cat /etc/apt/sources.list 2>/dev/null || true
  for f in /etc/apt/sources.list.d/*.list; do if [ -e "$f" ]; then cat "$f"; fi; done
} | awk -v c="$codename" '$1 == "deb" {
      opts = ""; i = 2
      if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ }; opts = opts " " $i; i++ }
      if ($(i + 1) == c) { $1 = "deb-src"; print }
    }' > "$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -e "$f" ] || continue
  awk -v c="$codename" '
    function flush() {
      if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " c " ")) {
        n = split(uris, u, " ")
        for (k = 1; k <= n; k++)
          printf "deb-src [%s] %s %s %s\n", (key != "" ? "signed-by=" key : ""), u[k], c, comps
      }
      types = uris = suites = comps = key = ""
    }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    { field = tolower($1); sub(/^[^:]*:[ \t]*/, "") }
    field == "types:" { types = $0 } field == "uris:" { uris = $0 }
    field == "suites:" { suites = $0 } field == "components:" { comps = $0 }
    field == "signed-by:" { key = $0 }
    END { flush() }' "$f" | sed 's/\[\] //' >> "$apt_dir/sources.list"
done
if [ ! -s "$apt_dir/sources.list" ]; then
  echo "fetch-source: no apt entry for $codename found in the system's sources" >&2
  exit 1
fi

apt_opts=(
  -o Dir::Etc::SourceList="$apt_dir/sources.list"
  -o Dir::Etc::SourceParts="$apt_dir/parts"
  -o Dir::State::Lists="$apt_dir/lists"
  -o Dir::Cache="$apt_dir/cache"
  -o APT::Sandbox::User=root
)
apt-get "${apt_opts[@]}" update -q
mkdir -p "$dest"
(cd "$dest" && apt-get "${apt_opts[@]}" source -q "$package=$version")
