#!/usr/bin/python3
"""The CardDAV sync against a local Radicale, each figure beside its floor measured in the same run.

    /usr/bin/python3 bench/sync_bench.py --build-dir build-bench [--pull 10000] [--push 1000,2000]

- pull: N cards on the server, an empty agenda syncs them in (rubrello-cli sync, whole process).
  Floor: the same requests (sync-collection, then multigets of 100) from a bare HTTP client.
- push: an agenda of N contacts syncs to an empty book. Floor: the same cards (the agenda's export)
  PUT by a bare client, one after the other. Radicale reads every card of the book before it stores a new one (its UID
  check), so a PUT costs more as the book grows: the floor shows the server's share.
- nothing changed and one contact changed, on the pulled agenda. Floors: the sync-collection REPORT
  alone, and that REPORT with one PUT.
"""
import argparse
import base64
import http.client
import json
import os
import shutil
import socket
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

USER, PASSWORD = "mario", "segreto"
AUTH = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
BOOK = f"/{USER}/contatti/"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Radicale:
    def __init__(self, folder):
        self.folder = folder
        self.port = free_port()
        os.makedirs(self.book_folder())
        with open(os.path.join(self.book_folder(), ".Radicale.props"), "w") as props:
            props.write('{"tag": "VADDRESSBOOK"}')
        with open(os.path.join(folder, "users"), "w") as users:
            users.write(f"{USER}:{PASSWORD}\n")
        with open(os.path.join(folder, "config"), "w") as config:
            config.write(f"[server]\nhosts = 127.0.0.1:{self.port}\n[auth]\ntype = htpasswd\n"
                         f"htpasswd_filename = {folder}/users\nhtpasswd_encryption = plain\n"
                         f"[storage]\nfilesystem_folder = {folder}/collections\n[logging]\nlevel = warning\n")
        self.process = subprocess.Popen(["/usr/bin/radicale", "--config", os.path.join(folder, "config")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(300):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.1).close()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("radicale did not start")

    def book_folder(self):
        return os.path.join(self.folder, "collections", "collection-root", USER, "contatti")

    def url(self):
        return f"http://127.0.0.1:{self.port}{BOOK}"

    def request(self, method, path, body=b"", headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=600)
        all_headers = {"Authorization": AUTH, "Content-Type": "application/xml; charset=utf-8"}
        all_headers.update(headers or {})
        connection.request(method, path, body, all_headers)
        reply = connection.getresponse()
        data = reply.read()
        connection.close()
        return reply.status, data

    def stop(self):
        self.process.kill()
        self.process.wait()


def card(i):
    return (f"BEGIN:VCARD\r\nVERSION:3.0\r\nUID:b{i:07d}\r\nN:Cognome{i};Nome;;;\r\nFN:Nome Cognome{i}\r\n"
            f"TEL;TYPE=CELL:345 {1000000 + i}\r\nEMAIL:nome{i}@example.org\r\nEND:VCARD\r\n").encode()


SYNC_BODY = ('<?xml version="1.0"?><d:sync-collection xmlns:d="DAV:"><d:sync-token>{}</d:sync-token>'
             '<d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>')


def floor_pull(server):
    status, body = server.request("REPORT", BOOK, SYNC_BODY.format("").encode(), {"Depth": "0"})
    hrefs = [part.split("</")[0] for part in body.decode().split("href>")[1::2]]
    hrefs = [h for h in hrefs if h.endswith(".vcf")]
    for start in range(0, len(hrefs), 100):
        inner = "".join(f"<d:href>{h}</d:href>" for h in hrefs[start:start + 100])
        server.request("REPORT", BOOK, ('<?xml version="1.0"?><c:addressbook-multiget xmlns:d="DAV:" '
                                        'xmlns:c="urn:ietf:params:xml:ns:carddav"><d:prop><d:getetag/>'
                                        f'<c:address-data/></d:prop>{inner}</c:addressbook-multiget>').encode(),
                       {"Depth": "1"})
    return len(hrefs)


def sync_token(server):
    status, body = server.request("REPORT", BOOK, SYNC_BODY.format("").encode(), {"Depth": "0"})
    text = body.decode()
    return text.split("sync-token>")[1].split("<")[0]


def cli_sync(cli, store):
    started = time.perf_counter()
    done = subprocess.run([cli, "--store", store, "sync", "--password-stdin"], input=PASSWORD + "\n",
                          capture_output=True, text=True)
    elapsed = (time.perf_counter() - started) * 1000
    if done.returncode != 0:
        raise RuntimeError(done.stderr + done.stdout)
    return elapsed, done.stdout.strip()


def new_agenda(cli, folder, server, contacts=0, gen=None):
    store = os.path.join(folder, "Rubrello.MDB")
    if contacts:
        subprocess.run([sys.executable, gen, "--count", str(contacts), "--store", store], check=True)
    subprocess.run([cli, "--store", store, "account", "--url", server.url(), "--user", USER, "--password-stdin"],
                   input=PASSWORD + "\n", check=True, capture_output=True, text=True)
    return store


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--pull", type=int, default=10000)
    parser.add_argument("--push", default="1000,2000")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--json")
    args = parser.parse_args()
    cli = os.path.join(os.path.abspath(args.build_dir), "rubrello-cli")
    gen = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gen_contacts.py")
    results = {}
    work = tempfile.mkdtemp(prefix="rubrello-sync-bench-")
    try:
        # Pull: the cards written straight into the server's folder, its cache warmed once.
        server = Radicale(os.path.join(work, "pull-server"))
        for i in range(args.pull):
            with open(os.path.join(server.book_folder(), f"b{i:07d}.vcf"), "wb") as out:
                out.write(card(i))
        floor_pull(server)
        floors, ours = [], []
        for rep in range(args.reps):
            started = time.perf_counter()
            floor_pull(server)
            floors.append((time.perf_counter() - started) * 1000)
            folder = os.path.join(work, f"pull-{rep}")
            os.makedirs(folder)
            store = new_agenda(cli, folder, server)
            elapsed, summary = cli_sync(cli, store)
            ours.append(elapsed)
        results["pull"] = {"cards": args.pull, "ms": statistics.median(ours), "floor_ms": statistics.median(floors),
                           "summary": summary}

        # Nothing changed, then one contact changed, on the last pulled agenda.
        token = sync_token(server)
        floors, ours = [], []
        for _ in range(args.reps):
            started = time.perf_counter()
            server.request("REPORT", BOOK, SYNC_BODY.format(token).encode(), {"Depth": "0"})
            floors.append((time.perf_counter() - started) * 1000)
            ours.append(cli_sync(cli, store)[0])
        results["nothing_changed"] = {"ms": statistics.median(ours), "floor_ms": statistics.median(floors)}
        floors, ours = [], []
        for rep in range(args.reps):
            with sqlite3.connect(store) as db:
                db.execute("UPDATE PhoneList SET Note = ? WHERE ID = (SELECT min(ID) FROM PhoneList)",
                           (f"cambiata {rep}",))
            elapsed, summary = cli_sync(cli, store)
            ours.append(elapsed)
            started = time.perf_counter()
            server.request("REPORT", BOOK, SYNC_BODY.format(token).encode(), {"Depth": "0"})
            server.request("PUT", BOOK + "b0000001.vcf", card(1), {"Content-Type": "text/vcard"})
            floors.append((time.perf_counter() - started) * 1000)
        results["one_changed"] = {"ms": statistics.median(ours), "floor_ms": statistics.median(floors),
                                  "summary": summary}
        server.stop()

        # Push: to an empty book, once each (a push fills the book).
        for size in [int(s) for s in args.push.split(",") if s]:
            server = Radicale(os.path.join(work, f"push-server-{size}"))
            folder = os.path.join(work, f"push-{size}")
            os.makedirs(folder)
            store = new_agenda(cli, folder, server, size, gen)
            elapsed, summary = cli_sync(cli, store)
            server.stop()
            # The floor sends the same cards: the agenda's own export, each with the UID a sync adds.
            exported = os.path.join(folder, "export.vcf")
            subprocess.run([cli, "--store", store, "export", "--vcard", exported], check=True, capture_output=True)
            cards = open(exported, "rb").read().split(b"END:VCARD\r\n")[:-1]
            floor_server = Radicale(os.path.join(work, f"push-floor-{size}"))
            started = time.perf_counter()
            for i, one in enumerate(cards):
                one = one.replace(b"VERSION:3.0\r\n", f"VERSION:3.0\r\nUID:f{i:07d}\r\n".encode(), 1)
                floor_server.request("PUT", f"{BOOK}f{i:07d}.vcf", one + b"END:VCARD\r\n",
                                     {"Content-Type": "text/vcard", "If-None-Match": "*"})
            floor = (time.perf_counter() - started) * 1000
            floor_server.stop()
            results[f"push_{size}"] = {"ms": elapsed, "floor_ms": floor, "summary": summary}
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("| figure | rubrello-cli sync | floor (bare HTTP client) |")
    print("|---|---|---|")
    for name, figure in results.items():
        print(f"| {name} | {figure['ms']:.0f} ms | {figure['floor_ms']:.0f} ms |")
    if args.json:
        with open(args.json, "w") as out:
            json.dump(results, out, indent=1)


if __name__ == "__main__":
    main()
