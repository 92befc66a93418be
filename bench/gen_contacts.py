#!/usr/bin/python3
"""Writes a seeded, repeatable set of Italian contacts for the benchmarks: a Rubrello.MDB store
and/or a first-version text file (fixed columns, Windows-1252, CRLF)."""

import argparse
import codecs
import functools
import os
import random
import sqlite3
import sys
import unicodedata

FIELDS = [
    "LastName", "FirstName", "Cellulare", "Azienda", "Internet", "www", "Note",
    "WorkAddress", "WorkCity", "WorkProv", "WorkPostalCode", "WorkPhone", "WorkFax",
    "HomeAddress", "HomeCity", "HomeProv", "HomePostalCode", "HomePhone", "HomeFax",
]
# The program's own schema, word for word.
SCHEMA = "CREATE TABLE PhoneList (ID INTEGER PRIMARY KEY AUTOINCREMENT, {})".format(
    ", ".join(field + " TEXT" for field in FIELDS)
)
INSERT = f"INSERT INTO PhoneList ({', '.join(FIELDS)}) VALUES ({', '.join('?' * len(FIELDS))})"

# Longest inputs of the program's boxes.
NAME, CELL, COMPANY, MAIL, WWW, ADDRESS, CITY, PHONE, NOTE = 20, 15, 40, 40, 50, 60, 25, 15, 2000

SURNAMES = """Rossi Russo Ferrari Esposito Bianchi Romano Colombo Ricci Marino Greco Bruno Gallo Conti
Costa Giordano Mancini Rizzo Lombardi Moretti Barbieri Fontana Santoro Mariani Rinaldi Caruso Ferrara
Galli Martini Leone Longo Gentile Martinelli Vitale Lombardo Serra Coppola Cattaneo Testa Pellegrino
Palumbo Sanna Farina Rizzi Monti Morelli Amato Silvestri Mazza Marchetti Parisi Villa Conte
Ferri Fabbri Bellini Basile Riva Donati Piras Vitali Battaglia Sartori Neri Costantini Milani Pagano
Ruggiero Sala Orlando Bernardi Gatti Fiore Grasso Benedetti Monaco Zanetti Cirillo Bianco Marini
Valentini Pace Messina Mele Carbone Guerra Cristiani Santini Fumagalli Montanari Bassi Caputo Barone
Rota Ferraro Pastore Tedesco Giuliani Marras Zanella Bertolini Negri Brambilla Pozzi Lucchesi Zanotti
Cocco Bonetti Grimaldi Mattioli Ferretti Guidi Morandi Bevilacqua Agostini Ceccarelli Fadda Zappalà
Lucà Mazzà Cutrì Scalì Sciarrà Condò Gulì Nicolò Cefalù Bellò Castelnuovo-Tedeschi Santangelo
Michelangeli Quaranta Quattrocchi Ugolini Ulivi Iacono Yacoub Zambelli Jannuzzi Kofler Hofer Pichler
Valsecchi Oberto Uberti Izzo Giusti Zito Tosi Vinci Dini Nardi Pucci Bruni Landi Rossetti"""
SURNAMES = [s.replace("-", " ") for s in SURNAMES.split()] + [
    "D'Angelo", "D'Amico", "D'Alessandro", "D'Antonio", "D'Agostino", "Dell'Acqua", "Dall'Ara",
    "D'Urso", "Dell'Orto", "Sant'Elia", "D'Onofrio", "Dell'Utri", "De Luca", "De Santis", "Lo Russo",
    "La Rosa", "Di Stefano", "Della Valle", "Lo Bianco", "De Rosa", "Di Marco", "de Gasperi",
    "di Lorenzo", "Della Gherardesca",
]
FIRST_NAMES = """Marco Giuseppe Giovanni Antonio Mario Luigi Francesco Nicolò Niccolò Andrea Luca
Alessandro Matteo Lorenzo Davide Simone Federico Stefano Paolo Roberto Giorgio Sergio Fabrizio Massimo
Carlo Enrico Salvatore Vincenzo Pasquale Gennaro Raffaele Domenico Angelo Pietro Michele Emanuele
Gabriele Daniele Riccardo Tommaso Filippo Jacopo Elia Ilario Umberto Ottavio Ugo Zeno Noè Mosè Giosuè
Maria Anna Giulia Francesca Chiara Sara Laura Valentina Alessandra Elena Silvia Federica Martina
Giorgia Paola Roberta Cristina Monica Barbara Simona Antonella Rosa Carmela Concetta Assunta Lucia
Teresa Rita Angela Giuseppina Immacolata Noemi Beatrice Aurora Ilaria Irene Ombretta Ester Salomè
Desirè Raffaella Yvonne Katia Wanda Xenia Quirino Valeria Ornella"""
FIRST_NAMES = FIRST_NAMES.split() + [
    "Giovanni Battista", "Gian Luca", "Pier Paolo", "Maria Grazia", "Anna Maria", "Maria Grazia Rosaria",
]
# Foreign contacts, some with letters Windows-1252 cannot hold.
FOREIGN = [
    ("Müller", "Hans"), ("Schröder", "Jürgen"), ("Dvořák", "Jiří"), ("Wójcik", "Tomasz"),
    ("Nowak", "Małgorzata"), ("Yılmaz", "Ayşe"), ("García", "José"), ("Dubois", "François"),
    ("Smith", "John"), ("Nguyen", "Thị Lan"), ("Kovačević", "Dragan"), ("Andersen", "Søren"),
]
# Surnames as older data may hold them: saving through the program would have refused them.
APOSTROPHE_SURNAMES = [s for s in SURNAMES if "'" in s]
OLDER_SURNAMES = ["Èrcole", "Òrlando", "Ìmperato", "Ùrsino", "Élia", "3Rossi", "1Bianchi", "2Verdi"]

# City, province, lowest and highest CAP, telephone prefix.
CITIES = [
    ("Milano", "MI", 20121, 20162, "02"), ("Roma", "RM", 118, 199, "06"),
    ("Napoli", "NA", 80121, 80147, "081"), ("Torino", "TO", 10121, 10156, "011"),
    ("Palermo", "PA", 90121, 90151, "091"), ("Genova", "GE", 16121, 16167, "010"),
    ("Bologna", "BO", 40121, 40141, "051"), ("Firenze", "FI", 50121, 50145, "055"),
    ("Bari", "BA", 70121, 70132, "080"), ("Catania", "CT", 95121, 95131, "095"),
    ("Venezia", "VE", 30121, 30176, "041"), ("Verona", "VR", 37121, 37142, "045"),
    ("Messina", "ME", 98121, 98168, "090"), ("Padova", "PD", 35121, 35143, "049"),
    ("Trieste", "TS", 34121, 34151, "040"), ("Brescia", "BS", 25121, 25136, "030"),
    ("Reggio di Calabria", "RC", 89121, 89135, "0965"), ("Reggio nell'Emilia", "RE", 42121, 42124, "0522"),
    ("Modena", "MO", 41121, 41126, "059"), ("Parma", "PR", 43121, 43126, "0521"),
    ("Forlì", "FC", 47121, 47122, "0543"), ("Cantù", "CO", 22063, 22063, "031"),
    ("Nardò", "LE", 73048, 73048, "0833"), ("Sant'Agata di Militello", "ME", 98076, 98076, "0941"),
    ("San Giovanni in Persiceto", "BO", 40017, 40017, "051"), ("Bolzano", "BZ", 39100, 39100, "0471"),
    ("Aosta", "AO", 11100, 11100, "0165"), ("Cagliari", "CA", 9121, 9134, "070"),
    ("Sassari", "SS", 7100, 7100, "079"), ("Pescara", "PE", 65121, 65129, "085"),
    ("L'Aquila", "AQ", 67100, 67100, "0862"), ("Perugia", "PG", 6121, 6135, "075"),
    ("Ancona", "AN", 60121, 60131, "071"), ("Potenza", "PZ", 85100, 85100, "0971"),
    ("Trento", "TN", 38121, 38123, "0461"), ("Udine", "UD", 33100, 33100, "0432"),
    ("Lecce", "LE", 73100, 73100, "0832"), ("Salerno", "SA", 84121, 84135, "089"),
    ("Bergamo", "BG", 24121, 24129, "035"), ("Monza", "MB", 20900, 20900, "039"),
    ("Como", "CO", 22100, 22100, "031"), ("Varese", "VA", 21100, 21100, "0332"),
    ("Cosenza", "CS", 87100, 87100, "0984"), ("Siracusa", "SR", 96100, 96100, "0931"),
    ("Rimini", "RN", 47921, 47924, "0541"), ("Ravenna", "RA", 48121, 48125, "0544"),
    ("Ferrara", "FE", 44121, 44124, "0532"), ("Livorno", "LI", 57121, 57128, "0586"),
    ("Pisa", "PI", 56121, 56128, "050"), ("Lucca", "LU", 55100, 55100, "0583"),
    ("Siena", "SI", 53100, 53100, "0577"), ("Latina", "LT", 4100, 4100, "0773"),
    ("Caserta", "CE", 81100, 81100, "0823"), ("Foggia", "FG", 71121, 71122, "0881"),
    ("Taranto", "TA", 74121, 74123, "099"), ("Catanzaro", "CZ", 88100, 88100, "0961"),
    ("Trapani", "TP", 91100, 91100, "0923"), ("Nuoro", "NU", 8100, 8100, "0784"),
    ("Treviso", "TV", 31100, 31100, "0422"), ("Vicenza", "VI", 36100, 36100, "0444"),
    ("La Spezia", "SP", 19121, 19137, "0187"), ("Savona", "SV", 17100, 17100, "019"),
    ("Cuneo", "CN", 12100, 12100, "0171"), ("Novara", "NO", 28100, 28100, "0321"),
    ("Cremona", "CR", 26100, 26100, "0372"), ("Mantova", "MN", 46100, 46100, "0376"),
    ("Città di Castello", "PG", 6012, 6012, "075"), ("Cefalù", "PA", 90015, 90015, "0921"),
    ("Canicattì", "AG", 92024, 92024, "0922"), ("Ortisei", "BZ", 39046, 39046, "0471"),
]
STREET_KINDS = ["Via"] * 8 + ["Viale", "Corso", "Piazza", "Largo", "Vicolo", "Piazzale", "Strada Statale"]
STREET_NAMES = [
    "Roma", "Garibaldi", "Giuseppe Mazzini", "Vittorio Emanuele II", "Cavour", "XX Settembre",
    "IV Novembre", "della Repubblica", "dei Mille", "Dante Alighieri", "San Francesco d'Assisi",
    "Sant'Antonio", "della Libertà", "Nazionale", "Matteotti", "Gramsci", "Aldo Moro", "Marconi",
    "Manzoni", "Verdi", "Leopardi", "Trieste", "Trento", "dell'Indipendenza", "Cristoforo Colombo",
    "Martiri della Libertà", "Torquato Tasso", "Nino Bixio", "Galileo Galilei", "Emilia Ponente",
    "Tiburtina", "Nicolò Tommaseo", "Papa Giovanni XXIII", "Sant'Agostino", "delle Rose",
]
HOUSE_SUFFIXES = ["", "", "", "", "/A", "/B", " bis"]
SECOND_LINES = [
    "Scala B, int. 7", "c/o Studio {s}", "Palazzo Uffici, 3° piano", "Casella Postale {n}",
    "Frazione San Martino", "Località Case Nuove", "Edificio C", "Zona Industriale", "presso {s}",
]
COMPANY_KINDS = [
    "Studio Legale", "Studio Tecnico", "Ferramenta", "Farmacia", "Panificio", "Autofficina",
    "Trattoria da", "Pizzeria da", "Tipografia", "Agenzia Immobiliare", "Assicurazioni", "Idraulica",
    "Elettrauto", "Caseificio", "Cantina", "Gelateria", "Studio Dentistico Dott.",
]
LEGAL_FORMS = ["S.r.l.", "S.p.A.", "& C. S.n.c.", "S.a.s.", "Soc. Coop. a r.l."]
INSTITUTIONS = [
    "Comune di {c}", "Banca Popolare di {c}", "ASL {c}", "Università degli Studi di {c}",
    "Ospedale Civile di {c}", "Camera di Commercio di {c}", "Poste Italiane S.p.A.",
    "Ferrovie dello Stato", "Enel S.p.A.", "Telecom Italia S.p.A.", "Pirelli & C. S.p.A.",
]
MAIL_DOMAINS = ["libero.it", "tin.it", "virgilio.it", "alice.it", "gmail.com", "hotmail.it", "yahoo.it",
                "fastwebnet.it", "tiscali.it", "email.it", "iol.it", "katamail.com"]
HOME_PAGES = ["www.{}.it", "http://www.{}.it", "http://www.{}.com/", "http://digilander.libero.it/{}/",
              "http://space.tin.it/~{}"]
MOBILE_PREFIXES = ["335", "338", "339", "347", "348", "349", "328", "329", "333", "340", "320", "393"]
NOTE_PHRASES = [
    "Chiamare dopo le 18.", "Preferisce essere contattato per e-mail.", "Compleanno: 12 marzo.",
    "Ha la segreteria: lasciare un messaggio.", "Conosciuto alla fiera di Bologna nel 1998.",
    "Cliente dal 1995, paga sempre a 60 giorni.", "Fornitore di carta e toner per l'ufficio.",
    "Il martedì è chiuso per turno.", "Parla anche inglese e tedesco.", "Codice cliente {n}.",
    "Attenzione: il numero di casa è cambiato.", "Ricordarsi di mandare gli auguri a Natale.",
    "Disponibile solo la mattina, dalle 9 alle 13.", "Ha prestato il libro «Il nome della rosa».",
    "Preventivo di € 1.250,00 inviato il 3/11.", "Perché non risponde mai al cellulare?",
    "Referente per l'ufficio acquisti.", "Ufficio al 2° piano, citofono «Studio».",
    "Moglie: {f}; figli: {f} e {f}.", "Città natale: {c}.", "Sconto del 10% già concordato.",
    "Non chiamare il sabato né la domenica.", "Vecchio indirizzo: {a}.",
]


def foldToCp1252(error):
    """Codec error handler: a letter Windows-1252 lacks becomes its plain letter, anything else '?'."""
    plain = []
    for char in error.object[error.start : error.end]:
        base = unicodedata.normalize("NFKD", char)[0]
        base = {"ı": "i", "ł": "l", "Ł": "L", "đ": "d", "Đ": "D"}.get(base, base)
        plain.append(base if base.encode("cp1252", "ignore") else "?")
    return "".join(plain), error.end


codecs.register_error("fold_cp1252", foldToCp1252)


@functools.lru_cache(maxsize=None)
def asciiSlug(text, sep="."):
    text = unicodedata.normalize("NFKD", text.lower()).encode("ascii", "ignore").decode()
    return sep.join("".join(c for c in word if c.isalnum()) for word in text.split())


class ContactMaker:
    # random.choice and randrange cost several times random() itself, and a million contacts make
    # tens of millions of draws: everything is drawn through random() alone.
    def __init__(self, seed):
        self.random = random.Random(seed).random

    def chance(self, p):
        return self.random() < p

    def pick(self, items):
        return items[int(self.random() * len(items))]

    def between(self, low, high):
        return low + int(self.random() * (high - low + 1))

    def digits(self, count):
        return str(self.between(10 ** (count - 1), 10**count - 1))

    def names(self):
        """The contact's names as the person writes them, and as the store holds them."""
        if self.chance(0.02):
            last, first = self.pick(FOREIGN)
        else:
            last, first = self.pick(SURNAMES), self.pick(FIRST_NAMES)
        stored = (last.replace("'", ""), first)
        if self.chance(0.005):
            kind = self.between(0, 2)
            if kind == 0:
                stored = (self.pick(APOSTROPHE_SURNAMES), first)
            elif kind == 1:
                stored = (self.pick(OLDER_SURNAMES), first)
            else:
                stored = (stored[0], None)
            last, first = stored[0], stored[1] or ""
        return (last, first), stored

    def landline(self, prefix):
        number = self.digits(max(5, 10 - len(prefix) - self.between(0, 1)))
        style = self.random()
        if style < 0.5:
            return f"{prefix} {number}"
        if style < 0.75:
            return f"{prefix}/{number}"
        if style < 0.85:
            return f"{prefix}-{number}"
        return f"+39 {prefix} {number}"

    def mobile(self):
        prefix, number = self.pick(MOBILE_PREFIXES), self.digits(7)
        style = self.random()
        if style < 0.4:
            return f"{prefix} {number}"
        if style < 0.6:
            return f"{prefix}/{number}"
        if style < 0.8:
            return f"+39 {prefix} {number}"
        return prefix + number

    def street(self, surname):
        number = str(self.between(1, 249)) + self.pick(HOUSE_SUFFIXES)
        separator = self.pick([", ", " "])
        first = f"{self.pick(STREET_KINDS)} {self.pick(STREET_NAMES)}{separator}{number}"
        if self.chance(0.15):
            second = self.pick(SECOND_LINES).format(s=surname, n=self.digits(3))
            if len(first) + 2 + len(second) <= ADDRESS:
                return first + "\r\n" + second
        return first[:ADDRESS]

    def addressBlock(self, city, surname, phoneChance, faxChance):
        name, prov, capLow, capHigh, prefix = city
        return [
            self.street(surname) if self.chance(0.9) else None,
            name,
            prov if self.chance(0.95) else None,
            f"{self.between(capLow, capHigh):05d}" if self.chance(0.9) else None,
            self.landline(prefix) if self.chance(phoneChance) else None,
            self.landline(prefix) if self.chance(faxChance) else None,
        ]

    def company(self, surname, city):
        style = self.random()
        if style < 0.4:
            name = f"{surname} {self.pick(LEGAL_FORMS)}"
        elif style < 0.8:
            name = f"{self.pick(COMPANY_KINDS)} {surname}"
        else:
            name = self.pick(INSTITUTIONS).format(c=city)
        return name[:COMPANY].rstrip()

    def mail(self, last, first, company):
        if company and self.chance(0.4):
            user = asciiSlug((first.split() or [last])[0])
            domain = asciiSlug(company, "")[:20] + ".it"
        else:
            user = ".".join(part for part in (asciiSlug(first), asciiSlug(last)) if part)
            domain = self.pick(MAIL_DOMAINS)
        if len(user) + 1 + len(domain) > MAIL:
            user = asciiSlug(first)[:1] + asciiSlug(last, "")
        return f"{user}@{domain}"[:MAIL]

    def homePage(self, last, company):
        slug = "-".join(asciiSlug(company or last, "-").split("-")[:2])[:21]
        return self.pick(HOME_PAGES).format(slug)[:WWW]

    def note(self, city):
        oldAddress = self.street("").split("\r\n")[0]
        lines, length = [], 0
        for _ in range(self.between(15, 60) if self.chance(0.1) else self.between(1, 5)):
            phrases = (self.pick(NOTE_PHRASES) for _ in range(self.between(1, 4)))
            line = " ".join(p.format(n=self.digits(5), f=self.pick(FIRST_NAMES), c=city[0], a=oldAddress)
                            for p in phrases)
            lines.append(line)
            length += len(line) + 2
            if length >= NOTE:
                break
        # A cut between CR and LF would leave a lone CR.
        return "\r\n".join(lines)[:NOTE].rstrip("\r")

    def contact(self):
        """One contact: the 19 stored values (ID aside) and its first-version text line."""
        (last, first), (lastStored, firstStored) = self.names()
        company = self.company(last, self.pick(CITIES)[0]) if self.chance(0.45) else None
        workCity = self.pick(CITIES)
        homeCity = workCity if self.chance(0.6) else self.pick(CITIES)
        hasWork = company is not None or self.chance(0.5)
        work = self.addressBlock(workCity, last, 0.9, 0.3) if hasWork else [None] * 6
        home = self.addressBlock(homeCity, last, 0.7, 0.05) if self.chance(0.75) else [None] * 6
        row = [
            lastStored,
            firstStored,
            self.mobile() if self.chance(0.6) else None,
            company,
            self.mail(last, first, company) if self.chance(0.5) else None,
            self.homePage(last, company) if self.chance(0.12) else None,
            self.note(homeCity) if self.chance(0.1) else None,
            *work,
            *home,
        ]
        namePart = " ".join(p for p in (last, first, (work[0] or "").split("\r\n")[0]) if p)
        line = f"{namePart[:53]:<53} {work[4] or ''}"
        return row, line


def openStore(path):
    for stale in (path, path + "-wal", path + "-shm"):
        if os.path.exists(stale):
            os.remove(stale)
    db = sqlite3.connect(path, isolation_level=None)
    db.execute("PRAGMA journal_mode=WAL")
    db.execute("PRAGMA synchronous=OFF")
    db.execute(SCHEMA)
    db.execute("BEGIN")
    return db


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--count", type=int, required=True, help="number of contacts")
    parser.add_argument("--seed", type=int, default=2000, help="same seed, same contacts (default 2000)")
    parser.add_argument("--store", help="SQLite store to write, e.g. bench/data/100k/Rubrello.MDB")
    parser.add_argument("--text", help="first-version text file to write, e.g. bench/data/100k/NUMBO.TXT")
    args = parser.parse_args()
    if not args.store and not args.text:
        parser.error("nothing to write: give --store and/or --text")
    if args.count < 0:
        parser.error("--count must not be negative")

    for path in (args.store, args.text):
        if path and os.path.dirname(path):
            os.makedirs(os.path.dirname(path), exist_ok=True)
    db = openStore(args.store) if args.store else None
    text = open(args.text, "w", encoding="cp1252", errors="fold_cp1252", newline="") if args.text else None

    maker = ContactMaker(args.seed)
    batch, lines = [], []
    for done in range(1, args.count + 1):
        row, line = maker.contact()
        batch.append(row)
        lines.append(line)
        if len(batch) == 10000 or done == args.count:
            if db:
                db.executemany(INSERT, batch)
            if text:
                text.write("\r\n".join(lines) + "\r\n")
            batch, lines = [], []

    if db:
        db.execute("COMMIT")
        db.close()
    if text:
        text.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
