#!/usr/bin/env bash
# Installs the Debian 12 packages Quarrix needs to build and run; with --tests
# also what the test suite uses (PostgreSQL, LibreOffice, openpyxl, pdftotext,
# clang with its sanitizer and fuzzer runtimes, jsonschema and regex for
# checking OSCAL files against NIST's schemas); with --bench what
# scripts/bench.sh compares the command line with (the sqlite3 shell).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools
  libsqlite3-dev libzip-dev zlib1g-dev libexpat1-dev libxlsxwriter-dev
  unixodbc-dev odbc-postgresql tdsodbc libjpeg62-turbo-dev
  fonts-dejavu-core fonts-liberation2 xvfb xauth
)
if [[ " $* " == *" --tests "* ]]; then
  packages+=(libgtest-dev clang-format clang libclang-rt-14-dev lintian dpkg-dev file man-db postgresql python3
             python3-openpyxl python3-jsonschema python3-regex poppler-utils
             libreoffice-writer-nogui libreoffice-calc-nogui)
fi
if [[ " $* " == *" --bench "* ]]; then
  packages+=(sqlite3)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
