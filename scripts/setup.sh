#!/usr/bin/env bash
# Installs the Debian packages horgrid needs to build, test, plot and
# benchmark. Idempotent: installs only what is missing; safe to run repeatedly.
set -euo pipefail

packages=(g++ cmake make python3 libgtest-dev libgmock-dev libbenchmark-dev gnuplot-nox ghostscript libedlib-dev time pkg-config libhts-dev libcli11-dev snakemake samtools tabix clang-14 libfuzzer-14-dev libclang-rt-14-dev chromium go-md2man)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The plot command calls gnuplot at this fixed path.
if [ ! -x /usr/local/bin/gnuplot ] && [ -x /usr/bin/gnuplot ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo ln -sf /usr/bin/gnuplot /usr/local/bin/gnuplot
fi
