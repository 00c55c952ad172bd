# Sourced by test-all.sh and run.sh: start_virtual_display starts an X server of our own on the
# first free display number, exports DISPLAY and sets xvfb_pid for the caller to stop.
start_virtual_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$number_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
  rm -f "$number_file"
  [ "$DISPLAY" != ":" ] || { echo "the virtual display did not start" >&2; return 1; }
}
