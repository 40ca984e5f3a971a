#!/usr/bin/env bash
# Starts a throw-away PostgreSQL server on loopback for the clinic suites and
# exports BRIMWICK_TEST_PG, the connection string the tests use to reach it.
# Sourced by test.sh; the server is stopped and its folder removed when the
# sourcing shell exits. Installs nothing: setup.sh brings the server binaries.
# If the server cannot be started the test run stops here, loudly: the clinic
# suites must run on both stores.

brimwick_pg_fail() {
  echo "pg-start: $*" >&2
  if [ -n "${brimwick_pg_dir:-}" ] && [ -f "$brimwick_pg_dir/server.log" ]; then
    echo "pg-start: server log follows" >&2
    cat "$brimwick_pg_dir/server.log" >&2 || true
  fi
  brimwick_pg_stop
  return 1
}

brimwick_pg_stop() {
  if [ -n "${brimwick_pg_dir:-}" ] && [ -d "$brimwick_pg_dir" ]; then
    if [ -f "$brimwick_pg_dir/data/postmaster.pid" ]; then
      brimwick_pg_as "$brimwick_pg_bin/pg_ctl" -D "$brimwick_pg_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$brimwick_pg_dir"
  fi
  brimwick_pg_dir=""
}

# Runs a server program as the unprivileged owner of the cluster (the server
# refuses to run as root), from inside the cluster's folder so that no
# unreadable working directory gets in the way.
brimwick_pg_as() {
  if [ "$(id -u)" -eq 0 ]; then
    (cd "$brimwick_pg_dir" && runuser -u "$brimwick_pg_user" -- "$@" </dev/null)
  else
    (cd "$brimwick_pg_dir" && "$@" </dev/null)
  fi
}

brimwick_pg_port_free() {
  ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

brimwick_pg_start() {
  brimwick_pg_bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
  [ -n "$brimwick_pg_bin" ] && [ -x "$brimwick_pg_bin/initdb" ] ||
    { brimwick_pg_fail "no PostgreSQL server binaries under /usr/lib/postgresql (run scripts/setup.sh)"; return 1; }

  brimwick_pg_user="$(id -un)"
  if [ "$(id -u)" -eq 0 ]; then
    if id postgres >/dev/null 2>&1; then brimwick_pg_user=postgres; else brimwick_pg_user=nobody; fi
  fi

  brimwick_pg_dir="$(mktemp -d "${TMPDIR:-/tmp}/brimwick-pg.XXXXXX")" ||
    { brimwick_pg_fail "cannot make a temporary folder"; return 1; }
  mkdir -p "$brimwick_pg_dir/socket"
  [ "$(id -u)" -eq 0 ] && chown -R "$brimwick_pg_user" "$brimwick_pg_dir"
  chmod 700 "$brimwick_pg_dir"

  local password
  password="$(head -c 18 /dev/urandom | od -An -tx1 | tr -d ' \n')"
  printf '%s\n' "$password" >"$brimwick_pg_dir/pwfile"
  [ "$(id -u)" -eq 0 ] && chown "$brimwick_pg_user" "$brimwick_pg_dir/pwfile"

  brimwick_pg_as "$brimwick_pg_bin/initdb" -D "$brimwick_pg_dir/data" -U postgres --pwfile="$brimwick_pg_dir/pwfile" \
    -E UTF8 --no-locale --auth-local=trust --auth-host=scram-sha-256 >"$brimwick_pg_dir/initdb.log" 2>&1 ||
    { cat "$brimwick_pg_dir/initdb.log" >&2; brimwick_pg_fail "initdb failed"; return 1; }

  # A free port, chosen at random so that parallel runs rarely collide; a
  # start that still loses the race is retried on another port.
  local attempt port=""
  for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    brimwick_pg_port_free "$port" || continue
    if brimwick_pg_as "$brimwick_pg_bin/pg_ctl" -D "$brimwick_pg_dir/data" -l "$brimwick_pg_dir/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $brimwick_pg_dir/socket -c max_connections=300 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
      start >/dev/null 2>&1; then
      break
    fi
    port=""
  done
  [ -n "$port" ] || { brimwick_pg_fail "the server did not start"; return 1; }

  brimwick_pg_as "$brimwick_pg_bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$brimwick_pg_dir/socket" -p "$port" -U postgres -d postgres \
    -c "create role brimwick login createdb password '$password'" \
    -c "create database brimwick owner brimwick" >"$brimwick_pg_dir/psql.log" 2>&1 ||
    { cat "$brimwick_pg_dir/psql.log" >&2; brimwick_pg_fail "cannot create the test role and database"; return 1; }

  export BRIMWICK_TEST_PG="host=127.0.0.1 port=$port dbname=brimwick user=brimwick password=$password"
  trap brimwick_pg_stop EXIT
  echo "pg-start: PostgreSQL $("$brimwick_pg_bin/postgres" --version | awk '{print $3}') on 127.0.0.1:$port" >&2
}

brimwick_pg_start || { return 1 2>/dev/null || exit 1; }
