-- The empty template database, built into the program and written out on first start.
-- Text columns compare byte for byte unless an index says otherwise. jegyzetek lacks jelzes on purpose:
-- the upgrade at start-up adds it, so one upgrade path serves old and new files alike.
-- SQLite index names are global to the file, hence <table>_<column>.

CREATE TABLE setup (
    nev VARCHAR(255),
    ertek VARCHAR(255),
    CONSTRAINT "C_PK$nev" PRIMARY KEY (nev)
);

CREATE TABLE jegyzetek (
    id INTEGER CONSTRAINT "C_PK$id" PRIMARY KEY AUTOINCREMENT,
    nev VARCHAR(255),
    jegyzet TEXT,
    letrehozva DATETIME,
    modositva DATETIME,
    fontossag INTEGER DEFAULT 0,
    utolso_megnyitas DATETIME,
    torolve INTEGER DEFAULT 0,
    mappa VARCHAR(70),
    lastid INTEGER DEFAULT 0
);
CREATE INDEX jegyzetek_nev ON jegyzetek (nev COLLATE NOCASE);
CREATE INDEX jegyzetek_letrehozva ON jegyzetek (letrehozva COLLATE NOCASE);
CREATE INDEX jegyzetek_modositva ON jegyzetek (modositva);
CREATE INDEX jegyzetek_fontossag ON jegyzetek (fontossag);
CREATE INDEX jegyzetek_utolso_megnyitas ON jegyzetek (utolso_megnyitas);
CREATE INDEX jegyzetek_torolve ON jegyzetek (torolve);
CREATE INDEX jegyzetek_mappa ON jegyzetek (mappa COLLATE NOCASE);

CREATE TABLE jegyzetek_backup (
    id INTEGER CONSTRAINT "C_PK$id" PRIMARY KEY AUTOINCREMENT,
    nev VARCHAR(255),
    jegyzet TEXT,
    letrehozva DATETIME,
    modositva DATETIME,
    fontossag INTEGER DEFAULT 0,
    utolso_megnyitas DATETIME,
    torolve INTEGER DEFAULT 0,
    mappa VARCHAR(70),
    lastid INTEGER DEFAULT 0
);
CREATE INDEX jegyzetek_backup_modositva ON jegyzetek_backup (modositva);
