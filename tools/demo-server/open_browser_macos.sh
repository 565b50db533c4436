#!/bin/bash
# Shows the server's web interface in the desktop's browser. Runs with the install root as
# working folder; reads the port the same way the server does.
port=8090
if [ -r Media/XML/port.txt ]; then
    text=$(<Media/XML/port.txt)
    text="${text#"${text%%[![:space:]]*}"}"
    text="${text%"${text##*[![:space:]]}"}"
    text="${text#+}"
    if [[ $text =~ ^[0-9]+$ ]]; then
        while [[ $text == 0* ]]; do
            text="${text#0}"
        done
        # More than five digits cannot be a port (and would overflow the comparison).
        if [ -n "$text" ] && [ ${#text} -le 5 ] && [ "$text" -le 65535 ]; then
            port=$text
        fi
    fi
fi
url="http://localhost:$port"
if [ "$(uname -s)" = Darwin ]; then
    exec open "$url"
fi
exec xdg-open "$url"
