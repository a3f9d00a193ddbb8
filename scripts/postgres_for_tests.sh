#!/bin/bash
# A throw-away PostgreSQL server for the upload tests, on 127.0.0.1.
#
#   scripts/postgres_for_tests.sh start DIR   start it; connection facts go to DIR/env
#   scripts/postgres_for_tests.sh stop DIR    stop it and remove what start made
#
# The server keeps its data, log and socket in DIR, listens on a free port
# (four digits, so it fits the stored port setting), and runs without
# systemd. start creates a login role with a password that may create
# databases and roles (each test works in a database of its own), a database
# owned by it, and the central tables from db/postgresql.sql. DIR/env holds
# KEY=VALUE lines: QUARRIX_PG_HOST, QUARRIX_PG_PORT, QUARRIX_PG_USER,
# QUARRIX_PG_PASSWORD, QUARRIX_PG_DATABASE.
set -euo pipefail

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
ddl="$here/../db/postgresql.sql"

bin=
for v in 17 16 15 14 13; do
    if [ -x "/usr/lib/postgresql/$v/bin/pg_ctl" ]; then bin=/usr/lib/postgresql/$v/bin; break; fi
done
[ -n "$bin" ] || { echo "PostgreSQL server binaries not found (install the postgresql package)" >&2; exit 1; }

# The server refuses to run as root: run its programs as postgres then.
as_pg() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

random_word() {
    od -An -N12 -tx1 /dev/urandom | tr -d ' \n'
}

stop_server() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_pg "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
}

case "$action" in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    stop_server
    rm -rf "$dir/data" "$dir/log" "$dir/env" "$dir/superuser.pw"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    chmod 700 "$dir"

    super_pw=$(random_word)
    printf '%s\n' "$super_pw" > "$dir/superuser.pw"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir/superuser.pw"; fi
    as_pg "$bin/initdb" -D "$dir/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
        --pwfile="$dir/superuser.pw" -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    rm -f "$dir/superuser.pw"

    started=
    for attempt in 1 2 3 4 5 6 7 8; do
        port=$((2000 + RANDOM % 7000))
        port_free "$port" || continue
        if as_pg "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 \
            -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c full_page_writes=off" start >/dev/null; then
            started=1
            break
        fi
    done
    [ -n "$started" ] || { echo "PostgreSQL did not start; see $dir/log" >&2; cat "$dir/log" >&2 || true; exit 1; }

    user=quarrix_test
    password=$(random_word)
    database=quarrix_central
    psql_super() { as_pg psql -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U postgres "$@"; }
    psql_super -d postgres -c "CREATE ROLE $user LOGIN CREATEDB CREATEROLE PASSWORD '$password'" \
        -c "CREATE DATABASE $database OWNER $user"
    # The tables belong to the test role, so tests may alter and drop them.
    PGPASSWORD=$password psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U "$user" -d "$database" -f "$ddl"

    cat > "$dir/env" <<EOF
QUARRIX_PG_HOST=127.0.0.1
QUARRIX_PG_PORT=$port
QUARRIX_PG_USER=$user
QUARRIX_PG_PASSWORD=$password
QUARRIX_PG_DATABASE=$database
EOF
    echo "PostgreSQL for tests on 127.0.0.1:$port (connection facts in $dir/env)"
    ;;
stop)
    [ -d "$dir" ] || exit 0
    stop_server
    rm -rf "$dir/data" "$dir/log" "$dir/env" "$dir/initdb.log" "$dir/superuser.pw"
    ;;
*)
    usage
    ;;
esac
