-- The delivered test database: the ten questions and the single blank result row.
-- Built into kvz_1.mdb at build time by kvz_mkdb. Plain SQLite throughout, so the standard
-- sqlite3 tool can read, sort, filter and VACUUM the file.
-- Yes/no fields hold -1 (true) and 0 (false) and are never empty.

CREATE TABLE Zadanie (
    Numer INTEGER,
    Text_Zadan VARCHAR(255),
    Otvet_1 VARCHAR(64),
    Otvet_2 VARCHAR(64),
    Otvet_3 VARCHAR(64),
    Otvet_4 VARCHAR(64),
    Rezult_1 YESNO NOT NULL DEFAULT 0 CHECK (Rezult_1 IN (-1, 0)),
    Rezult_2 YESNO NOT NULL DEFAULT 0 CHECK (Rezult_2 IN (-1, 0)),
    Rezult_3 YESNO NOT NULL DEFAULT 0 CHECK (Rezult_3 IN (-1, 0)),
    Rezult_4 YESNO NOT NULL DEFAULT 0 CHECK (Rezult_4 IN (-1, 0))
);

-- AUTOINCREMENT: a new key is always larger than every key ever used, also after deletions.
-- The name carries no collation of the program's own: the report's connection sorts it in
-- Russian order through a temporary view of its own.
CREATE TABLE Rezultat (
    "Код" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Фамилия, Имя, Отчество" VARCHAR(255),
    "Вопрос 1" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 1" IN (-1, 0)),
    "Вопрос 2" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 2" IN (-1, 0)),
    "Вопрос 3" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 3" IN (-1, 0)),
    "Вопрос 4" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 4" IN (-1, 0)),
    "Вопрос 5" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 5" IN (-1, 0)),
    "Вопрос 6" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 6" IN (-1, 0)),
    "Вопрос 7" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 7" IN (-1, 0)),
    "Вопрос 8" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 8" IN (-1, 0)),
    "Вопрос 9" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 9" IN (-1, 0)),
    "Вопрос 10" YESNO NOT NULL DEFAULT 0 CHECK ("Вопрос 10" IN (-1, 0)),
    "Результат выполнения" DOUBLE
        CHECK (typeof("Результат выполнения") IN ('integer', 'real', 'null'))
);

INSERT INTO Zadanie VALUES (1, 'Какой океан самый большой по площади?',
    'Атлантический', 'Тихий', 'Индийский', 'Северный Ледовитый', 0, -1, 0, 0);
INSERT INTO Zadanie VALUES (2, 'Какие из этих рек впадают в Каспийское море?',
    'Волга', 'Урал', 'Днепр', 'Терек', -1, -1, 0, -1);
INSERT INTO Zadanie VALUES (3, 'Какой город является столицей Австралии?',
    'Сидней', 'Мельбурн', 'Канберра', 'Перт', 0, 0, -1, 0);
INSERT INTO Zadanie VALUES (4, 'Какие из этих стран граничат с Россией?',
    'Норвегия', 'Финляндия', 'Монголия', 'Казахстан', -1, -1, -1, -1);
INSERT INTO Zadanie VALUES (5, 'Какие горы служат границей между Европой и Азией?',
    'Альпы', 'Уральские горы', 'Карпаты', 'Пиренеи', 0, -1, 0, 0);
INSERT INTO Zadanie VALUES (6, 'Какие из этих материков пересекает экватор?',
    'Африка', 'Южная Америка', 'Австралия', 'Евразия', -1, -1, 0, 0);
INSERT INTO Zadanie VALUES (7, 'Какое озеро самое глубокое на Земле?',
    'Байкал', 'Танганьика', 'Виктория', 'Ладожское', -1, 0, 0, 0);
INSERT INTO Zadanie VALUES (8, 'Что из перечисленного относится к внутренним водам суши?',
    'Реки', 'Озёра', 'Ледники', 'Подземные воды', -1, -1, -1, -1);
INSERT INTO Zadanie VALUES (9, 'Какие из этих городов стоят на Волге?',
    'Нижний Новгород', 'Казань', 'Ростов-на-Дону', 'Самара', -1, -1, 0, -1);
INSERT INTO Zadanie VALUES (10, 'Какая из этих точек лежит выше всех над уровнем моря?',
    'Эльбрус', 'Джомолунгма (Эверест)', 'Монблан', 'Килиманджаро', 0, -1, 0, 0);

INSERT INTO Rezultat ("Фамилия, Имя, Отчество") VALUES ('');
