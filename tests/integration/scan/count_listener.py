#!/usr/bin/env python3
"""A service that is there but never answers: counts connection attempts.

  count_listener.py LOG HOST:PORT [HOST:PORT...]

Listens on every address given, accepts each connection and closes it at once
without a byte of answer, and appends the address that was called to LOG, one
line per connection. LOG is created (empty) once every address listens. Runs
until it is terminated.
"""

import selectors
import signal
import socket
import sys


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    log_path = sys.argv[1]
    selector = selectors.DefaultSelector()
    for address in sys.argv[2:]:
        host, _, port = address.rpartition(":")
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((host, int(port)))
        listener.listen(16)
        selector.register(listener, selectors.EVENT_READ, address)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with open(log_path, "w", encoding="ascii") as log:
        log.flush()
        while True:
            for key, _ in selector.select():
                connection, _ = key.fileobj.accept()
                connection.close()
                log.write(key.data + "\n")
                log.flush()


if __name__ == "__main__":
    main()
