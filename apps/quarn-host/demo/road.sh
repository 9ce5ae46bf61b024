#!/bin/sh
# The segmentation road: road.qs in one host, the session it saved replayed in a second host,
# and the two hosts' label volumes compared byte for byte.
# usage: road.sh HOST [FOLDER]   (FOLDER: where the series, pictures and volumes go; default .)
set -e
host=$(realpath "$1")
demo=$(dirname "$(realpath "$0")")
mkdir -p "${2:-.}"
cd "${2:-.}"
rm -f road-first.nrrd road-replay.nrrd road-session.qs
"$host" run "$demo/road.qs"
"$host" run "$demo/road_replay.qs"
if cmp -s road-first.nrrd road-replay.nrrd; then
  echo "replay: identical"
else
  echo "replay: the replayed tags differ from the session's"
  exit 1
fi
