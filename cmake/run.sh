#!/usr/bin/env bash
echo "make run arrives with the program's window; until then, make test builds and tests the core." >&2
exit 1
