# The buses of the desktop tests: each starts only the services the test gives it, never the
# machine's or the user's (a desktop's file manager, session manager, portal, notifications).

# Unsets what the session the tests were started from holds (tests/common/session.env).
leave_the_session() {
    local name
    while read -r name; do
        case $name in [A-Z]*) unset "$name" ;; esac
    done <"$(dirname "${BASH_SOURCE[0]}")/../common/session.env"
}

# A complete bus configuration: bus_config TYPE ADDRESS SERVICES. The machine's session.conf is
# not included: it adds the standard service folders, where an installed file manager waits.
bus_config() {
    cat <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>$2</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$3</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
}
