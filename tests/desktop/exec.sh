# Runs a program in the display and session that run.sh made.
exec "$@"
