-- The database of the sports complex, version 1.
-- Dates and date-times are text "yyyy-MM-dd HH:mm:ss"; a time of day stands on the date 1899-12-30.
-- Booleans are 0/1. Texts compare without regard to letter case (collation RUNOCASE).

CREATE TABLE tUserApl (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT COLLATE RUNOCASE,
    passw TEXT COLLATE RUNOCASE,
    koment TEXT COLLATE RUNOCASE,
    uroven INTEGER DEFAULT 0
);
CREATE INDEX ixUserAplName ON tUserApl (name);

CREATE TABLE tWorkUser (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_user INTEGER
);

CREATE TABLE tListActionUsers (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    dt_action TEXT,
    id_user INTEGER,
    kod_action INTEGER,
    ActionStr TEXT COLLATE RUNOCASE
);
CREATE INDEX ixListActionUsersDate ON tListActionUsers (dt_action);

CREATE TABLE tParApl (
    ParKod INTEGER PRIMARY KEY,
    snachDT TEXT,
    snachInt REAL,
    snachStr TEXT COLLATE RUNOCASE
);

CREATE TABLE tClient (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Family TEXT COLLATE RUNOCASE,
    Name TEXT COLLATE RUNOCASE,
    Otchestvo TEXT COLLATE RUNOCASE,
    Sex INTEGER DEFAULT 0,
    Birthday TEXT,
    Photo TEXT COLLATE RUNOCASE,
    Adres TEXT COLLATE RUNOCASE,
    Profession TEXT COLLATE RUNOCASE,
    Info TEXT COLLATE RUNOCASE,
    NoRGS INTEGER DEFAULT 0
);
CREATE INDEX ixClientFamily ON tClient (Family, Name);

CREATE TABLE tProf (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    NameProf TEXT COLLATE RUNOCASE
);
CREATE INDEX ixProfName ON tProf (NameProf);

CREATE TABLE tOrg (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT COLLATE RUNOCASE,
    info TEXT COLLATE RUNOCASE
);
CREATE INDEX ixOrgName ON tOrg (Name);

CREATE TABLE tCard (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    DateRec TEXT,
    Num INTEGER,
    TypeCard INTEGER,
    DateOpen TEXT,
    DateClose TEXT,
    ID_Client INTEGER,
    ID_Org INTEGER DEFAULT 0,
    VidSporta TEXT COLLATE RUNOCASE,
    SumCard REAL,
    StrahVosn REAL,
    StrahSumm REAL,
    StrTXTCard TEXT COLLATE RUNOCASE,
    ID_TypeCen INTEGER DEFAULT 0
);
CREATE INDEX ixCardTypeNum ON tCard (TypeCard, Num);
CREATE INDEX ixCardDateClose ON tCard (DateClose, ID_Client);
CREATE INDEX ixCardDateRec ON tCard (DateRec);
CREATE INDEX ixCardClient ON tCard (ID_Client);
CREATE INDEX ixCardOrg ON tCard (ID_Org);
CREATE INDEX ixCardTypeCen ON tCard (ID_TypeCen);

CREATE TABLE tWorkGurnal (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    DateWork TEXT,
    ID_Zal INTEGER,
    ID_Card INTEGER,
    Cena REAL,
    ID_USER INTEGER
);
CREATE INDEX ixWorkGurnalZalDate ON tWorkGurnal (ID_Zal, DateWork);
CREATE INDEX ixWorkGurnalCard ON tWorkGurnal (ID_Card);

CREATE TABLE tWorkClubCard (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ID_Card INTEGER,
    ID_Zal INTEGER,
    Cena REAL
);
CREATE INDEX ixWorkClubCardCard ON tWorkClubCard (ID_Card);

CREATE TABLE tWizardTMP (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    DateWork TEXT,
    ID_Zal INTEGER,
    ID_Card INTEGER,
    Cena REAL,
    ID_USER INTEGER
);
CREATE INDEX ixWizardTMPUser ON tWizardTMP (ID_USER, DateWork);

CREATE TABLE tZal (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    NameZal TEXT COLLATE RUNOCASE,
    CountMest INTEGER DEFAULT 0,
    RezervMest INTEGER DEFAULT 0,
    info TEXT COLLATE RUNOCASE,
    StrTXTCard TEXT COLLATE RUNOCASE
);

CREATE TABLE tSeans (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ID_Zal INTEGER,
    TimeBeg TEXT,
    CountTime INTEGER
);
CREATE INDEX ixSeansZal ON tSeans (ID_Zal, TimeBeg);

CREATE TABLE tVidSport (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    NameVidSp TEXT COLLATE RUNOCASE,
    info TEXT COLLATE RUNOCASE
);

CREATE TABLE tTypeCen (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT COLLATE RUNOCASE,
    info TEXT COLLATE RUNOCASE,
    KolvoSeans INTEGER DEFAULT 0,
    StrahSumma REAL DEFAULT 0,
    Zal_ID INTEGER DEFAULT 0,
    VidSportaID INTEGER DEFAULT 0
);
CREATE INDEX ixTypeCenZal ON tTypeCen (Zal_ID);
CREATE INDEX ixTypeCenVidSport ON tTypeCen (VidSportaID);

CREATE TABLE tPeriodCena (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ID_Zal INTEGER,
    TimeBegin TEXT,
    TimeEnd TEXT
);
CREATE INDEX ixPeriodCenaZal ON tPeriodCena (ID_Zal, TimeBegin);

CREATE TABLE tCenaSeans (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ID_Period INTEGER DEFAULT 0,
    ID_TypeCen INTEGER,
    DateSet TEXT,
    Cena REAL,
    StrahVosn REAL
);
CREATE INDEX ixCenaSeansBand ON tCenaSeans (ID_Period, ID_TypeCen, DateSet);
CREATE INDEX ixCenaSeansTypeCen ON tCenaSeans (ID_TypeCen);

CREATE TABLE tSchedulEmpl (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ZalID INTEGER,
    VidSportID INTEGER,
    DayNed INTEGER,
    SeansTime TEXT
);
CREATE INDEX ixSchedulEmplVidSport ON tSchedulEmpl (VidSportID, DayNed, SeansTime);

CREATE TABLE tRezOrg (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Num INTEGER,
    ID_Org INTEGER,
    Summa REAL
);
CREATE INDEX ixRezOrgOrg ON tRezOrg (ID_Org, Num);

INSERT INTO tUserApl (ID, name, passw, koment, uroven) VALUES (1, 'Admin', '', 'system admin', 0);
-- Every parameter code the program reads, so that a new installation starts at the current version.
INSERT INTO tParApl (ParKod, snachInt) VALUES (51, 0), (52, 1), (53, 0);
INSERT INTO tParApl (ParKod, snachStr) VALUES (101, ''), (102, ''), (103, ''), (104, ''), (105, ''), (106, '');
