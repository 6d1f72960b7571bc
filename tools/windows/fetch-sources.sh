#!/usr/bin/env bash
# Fetches Debian source packages into a folder, through a private apt folder whose deb-src entries are
# derived from the machine's own apt sources: the system's sources, lists and cache are never touched,
# so this works on any Debian 12 whose archive mirror serves sources, and leaves no trace behind.
#   fetch-sources.sh DEST NAME=VERSION...
#   fetch-sources.sh --print-sources     the derived entries only (APT_ETC names another /etc/apt)
set -euo pipefail
print_only=
if [[ ${1:-} == --print-sources ]]; then
  print_only=1
else
  [[ $# -ge 2 ]] || { echo "usage: fetch-sources.sh DEST NAME=VERSION... | --print-sources" >&2; exit 2; }
  dest=$1
  shift
  mkdir -p "$dest"
fi
etc=${APT_ETC:-/etc/apt}
apt_root=$(mktemp -d "${TMPDIR:-/tmp}/quz-apt.XXXXXX")
trap 'rm -rf "$apt_root"' EXIT
mkdir -p "$apt_root/sources.list.d" "$apt_root/lists/partial" "$apt_root/cache/archives/partial"
# apt downloads as the _apt user when started as root: it must be able to write the private folder.
chmod 755 "$apt_root"
chmod -R a+rwX "$apt_root"

codename=${OS_CODENAME:-$(. /etc/os-release && echo "${VERSION_CODENAME:-}")}
[[ -n $codename ]] || { echo "fetch-sources: no VERSION_CODENAME in /etc/os-release" >&2; exit 1; }
# Only this release's own suites (bookworm, bookworm-updates, bookworm-security...) are carried over:
# a third-party repository seldom serves sources, and one that fails would fail the update.
one_line_files=()
[[ -f $etc/sources.list ]] && one_line_files+=("$etc/sources.list")
shopt -s nullglob
one_line_files+=("$etc"/sources.list.d/*.list)
deb822_files=("$etc"/sources.list.d/*.sources)
shopt -u nullglob
if [[ ${#one_line_files[@]} -gt 0 ]]; then
  awk -v codename="$codename" '
    { sub(/#.*/, "") }
    $1 == "deb" {
      options = ""
      if ($2 ~ /^\[/) { for (i = 2; $i !~ /\]$/; i++) options = options $i " "; options = options $i " "; i++ }
      else i = 2
      suite = $(i + 1)
      if (suite != codename && index(suite, codename "-") != 1) next
      line = "deb-src " options $i " " suite
      for (j = i + 2; j <= NF; j++) line = line " " $j
      print line
    }' "${one_line_files[@]}" >"$apt_root/sources.list"
else
  : >"$apt_root/sources.list"
fi
if [[ ${#deb822_files[@]} -gt 0 ]]; then
  # RS="" reads one stanza at a time; continuation lines (a Signed-By key block) are kept as they are.
  awk -v codename="$codename" '
    BEGIN { RS = ""; FS = "\n" }
    {
      types = ""; uris = ""; suites = ""; components = "main"; signed = ""; enabled = "yes"; key = ""
      for (i = 1; i <= NF; i++) {
        line = $i
        if (line ~ /^#/) continue
        if (line ~ /^[ \t]/) { if (key == "signed-by") signed = signed "\n" line; continue }
        key = tolower(substr(line, 1, index(line, ":") - 1)); value = substr(line, index(line, ":") + 1)
        gsub(/^[ \t]+|[ \t]+$/, "", value)
        if (key == "types") types = value; else if (key == "uris") uris = value
        else if (key == "suites") suites = value; else if (key == "components") components = value
        else if (key == "signed-by") signed = value; else if (key == "enabled") enabled = tolower(value)
      }
      if ((" " types " ") !~ / deb / || enabled == "no" || uris == "") next
      n = split(suites, list, /[ \t]+/); kept = ""
      for (i = 1; i <= n; i++)
        if (list[i] == codename || index(list[i], codename "-") == 1) kept = kept (kept == "" ? "" : " ") list[i]
      if (kept == "") next
      printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, kept, components
      # An inline key starts on the next line: no blank after the colon then.
      if (signed != "") printf "Signed-By:%s%s\n", (substr(signed, 1, 1) == "\n" ? "" : " "), signed
      print ""
    }' "${deb822_files[@]}" >"$apt_root/sources.list.d/derived.sources"
fi
if [[ ! -s $apt_root/sources.list && ! -s $apt_root/sources.list.d/derived.sources ]]; then
  echo "fetch-sources: no '$codename' entry in the apt sources to derive a deb-src entry from" >&2
  exit 1
fi
if [[ -n $print_only ]]; then
  cat "$apt_root/sources.list" "$apt_root/sources.list.d/derived.sources"
  exit 0
fi

apt=(apt-get -q -o Dir::Etc::sourcelist="$apt_root/sources.list"
  -o Dir::Etc::sourceparts="$apt_root/sources.list.d" -o Dir::State::Lists="$apt_root/lists"
  -o Dir::Cache="$apt_root/cache" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Get::List-Cleanup=0 -o Acquire::Languages=none -o Acquire::IndexTargets::deb::Packages::DefaultEnabled=false)
echo "fetch-sources: reading the archive's source lists (private apt folder $apt_root)"
"${apt[@]}" update >"$apt_root/update.log" 2>&1 || { cat "$apt_root/update.log" >&2; exit 1; }
# dpkg-source unpacks as the caller; _apt downloads into a folder it may write.
download=$apt_root/download
mkdir -p "$download" && chmod a+rwx "$download"
cd "$download"
# A mirror may lack a version the index names (a security update whose files are not mirrored yet): then
# the newest older version of that source that can be had is taken, and said so.
for spec in "$@"; do
  name=${spec%%=*}
  wanted=${spec#*=}
  fetched=
  for version in "$wanted" $("${apt[@]/apt-get/apt-cache}" showsrc "$name" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -u -V -r); do
    [[ $version == "$wanted" && -n $fetched ]] && continue
    if "${apt[@]}" source --download-only "$name=$version" >"$apt_root/source.log" 2>&1; then
      fetched=$version
      break
    fi
    fetched=failed
  done
  if [[ -z $fetched || $fetched == failed ]]; then
    cat "$apt_root/source.log" >&2
    echo "fetch-sources: no version of the source package $name could be downloaded" >&2
    exit 1
  fi
  [[ $fetched == "$wanted" ]] || echo "fetch-sources: $name $wanted is not on the mirror; using $fetched" >&2
done
for dsc in *.dsc; do
  name=${dsc%.dsc}
  rm -rf "$dest/$name"
  # apt has checked each file against the archive's signed index; the maintainer keys dpkg-source would
  # check the .dsc with are not installed, so its warning is noise.
  dpkg-source -x "$dsc" "$dest/$name" >"$apt_root/unpack.log" 2>&1 || { cat "$apt_root/unpack.log" >&2; exit 1; }
done
ls -d "$dest"/*/
