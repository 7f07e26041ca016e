"""Notice server for the frame window's tests: answers /notify/game/<n>.txt by scenario n (and
/sized/<n> with a body of n bytes) and
prints its port first, then one line per request it served (and, after an endless body, how many
bytes of it went out before the client hung up)."""
import http.server
import sys
import time

BIG = b"<notify>" + b"x" * 70000


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_body(self, body):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_endless(self, start):
        """A body that never ends; prints how much went out once the client hangs up."""
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        block = b"y" * 16384
        sent = 0
        try:
            for chunk in [start] + [block] * (1 << 20):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                sent += len(chunk)
        except OSError:
            pass
        print("sent %d" % sent, flush=True)
        self.close_connection = True

    def do_GET(self):
        print(self.path, flush=True)
        scenario = self.path.rsplit("/", 1)[-1].split(".")[0]
        if self.path.startswith("/sized/"):
            self.send_body(b"z" * int(scenario))
        elif not self.path.startswith("/notify/game/"):
            self.send_error(404)
        elif scenario == "1":
            self.send_body("<NOTIFY>公告一".encode("gbk"))
        elif scenario == "2":
            self.send_body(b"<nofity>wrong")
        elif scenario == "3":
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for chunk in (b"<", b"notify>", b"chunked"):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                self.wfile.flush()
            self.wfile.write(b"0\r\n\r\n")
        elif scenario == "4":
            self.send_body(b"")
        elif scenario == "5":
            self.send_body(BIG)
        elif scenario == "6":
            time.sleep(0.5)
            self.send_body(b"<notify>slow")
        elif scenario in ("7", "8"):
            self.send_endless(b"<notify>" if scenario == "7" else b"<html>")
        else:
            self.send_error(404)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
