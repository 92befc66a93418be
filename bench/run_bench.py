#!/usr/bin/python3
"""Runs the benchmarks at each size and prints the figures beside their floors.

Called by run.sh once the programs are built. Only the standard library is used.
"""
import argparse
import json
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SIZES = {"1k": 1000, "10k": 10000, "100k": 100000, "1M": 1000000}
DEFAULT_REPS = {"1k": 7, "10k": 7, "100k": 5, "1M": 3}

# The search fields by scope, as the program tests them: names and mobile always, Lavoro unless
# scope 3, Casa unless scope 2, the notes only under scope 0.
NAMES = ["LastName", "FirstName", "Cellulare"]
LAVORO = ["Azienda", "WorkProv", "WorkFax", "WorkPhone", "WorkCity", "WorkAddress", "WorkPostalCode",
          "Internet", "www"]
CASA = ["HomeProv", "HomeFax", "HomePhone", "HomeCity", "HomeAddress", "HomePostalCode"]
SCOPE_FIELDS = {0: NAMES + LAVORO + CASA + ["Note"], 3: NAMES + CASA}
SEARCHES = {  # name: (text, scope, ignore case)
    "few_s0_nocase": ("dvořák", 0, True), "few_s0_case": ("Dvořák", 0, False),
    "few_s3_nocase": ("dvořák", 3, True), "few_s3_case": ("Dvořák", 3, False),
    "many_s0_nocase": ("ar", 0, True), "many_s0_case": ("ar", 0, False),
    "many_s3_nocase": ("ar", 3, True), "many_s3_case": ("ar", 3, False),
}
NUMBER_FIELDS = ("Cellulare", "WorkPhone", "HomePhone", "WorkFax", "HomeFax")
# What a mail client or a terminal asks: a surname, a few hundred hits at 100k.
TYPICAL_SEARCH = ("rossi", 0, True)
# Figures to reach, in ms (memory in MiB), per size.
TARGETS = {
    "10k": {"cli_labels": 5000},
    "100k": {"startup": 250, "keystroke": 30, "search_first": 60, "save_edit": 20, "save_new": 20, "delete": 20,
             "fill_outline": 30, "import": 500, "print_agenda": 3000, "memory": 70, "cli": 50,
             "vcard_import": 3000, "vcard_export": 2000, "csv_import": 2000, "undo_delete": 50,
             "undo_delete_core": 50, "backup": 1000, "duplicates": 2000},
    "1M": {"startup": 1500, "keystroke": 150, "search_first": 300, "search_memory": 150, "cli": 300,
           "save_edit": 50, "save_new": 50, "delete": 20, "import": 5000, "memory": 250, "ops_memory": 600,
           "duplicates": 20000},
}


def env():
    e = dict(os.environ)
    e.setdefault("QT_QPA_PLATFORM", "offscreen")
    e.setdefault("LANG", "C.UTF-8")
    e.setdefault("XDG_CACHE_HOME", str(Path(tempfile.gettempdir()) / f"rubrello-bench-cache-{os.getuid()}"))
    if "XDG_RUNTIME_DIR" not in e:
        runtime = Path("/tmp") / f"rubrello-bench-runtime-{os.getuid()}"
        runtime.mkdir(mode=0o700, exist_ok=True)
        e["XDG_RUNTIME_DIR"] = str(runtime)
    return e


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def run_json(cmd):
    out = subprocess.run(cmd, env=env(), capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{' '.join(map(str, cmd))} failed ({out.returncode}):\n{out.stderr}")
    lines = [line for line in out.stdout.splitlines() if line.startswith("{")]
    return json.loads(lines[-1])


def timed_process(cmd, reps):
    """Wall clock from the start of the process to its exit, plus what it printed."""
    walls, cpus, reports = [], [], []
    for _ in range(reps):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        report = run_json(cmd)
        walls.append((time.perf_counter() - start) * 1000)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append((after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000)
        reports.append(report)
    return walls, cpus, reports


def timed_command(cmd, reps):
    """Wall clock of a whole process, its first (cold) run dropped; an exit status of 1 (nothing
    found) is an answer too."""
    walls = []
    for _ in range(reps + 1):
        start = time.perf_counter()
        out = subprocess.run(cmd, env=env(), capture_output=True)
        walls.append((time.perf_counter() - start) * 1000)
        if out.returncode not in (0, 1):
            sys.exit(f"{' '.join(map(str, cmd))} failed ({out.returncode}):\n{out.stderr.decode()}")
    return walls[1:]


def generate(data_dir, size):
    target = data_dir / size
    store, text = target / "Rubrello.MDB", target / "NUMBO.TXT"
    if store.exists() and text.exists():
        return store, text
    target.mkdir(parents=True, exist_ok=True)
    print(f"generating {size} contacts ...", file=sys.stderr)
    subprocess.run([sys.executable, str(HERE / "gen_contacts.py"), "--count", str(SIZES[size]),
                    "--seed", "2000", "--store", str(store), "--text", str(text)], check=True)
    return store, text


def sqlite_times(store, sql, reps):
    """Run times of sql in one sqlite3 process, the first (cold) run dropped."""
    script = ".output /dev/null\n.timer on\n" + (sql + "\n") * (reps + 1)
    out = subprocess.run(["sqlite3", "-readonly", str(store)], input=script, capture_output=True, text=True)
    found = re.findall(r"Run Time: real ([0-9.]+) user ([0-9.]+) sys ([0-9.]+)", out.stdout + out.stderr)
    if len(found) < reps + 1:
        sys.exit(f"sqlite3 gave no timings:\n{out.stderr}")
    walls = [float(real) * 1000 for real, _, _ in found[1:]]
    cpus = [(float(user) + float(sys_)) * 1000 for _, user, sys_ in found[1:]]
    return walls, cpus


def scan_sql(text, scope, ignore_case):
    pattern = "'%" + text.replace("'", "''") + "%'"
    where = " OR ".join(f"{field} LIKE {pattern}" for field in SCOPE_FIELDS[scope])
    pragma = "" if ignore_case else "PRAGMA case_sensitive_like=ON; "
    return f"{pragma}SELECT ID FROM PhoneList WHERE {where};"


def stats(samples):
    return {"median": statistics.median(samples), "min": min(samples), "max": max(samples), "n": len(samples),
            "samples": samples}


def measure(size, store, text, build, reps, have_sqlite):
    driver, floor = build / "bench" / "bench_driver", build / "bench" / "qt_floor"
    result = {"load_before": load()}
    walls, cpus, reports = timed_process([driver, "startup", store], reps)
    result["startup"] = stats(walls)
    result["startup_cpu"] = stats(cpus)
    for key in ("open_store_ms", "construct_ms", "form_load_ms", "show_ms", "in_process_ms", "in_process_cpu_ms"):
        result["startup_" + key.removesuffix("_ms")] = stats([r[key] for r in reports])
    result["memory"] = max(r["maxrss_kib"] for r in reports) / 1024
    for kind in ("peer", "model", "widget"):
        walls, cpus, reports = timed_process([floor, kind, store], reps)
        result[f"floor_qt_{kind}"] = stats(walls)
        result[f"floor_qt_{kind}_cpu"] = stats(cpus)
        result[f"floor_qt_{kind}_memory"] = max(r["maxrss_kib"] for r in reports) / 1024

    if have_sqlite:
        # The floor of the first version's import: the sqlite3 tool's own import of the same lines,
        # each a single text, into a new file.
        walls = []
        with tempfile.TemporaryDirectory() as scratch:
            for rep in range(max(1, reps // 2)):
                target = Path(scratch) / f"floor{rep}.db"
                start = time.perf_counter()
                subprocess.run(["sqlite3", str(target), ".mode tabs", f".import {text} Lines"], check=True,
                               capture_output=True)
                walls.append((time.perf_counter() - start) * 1000)
        result["floor_sqlite_text_import"] = stats(walls)

    ops = run_json([driver, "ops", store, text, str(reps)] + (["--no-agenda"] if size == "1M" else []))
    for name, samples in ops["samples"].items():
        result[name] = stats(samples)
    result["ops_info"] = ops["info"]
    result["ops_memory"] = ops["info"]["maxrss_kib"] / 1024
    # The search in a window of its own: as the button runs it, a key at a time in the dialog, the
    # first one of a run, and what it keeps in memory.
    search = run_json([driver, "search", store, str(reps)])
    for name, samples in search["samples"].items():
        result[name] = stats(samples)
    result["search_info"] = search["info"]

    # The command line as a script runs it: a whole process per question, on a copy of the store
    # with the lookup tables the window makes at its first opening (and once without them).
    cli = build / "rubrello-cli"
    tabled = store.parent / "tabled" / store.name
    tabled.parent.mkdir(exist_ok=True)
    shutil.copyfile(store, tabled)
    result["lookup_build"] = run_json([driver, "lookup", tabled])["build_ms"]
    result["store_mb"], result["tabled_store_mb"] = store.stat().st_size / 1e6, tabled.stat().st_size / 1e6
    who = ["who", "+39 340 3932131"]
    result["cli_who"] = stats(timed_command([cli, "--store", tabled] + who, reps))
    result["cli_who_untabled"] = stats(timed_command([cli, "--store", store] + who, reps))
    result["cli_search"] = stats(timed_command([cli, "--store", tabled, "search", TYPICAL_SEARCH[0]], reps))
    result["cli_search_untabled"] = stats(timed_command([cli, "--store", store, "search", TYPICAL_SEARCH[0]], reps))
    result["cli_search_many"] = stats(
        timed_command([cli, "--store", tabled, "search", SEARCHES["many_s0_nocase"][0]], reps))
    # The duplicates of the whole agenda, with the numbers' keys the lookup table keeps, and without.
    result["cli_duplicates"] = stats(timed_command([cli, "--store", tabled, "duplicates"], max(1, reps // 2)))
    if size != "1M":
        result["cli_duplicates_untabled"] = stats(timed_command([cli, "--store", store, "duplicates"], 1))
    # Address labels of the whole agenda to a PDF file, beside the CSV export of the same contacts by
    # the same program: every contact read in the agenda's order and a file written, in the same run.
    with tempfile.TemporaryDirectory() as printed:
        labels_reps = max(1, reps // 2)
        result["cli_labels"] = stats(
            timed_command([cli, "--store", tabled, "labels", Path(printed) / "etichette.pdf"], labels_reps))
        result["floor_cli_csv_export"] = stats(
            timed_command([cli, "--store", tabled, "export", "--csv", Path(printed) / "agenda.csv"], labels_reps))
    tabled.unlink()

    # vCard and CSV out of the agenda and into an empty one, in one process.
    with tempfile.TemporaryDirectory() as kept:
        exchange = [run_json([driver, "exchange", store, kept]) for _ in range(max(1, reps // 2))]
        for key in ("vcard_export", "csv_export", "vcard_import", "csv_import"):
            result[key] = stats([r[key + "_ms"] for r in exchange])
        result["exchange_memory"] = max(r["maxrss_kib"] for r in exchange) / 1024
        if have_sqlite:
            # The floor of an import: the sqlite3 tool's own import of the same CSV into a new file.
            walls = []
            for rep in range(max(1, reps // 2)):
                target = Path(kept) / f"floor{rep}.db"
                start = time.perf_counter()
                subprocess.run(["sqlite3", str(target), ".import --csv " + str(Path(kept) / "agenda.csv")
                                + " Agenda"], check=True, capture_output=True)
                walls.append((time.perf_counter() - start) * 1000)
            result["floor_sqlite_csv_import"] = stats(walls)

    # The safety net: the day's backup beside the sqlite3 tool's own .backup of the same store.
    safety = run_json([driver, "safety", store, str(reps)])
    for name, samples in safety["samples"].items():
        result[name] = stats(samples)
    if have_sqlite:
        walls = []
        with tempfile.TemporaryDirectory() as scratch:
            for rep in range(reps):
                target = Path(scratch) / f"floor{rep}.db"
                start = time.perf_counter()
                subprocess.run(["sqlite3", str(store), f".backup {target}"], check=True, capture_output=True)
                walls.append((time.perf_counter() - start) * 1000)
                target.unlink()
        result["floor_sqlite_backup"] = stats(walls)

    if have_sqlite:
        queries = {"floor_sqlite_ordered": "SELECT ID, LastName, FirstName FROM PhoneList ORDER BY LastName, FirstName;",
                   "floor_sqlite_scan_numbers": "SELECT ID FROM PhoneList WHERE " + " OR ".join(
                       f"{field} LIKE '%3932131%'" for field in NUMBER_FIELDS) + ";",
                   # What the duplicates compare: every contact's names, address and numbers, read
                   # and grouped by the names as they stand.
                   "floor_sqlite_key_fields": "SELECT count(*) FROM (SELECT lower(LastName), lower(FirstName), "
                   "count(*) FROM (SELECT LastName, FirstName, Internet, " + ", ".join(NUMBER_FIELDS)
                   + " FROM PhoneList) GROUP BY 1, 2 HAVING count(*) > 1);"}
        for name, (text_, scope, ignore_case) in SEARCHES.items():
            queries["floor_sqlite_scan_" + name] = scan_sql(text_, scope, ignore_case)
        queries["floor_sqlite_scan_typical"] = scan_sql(*TYPICAL_SEARCH)
        for key, sql in queries.items():
            walls, cpus = sqlite_times(store, sql, reps)
            result[key], result[key + "_cpu"] = stats(walls), stats(cpus)
    result["load_after"] = load()
    return result


def rows_for(size, r):
    """(figure, key, floor name, floor key, target) for the table."""
    t = TARGETS.get(size, {})
    rows = [("start-up, process start to window shown", "startup", "peer floor (SQLite, sort, model)",
             "floor_qt_peer", t.get("startup")),
            ("  … same, against the ordered SQL read in a model", "startup", "Qt floor (model)", "floor_qt_model",
             None),
            ("  … same, against the QTreeWidget floor", "startup", "Qt floor (QTreeWidget)", "floor_qt_widget", None)]
    for key in ("open_store", "construct", "form_load", "show"):
        rows.append((f"  start-up: {key.replace('_', ' ')} (in process)", "startup_" + key, None, None, None))
    for name in SEARCHES:
        rows.append((f"keystroke {name} (search + tree, every key)", "keystroke_" + name, "sqlite3 scan",
                     "floor_sqlite_scan_" + name, t.get("keystroke")))
        rows.append((f"  search {name} from the button (search + tree + card)", "search_" + name, "sqlite3 scan",
                     "floor_sqlite_scan_" + name, None))
        rows.append((f"  walk only {name}", "walk_" + name, "sqlite3 scan", "floor_sqlite_scan_" + name, None))
    rows += [
        ("keystroke \"esposito mar\" typed a letter at a time", "keystroke_typed_name", "sqlite3 scan",
         "floor_sqlite_scan_typical", t.get("keystroke")),
        ("first search, typed at once in the start-up dialog (to the tree)", "search_first", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", t.get("search_first")),
        ("  … to the first hit's card after Enter", "search_first_to_card", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", None),
        ("  … the same with the snapshot kept from an earlier run", "search_first_kept", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", t.get("search_first")),
        ("first search, typed in 1 s in the start-up dialog (to the tree)", "search_first_typed_1s", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", t.get("search_first")),
        ("first search after a write (from the button)", "search_after_write", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", None),
        ("save flow, edited record", "save_edit", None, None, t.get("save_edit")),
        ("save flow, new record", "save_new", None, None, t.get("save_new")),
        ("delete flow", "delete", None, None, t.get("delete")),
        ("undo of a delete, the window's flow (Ctrl+Z)", "undo_delete", None, None, t.get("undo_delete")),
        ("  … the undo alone, without the window", "undo_delete_core", None, None, t.get("undo_delete_core")),
        ("backup of the agenda (copy and check)", "backup", "sqlite3 .backup", "floor_sqlite_backup",
         t.get("backup")),
        ("FillOutline", "fill_outline", "sqlite3 ordered read", "floor_sqlite_ordered", t.get("fill_outline")),
        ("1,000 × Data1.MoveNext", "navigate_1000", None, None, None),
        ("import of the text file", "import", "sqlite3 .import of its lines", "floor_sqlite_text_import",
         t.get("import")),
        ("agenda printout to PDF", "print_agenda", None, None, t.get("print_agenda")),
        ("card printout to PDF", "print_card", None, None, None),
        ("rubrello-cli who, whole process", "cli_who", "sqlite3 scan of the numbers", "floor_sqlite_scan_numbers",
         t.get("cli")),
        ("  … same, before the lookup tables are made", "cli_who_untabled", "sqlite3 scan of the numbers",
         "floor_sqlite_scan_numbers", None),
        (f"rubrello-cli search \"{TYPICAL_SEARCH[0]}\", whole process", "cli_search", "sqlite3 scan",
         "floor_sqlite_scan_typical", t.get("cli")),
        ("  … same, before the lookup tables are made", "cli_search_untabled", "sqlite3 scan",
         "floor_sqlite_scan_typical", None),
        ("rubrello-cli search \"ar\" (most contacts), whole process", "cli_search_many", "sqlite3 scan",
         "floor_sqlite_scan_many_s0_nocase", None),
        ("rubrello-cli duplicates, whole process", "cli_duplicates", "sqlite3 read of the key fields, grouped by name",
         "floor_sqlite_key_fields", t.get("duplicates")),
        ("  … same, before the lookup tables are made", "cli_duplicates_untabled", "sqlite3 read of the key fields",
         "floor_sqlite_key_fields", None),
        ("rubrello-cli labels of the whole agenda to PDF, whole process", "cli_labels",
         "rubrello-cli export --csv of the same contacts", "floor_cli_csv_export", t.get("cli_labels")),
        ("vCard 3.0 export of the agenda", "vcard_export", "sqlite3 ordered read", "floor_sqlite_ordered",
         t.get("vcard_export")),
        ("CSV export of the agenda", "csv_export", "sqlite3 ordered read", "floor_sqlite_ordered", None),
        ("vCard import into an empty agenda", "vcard_import", "sqlite3 .import of the CSV",
         "floor_sqlite_csv_import", t.get("vcard_import")),
        ("CSV import into an empty agenda", "csv_import", "sqlite3 .import of the CSV", "floor_sqlite_csv_import",
         t.get("csv_import")),
    ]
    return [row for row in rows if row[1] in r]


def fmt_ms(ms):
    return f"{ms:,.1f}" if ms < 100 else f"{ms:,.0f}"


def verdict(value, floor, target, ratio_rule):
    if target is None:
        return ""
    text = "yes" if value <= target else "**no**"
    if ratio_rule and floor and value > 2 * floor:
        text += ", ratio **no**"
    elif ratio_rule and floor:
        text += ", ratio yes"
    return text


def table(results, sizes):
    out = []
    for size in sizes:
        r = results[size]
        out.append(f"\n### {size} contacts (load before {r['load_before']}, after {r['load_after']})\n")
        out.append("| figure | wall ms | spread (min–max, n) | cpu ms | floor | floor wall / cpu ms | ratio wall / cpu "
                   "| target | holds (wall) | holds (cpu) |")
        out.append("|---|---:|---|---:|---|---:|---:|---:|---|---|")
        for name, key, floor_name, floor_key, target in rows_for(size, r):
            s, cpu = r[key], r.get(key + "_cpu")
            floor, floor_cpu = r.get(floor_key) if floor_key else None, r.get(floor_key + "_cpu") if floor_key else None
            ratio_rule = key == "startup" or key.startswith("search_")
            ratio = ""
            if floor and floor["median"] > 0:
                ratio = f"{s['median'] / floor['median']:.1f}×"
                if cpu and floor_cpu and floor_cpu["median"] > 0:
                    ratio += f" / {cpu['median'] / floor_cpu['median']:.1f}×"
            floor_text = ""
            if floor:
                floor_text = fmt_ms(floor["median"]) + (f" / {fmt_ms(floor_cpu['median'])}" if floor_cpu else "")
            out.append(
                f"| {name} | {fmt_ms(s['median'])} | {fmt_ms(s['min'])}–{fmt_ms(s['max'])}, {s['n']} | "
                f"{fmt_ms(cpu['median']) if cpu else ''} | {floor_name or ''} | {floor_text} | {ratio} | "
                f"{target if target is not None else ''} | "
                f"{verdict(s['median'], floor and floor['median'], target, ratio_rule)} | "
                f"{verdict(cpu['median'], floor_cpu and floor_cpu['median'], target, ratio_rule) if cpu else ''} |")
        mem_target = TARGETS.get(size, {}).get("memory")
        mem_holds = "" if mem_target is None else ("yes" if r["memory"] <= mem_target else "**no**")
        out.append(f"| peak memory, store open and tree full (MiB) | {r['memory']:.0f} | | | peer floor | "
                   f"{r['floor_qt_peer_memory']:.0f} | {r['memory'] / r['floor_qt_peer_memory']:.1f}× | "
                   f"{mem_target or ''} | {mem_holds} | |")
        if "search_info" in r:
            info = r["search_info"]
            out.append(f"| memory the search's snapshot holds, forgiving rule / every rule (MiB) | "
                       f"{info['snapshot_forgiving_kib'] / 1024:.0f} / {info['snapshot_every_rule_kib'] / 1024:.0f} "
                       f"| | | | | | {TARGETS.get(size, {}).get('search_memory', '')} | | |")
            out.append(f"|   … the process's resident memory grew by (MiB) | "
                       f"{info['search_forgiving_kib'] / 1024:.0f} / {info['search_every_rule_kib'] / 1024:.0f} "
                       f"| | | | | | | | |")
        ops_target = TARGETS.get(size, {}).get("ops_memory")
        ops_holds = "" if ops_target is None else ("yes" if r["ops_memory"] <= ops_target else "**no**")
        out.append(f"| peak memory of the whole run of flows (MiB) | {r['ops_memory']:.0f} | | | "
                   f"peer floor | {r['floor_qt_peer_memory']:.0f} | {r['ops_memory'] / r['floor_qt_peer_memory']:.1f}× "
                   f"| {ops_target or ''} | {ops_holds} | |")
        if "exchange_memory" in r:
            out.append(f"| peak memory of the vCard and CSV exports and imports (MiB) | {r['exchange_memory']:.0f} "
                       f"| | | | | | | | |")
        if "lookup_build" in r:
            out.append(f"| lookup tables made at the first opening (ms) | {r['lookup_build']:,.0f} | | | | | | | | |")
            out.append(f"| store size without / with the lookup tables (MB) | {r['store_mb']:.0f} / "
                       f"{r['tabled_store_mb']:.0f} | | | | | | | | |")
        info = r["ops_info"]
        out.append(f"\nTree lines {info['tree_lines']}; search tree lines "
                   f"{json.dumps(r.get('search_info', {}).get('search_tree_lines'))}; "
                   f"imported {info.get('imported')}; agenda PDF {info.get('agenda_pdf_bytes', 0) / 1e6:.1f} MB.")
    return "\n".join(out)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--sizes", default="1k,10k,100k,1M")
    p.add_argument("--build-dir", required=True, type=Path)
    p.add_argument("--data-dir", default=HERE / "data", type=Path)
    p.add_argument("--reps", type=int, default=0, help="repetitions at every size (default by size)")
    p.add_argument("--json", default=HERE / "results.json", type=Path)
    a = p.parse_args()
    sizes = [s for s in a.sizes.split(",") if s]
    for s in sizes:
        if s not in SIZES:
            sys.exit(f"unknown size {s}: choose from {', '.join(SIZES)}")
    have_sqlite = subprocess.run(["which", "sqlite3"], capture_output=True).returncode == 0
    if not have_sqlite:
        print("sqlite3 is not installed: the sqlite3 floors are left out", file=sys.stderr)
    results = {"machine": {"nproc": os.cpu_count(), "uname": os.uname().release}}
    for size in sizes:
        store, text = generate(a.data_dir, size)
        print(f"measuring {size} ...", file=sys.stderr)
        results[size] = measure(size, store.resolve(), text.resolve(), a.build_dir.resolve(),
                                a.reps or DEFAULT_REPS[size], have_sqlite)
        a.json.write_text(json.dumps(results, indent=1, ensure_ascii=False))
    print(table(results, sizes))


if __name__ == "__main__":
    main()
